// FLAC files as the FLAC format's description (xiph.org, since RFC 9639)
// lays them out: STREAMINFO, a VORBIS_COMMENT block, a PICTURE block per
// picture, padding, then the start of a frame. Also the PICTURE block's
// content and the Vorbis comment list (xiph.org's Vorbis comment document)
// with its METADATA_BLOCK_PICTURE comments in base64 (RFC 4648), which Ogg
// Vorbis and Opus files carry too.
#include "testbed/covers/file_pieces.h"

#include <utility>

namespace cover_writers {

Piece FlacPictureBlock(const TagPicture& picture) {
    Piece data;
    const Bytes description = Utf8(picture.description);
    PutU32BE(data.bytes, picture.type);
    PutLength(data, picture.mime.size(), 4, NumberCoding::BigEndian);
    Append(data.bytes, picture.mime);
    PutLength(data, description.size(), 4, NumberCoding::BigEndian);
    Append(data.bytes, description);
    for (uint32_t field : {300u, 300u, 24u, 0u}) PutU32BE(data.bytes, field);  // width, height, depth, palette
    PutLength(data, picture.bytes.size(), 4, NumberCoding::BigEndian);
    PutPicture(data, picture.bytes);
    return data;
}

Piece VorbisCommentList(const std::vector<TagPicture>& pictures, bool lowerCaseKey) {
    std::vector<Bytes> comments = {{'T', 'I', 'T', 'L', 'E', '=', 'S', 'o', 'n', 'g'}};
    for (const TagPicture& picture : pictures) {
        Bytes comment;
        Append(comment, lowerCaseKey ? "metadata_block_picture=" : "METADATA_BLOCK_PICTURE=");
        Append(comment, Base64(FlacPictureBlock(picture).bytes));
        comments.push_back(comment);
    }
    Piece list;
    const std::string_view vendor = "pelorin tests";
    PutLength(list, vendor.size(), 4, NumberCoding::LittleEndian);
    Append(list.bytes, vendor);
    PutU32LE(list.bytes, static_cast<uint32_t>(comments.size()));
    for (const Bytes& comment : comments) {
        PutLength(list, comment.size(), 4, NumberCoding::LittleEndian);
        Append(list.bytes, comment);
    }
    return list;
}

}  // namespace cover_writers

using namespace cover_writers;

std::vector<uint8_t> BuildFlacFile(const std::vector<TagPicture>& pictures,
                                   const std::vector<TagPicture>& commentPictures, FileLayout* layout) {
    const auto block = [](Piece& out, uint8_t type, bool last, const Piece& data) {
        PutU8(out.bytes, (last ? 0x80 : 0) | type);
        PutLength(out, data.bytes.size(), 3, NumberCoding::BigEndian);
        Append(out, data);
    };
    Piece file = Plain({'f', 'L', 'a', 'C'});
    Bytes info;
    PutU16BE(info, 4096);  // smallest block, in samples
    PutU16BE(info, 4096);  // largest
    PutU24BE(info, 0);     // frame sizes unknown
    PutU24BE(info, 0);
    // 44.1 kHz, two channels, 16 bits, length unknown.
    PutU64BE(info, uint64_t{44100} << 44 | uint64_t{1} << 41 | uint64_t{15} << 36);
    info.resize(info.size() + 16, 0);  // no MD5
    block(file, 0, false, Plain(info));
    block(file, 4, false, VorbisCommentList(commentPictures, false));
    for (const TagPicture& picture : pictures) block(file, 6, false, FlacPictureBlock(picture));
    block(file, 1, true, Plain(Bytes(64, 0)));
    const ByteSpan tags = {0, file.bytes.size()};
    // A frame header's sync code, so the stream goes on as audio would.
    Append(file.bytes, Bytes{0xFF, 0xF8, 0x69, 0x08, 0x00, 0x00, 0x9C});
    return Finished(std::move(file), tags, layout);
}
