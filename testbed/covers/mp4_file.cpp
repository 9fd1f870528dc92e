// M4A files as ISO/IEC 14496-12 (the ISO base media file format) boxes
// them, with the metadata as Apple's QuickTime File Format document keeps
// it (an item list whose data boxes name their well-known types): ftyp,
// then moov (mvhd, and udta/meta with a title and a covr item) before or
// after mdat, whose size may take the 64-bit form.
#include "testbed/covers/file_pieces.h"

#include <string>
#include <utility>

using namespace cover_writers;

namespace {

Piece Box(std::string_view type, const Piece& payload) {
    Piece box;
    PutLength(box, 8 + payload.bytes.size(), 4, NumberCoding::BigEndian);
    Append(box.bytes, type);
    Append(box, payload);
    return box;
}

Piece FullBox(std::string_view type, const Piece& payload) {
    Piece versionAndFlags = Plain({0, 0, 0, 0});
    Append(versionAndFlags, payload);
    return Box(type, versionAndFlags);
}

Piece Mp4DataBox(uint32_t typeIndicator, const Piece& value) {
    Piece payload;
    PutU32BE(payload.bytes, typeIndicator);
    PutU32BE(payload.bytes, 0);  // locale
    Append(payload, value);
    return Box("data", payload);
}

uint32_t Mp4ImageType(const std::string& mime) {
    if (mime == "image/jpeg") return 13;
    if (mime == "image/png") return 14;
    if (mime == "image/bmp") return 27;
    return 0;
}

Piece MovieHeader() {
    Bytes mvhd;
    PutU32BE(mvhd, 0);  // created
    PutU32BE(mvhd, 0);  // modified
    PutU32BE(mvhd, 44100);
    PutU32BE(mvhd, 0);  // duration
    PutU32BE(mvhd, 0x00010000);  // rate 1.0
    PutU16BE(mvhd, 0x0100);  // volume 1.0
    mvhd.resize(mvhd.size() + 10, 0);
    for (uint32_t entry : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u}) PutU32BE(mvhd, entry);
    mvhd.resize(mvhd.size() + 24, 0);
    PutU32BE(mvhd, 1);  // next track
    return FullBox("mvhd", Plain(mvhd));
}

Piece MetadataBox(const std::vector<TagPicture>& pictures, const Mp4Options& options) {
    Bytes handler;
    PutU32BE(handler, 0);
    Append(handler, "mdirappl");
    handler.resize(handler.size() + 8 + 1, 0);  // reserved, then an empty name
    Piece covr;
    for (const TagPicture& picture : pictures) {
        Piece bytes;
        PutPicture(bytes, picture.bytes);
        Append(covr, Mp4DataBox(Mp4ImageType(picture.mime), bytes));
    }
    Piece items = Box("\xA9nam", Mp4DataBox(1, Plain({'S', 'o', 'n', 'g'})));
    if (!pictures.empty()) Append(items, Box("covr", covr));
    Piece meta = FullBox("hdlr", Plain(handler));
    Append(meta, Box("ilst", items));
    return options.metaWithoutVersion ? Box("meta", meta) : FullBox("meta", meta);
}

}  // namespace

std::vector<uint8_t> BuildM4aFile(const std::vector<TagPicture>& pictures, const Mp4Options& options,
                                  FileLayout* layout) {
    Bytes brands;
    Append(brands, "M4A ");
    PutU32BE(brands, 0x200);
    Append(brands, "M4A mp42isom");
    Piece moovContent = MovieHeader();
    Append(moovContent, Box("udta", MetadataBox(pictures, options)));
    const Piece moov = Box("moov", moovContent);

    Piece mdat;
    if (options.largeMdatHeader) {
        PutU32BE(mdat.bytes, 1);  // the size follows the type
        Append(mdat.bytes, "mdat");
        PutLength(mdat, 16 + options.mdatPayloadSize, 8, NumberCoding::BigEndian);
    } else {
        PutLength(mdat, 8 + options.mdatPayloadSize, 4, NumberCoding::BigEndian);
        Append(mdat.bytes, "mdat");
    }
    mdat.bytes.resize(mdat.bytes.size() + options.mdatPayloadSize, 0);

    Piece file = Box("ftyp", Plain(brands));
    Append(file, options.moovAfterMdat ? mdat : moov);
    Append(file, options.moovAfterMdat ? moov : mdat);
    // The moov box, and the ftyp before it when it comes first.
    const ByteSpan tags = options.moovAfterMdat ? ByteSpan{file.bytes.size() - moov.bytes.size(), moov.bytes.size()}
                                                : ByteSpan{0, file.bytes.size() - mdat.bytes.size()};
    return Finished(std::move(file), tags, layout);
}
