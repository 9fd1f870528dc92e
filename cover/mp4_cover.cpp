// The cover in an MP4 file's iTunes-style metadata,
// moov/udta/meta/ilst/covr/data. Boxes are walked by their headers alone:
// a large mdat before moov is skipped without reading it.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

namespace {

constexpr uint32_t FourCC(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 |
           uint32_t(uint8_t(name[2])) << 8 | uint32_t(uint8_t(name[3]));
}

constexpr uint64_t kBoxHeaderSize = 8;
constexpr uint64_t kLargeBoxHeaderSize = 16;
constexpr uint32_t kLargeSizeFollows = 1;
constexpr uint32_t kSizeToEnd = 0;
constexpr uint64_t kFullBoxFieldsSize = 4;  // version and flags
// A data box's type indicator and locale, before the value.
constexpr uint64_t kDataFieldsSize = 8;

struct Box {
    uint32_t type = 0;
    FileWindow body;
};

// The next box in parent, which moves past it; false when its header is
// cut short or its size does not fit in parent.
bool NextBox(FileWindow& parent, Box& box) {
    std::array<uint8_t, kBoxHeaderSize> header;
    uint32_t size = 0;
    ByteCursor fields(header.data(), header.size());
    if (!parent.Read(header) || !fields.ReadU32BE(size) || !fields.ReadU32BE(box.type)) return false;
    uint64_t bodySize = 0;
    if (size == kLargeSizeFollows) {
        std::array<uint8_t, 8> large;
        uint64_t largeSize = 0;
        ByteCursor largeField(large.data(), large.size());
        if (!parent.Read(large) || !largeField.ReadU64BE(largeSize) || largeSize < kLargeBoxHeaderSize) return false;
        bodySize = largeSize - kLargeBoxHeaderSize;
    } else if (size == kSizeToEnd) {
        bodySize = parent.Remaining();
    } else {
        if (size < kBoxHeaderSize) return false;
        bodySize = size - kBoxHeaderSize;
    }
    return parent.Take(bodySize, box.body);
}

bool FindChild(FileWindow parent, uint32_t type, FileWindow& body) {
    Box box;
    while (parent.Remaining() > 0 && NextBox(parent, box)) {
        if (box.type == type) {
            body = box.body;
            return true;
        }
    }
    return false;
}

// meta is a full box, but some writers leave out its version and flags:
// then its first child, the handler box, starts at once.
bool SkipMetaFields(FileWindow& meta) {
    FileWindow peek = meta;
    std::array<uint8_t, kBoxHeaderSize> firstChild;
    uint32_t size = 0, type = 0;
    ByteCursor fields(firstChild.data(), firstChild.size());
    if (peek.Read(firstChild) && fields.ReadU32BE(size) && fields.ReadU32BE(type) && type == FourCC("hdlr")) {
        return true;
    }
    return meta.Skip(kFullBoxFieldsSize);
}

}  // namespace

HeapBytes FindMp4Cover(CoverReadBudget& file) {
    FileWindow moov, udta, meta, ilst, covr;
    const FileWindow whole(file, 0, file.FileSize());
    if (!FindChild(whole, FourCC("moov"), moov) || !FindChild(moov, FourCC("udta"), udta) ||
        !FindChild(udta, FourCC("meta"), meta) || !SkipMetaFields(meta) ||
        !FindChild(meta, FourCC("ilst"), ilst) || !FindChild(ilst, FourCC("covr"), covr)) {
        return {};
    }
    Box item;
    while (covr.Remaining() > 0 && NextBox(covr, item)) {
        if (item.type != FourCC("data") || !item.body.Skip(kDataFieldsSize)) continue;
        if (item.body.Remaining() < kMinPictureSize) continue;
        HeapBytes picture;
        if (!item.body.ReadRest(picture)) return {};
        return picture;
    }
    return {};
}
