// Files that end in an APEv2 tag, as the APEv2 documents of
// wiki.hydrogenaud.io lay it out: after the start of a Monkey's Audio,
// WavPack or MPEG audio stream, the tag's optional header, a title item and
// a binary "Cover Art (...)" item per picture (a file name, then the
// picture's bytes), and its footer; then, when asked, an ID3v1 tag.
#include "testbed/covers/file_pieces.h"

#include <string>
#include <string_view>
#include <utility>

using namespace cover_writers;

namespace {

Piece ApeItem(std::string_view key, uint32_t flags, const Piece& value) {
    Piece item;
    PutLength(item, value.bytes.size(), 4, NumberCoding::LittleEndian);
    PutU32LE(item.bytes, flags);
    Append(item.bytes, key);
    PutU8(item.bytes, 0);
    Append(item, value);
    return item;
}

Piece ApeHeaderOrFooter(uint32_t tagSize, uint32_t itemCount, uint32_t flags) {
    Piece out;
    Append(out.bytes, "APETAGEX");
    PutU32LE(out.bytes, 2000);
    PutLength(out, tagSize, 4, NumberCoding::LittleEndian);
    PutU32LE(out.bytes, itemCount);
    PutU32LE(out.bytes, flags);
    out.bytes.resize(out.bytes.size() + 8, 0);
    return out;
}

}  // namespace

std::vector<uint8_t> BuildApeFile(const std::vector<TagPicture>& pictures, const ApeOptions& options,
                                  FileLayout* layout) {
    Piece items = ApeItem("Title", 0, Plain({'S', 'o', 'n', 'g'}));
    for (const TagPicture& picture : pictures) {
        const std::string_view kind = picture.type == 3 ? "Front" : picture.type == 4 ? "Back" : "Other";
        Piece value = Plain({'c', 'o', 'v', 'e', 'r', '.', 'j', 'p', 'g', 0});
        PutPicture(value, picture.bytes);
        Append(items, ApeItem("Cover Art (" + std::string(kind) + ")", 1 << 1, value));
    }
    const uint32_t tagSize = static_cast<uint32_t>(items.bytes.size() + 32);
    const uint32_t count = static_cast<uint32_t>(pictures.size() + 1);
    const uint32_t hasHeader = options.withHeader ? 1u << 31 : 0;
    Piece file;
    switch (options.stream) {
    case ApeOptions::Stream::kMonkeysAudio:
        Append(file.bytes, "MAC ");
        PutU16LE(file.bytes, 3990);
        file.bytes.resize(52, 0);
        break;
    case ApeOptions::Stream::kWavPack:
        Append(file.bytes, "wvpk");
        PutU32LE(file.bytes, 24);
        PutU16LE(file.bytes, 0x410);
        file.bytes.resize(32, 0);
        break;
    case ApeOptions::Stream::kMpeg: file.bytes = MpegAudioFrames(1); break;
    }
    file.bytes.resize(file.bytes.size() + 100, 0x33);  // audio
    ByteSpan tags = {file.bytes.size(), 0};
    if (options.withHeader) Append(file, ApeHeaderOrFooter(tagSize, count, hasHeader | 1u << 29));
    Append(file, items);
    Append(file, ApeHeaderOrFooter(tagSize, count, hasHeader));
    tags.size = file.bytes.size() - tags.offset;
    if (options.id3v1) {
        Bytes id3v1;
        Append(id3v1, "TAGSong");
        id3v1.resize(127, 0);
        PutU8(id3v1, 255);  // no genre
        Append(file.bytes, id3v1);
    }
    return Finished(std::move(file), tags, layout);
}
