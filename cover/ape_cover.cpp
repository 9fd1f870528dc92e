// The cover in an APEv2 tag (Monkey's Audio, WavPack, Musepack, and MP3s
// tagged that way): the tag's footer lies at the end of the file, or just
// before an ID3v1 tag there. Its items are read whole, up to the size the
// footer states; a binary "Cover Art (Front)" item wins, else the first
// other "Cover Art (...)". Such an item holds a file name, a zero byte,
// then the picture.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

namespace {

constexpr std::string_view kId3v1Magic = "TAG";
constexpr uint64_t kId3v1Size = 128;
constexpr std::string_view kFooterMagic = "APETAGEX";
constexpr uint64_t kFooterSize = 32;
constexpr uint32_t kVersion2 = 2000;  // binary items came with it
constexpr uint32_t kItemKindShift = 1;
constexpr uint32_t kItemKindMask = 3;
constexpr uint32_t kBinaryItem = 1;
constexpr std::string_view kCoverArtKey = "Cover Art (";
constexpr std::string_view kFrontCoverKeyRest = "Front)";
constexpr uint32_t kOtherPicture = 0;

// Where the tag ends: before an ID3v1 tag, or at the end of the file.
uint64_t TagEnd(CoverReadBudget& file) {
    std::array<uint8_t, 3> magic;
    const uint64_t size = file.FileSize();
    if (size < kId3v1Size || !file.ReadAt(size - kId3v1Size, magic.data(), magic.size())) return size;
    return ByteCursor(magic.data(), magic.size()).RestEquals(kId3v1Magic) ? size - kId3v1Size : size;
}

bool OfferItems(ByteCursor items, uint32_t count, const HeapBytes& tag, CoverChoice<PictureSpan>& choice) {
    for (uint32_t index = 0; index < count && !choice.HaveFrontCover(); ++index) {
        uint32_t valueSize = 0, flags = 0;
        ByteCursor key, value, fileName;
        if (!items.ReadU32LE(valueSize) || !items.ReadU32LE(flags) || !items.TakeTerminated(1, key) ||
            !items.Take(valueSize, value)) {
            return false;
        }
        if (((flags >> kItemKindShift) & kItemKindMask) != kBinaryItem || !key.SkipIfAnyCase(kCoverArtKey) ||
            !value.TakeTerminated(1, fileName)) {
            continue;
        }
        const bool front = key.SkipIfAnyCase(kFrontCoverKeyRest) && key.Remaining() == 0;
        OfferRest(value, tag, front ? kFrontCoverType : kOtherPicture, choice);
    }
    return true;
}

}  // namespace

HeapBytes FindApeCover(CoverReadBudget& file) {
    const uint64_t end = TagEnd(file);
    std::array<uint8_t, kFooterSize> footer;
    ByteCursor fields(footer.data(), footer.size());
    uint32_t version = 0, tagSize = 0, count = 0;
    if (end < kFooterSize || !file.ReadAt(end - kFooterSize, footer.data(), footer.size()) ||
        !fields.SkipIf(kFooterMagic) || !fields.ReadU32LE(version) || !fields.ReadU32LE(tagSize) ||
        !fields.ReadU32LE(count) || version != kVersion2 || tagSize < kFooterSize || tagSize > end) {
        return {};
    }
    // The stated size counts the items and the footer, never the header.
    HeapBytes tag;
    CoverChoice<PictureSpan> choice;
    if (!file.ReadAt(end - tagSize, tagSize - kFooterSize, tag) || !OfferItems(ByteCursor(tag), count, tag, choice) ||
        !choice.Chosen()) {
        return {};
    }
    return CutOut(std::move(tag), *choice.Chosen());
}
