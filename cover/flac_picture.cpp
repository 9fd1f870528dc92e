// Pictures in a Vorbis comment list: each METADATA_BLOCK_PICTURE value is
// the base64 text of a FLAC PICTURE block, decoded where it lies, since
// base64's output never overtakes its input. The list's buffer then holds
// the chosen picture, and no copy of it is made.
#include "cover/flac_picture.h"

#include "cover/byte_cursor.h"

namespace {

constexpr std::string_view kPictureKey = "METADATA_BLOCK_PICTURE=";
constexpr int kNotBase64 = -1;
constexpr size_t kMostPadding = 2;

int Base64Value(uint8_t c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return kNotBase64;
}

// The size of what the text at offset decodes to, written over the text;
// false for text that is no base64: a character outside the alphabet, or a
// last group of one character. The padding may be left out.
bool DecodeBase64InPlace(HeapBytes& bytes, size_t offset, size_t size, size_t& decoded) {
    if (offset > bytes.size() || size > bytes.size() - offset) return false;
    uint8_t* text = bytes.data() + offset;
    for (size_t padding = 0; padding < kMostPadding && size > 0 && text[size - 1] == '='; ++padding) --size;
    if (size % 4 == 1) return false;
    uint32_t bits = 0;
    int bitCount = 0;
    size_t written = 0;
    for (size_t read = 0; read < size; ++read) {
        const int value = Base64Value(text[read]);
        if (value == kNotBase64) return false;
        bits = bits << 6 | static_cast<uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            text[written++] = static_cast<uint8_t>(bits >> bitCount);
        }
    }
    decoded = written;
    return true;
}

}  // namespace

bool OfferCommentPictures(HeapBytes& buffer, size_t listOffset, CoverChoice<PictureSpan>& choice) {
    ByteCursor list(buffer);
    uint32_t vendorSize = 0, count = 0;
    if (!list.Skip(listOffset) || !list.ReadU32LE(vendorSize) || !list.Skip(vendorSize) || !list.ReadU32LE(count)) {
        return false;
    }
    for (uint32_t index = 0; index < count && !choice.HaveFrontCover(); ++index) {
        uint32_t size = 0;
        ByteCursor comment;
        if (!list.ReadU32LE(size) || !list.Take(size, comment)) return false;
        size_t valueOffset = 0, decoded = 0;
        if (!comment.SkipIfAnyCase(kPictureKey) || !comment.RestOffsetIn(buffer, valueOffset) ||
            !DecodeBase64InPlace(buffer, valueOffset, comment.Remaining(), decoded)) {
            continue;
        }
        ByteCursor whole(buffer), block;
        uint32_t pictureType = 0;
        if (whole.Skip(valueOffset) && whole.Take(decoded, block) && ReadFlacPictureFields(block, pictureType)) {
            OfferRest(block, buffer, pictureType, choice);
        }
    }
    return true;
}
