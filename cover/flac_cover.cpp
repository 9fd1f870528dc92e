// The cover in a FLAC stream's PICTURE metadata blocks. Only each block's
// header and each picture's fixed fields are read while looking; the
// chosen picture's data is read once, at the end.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

namespace {

constexpr uint8_t kLastBlockFlag = 0x80;
constexpr uint8_t kBlockTypeMask = 0x7F;
constexpr uint8_t kPictureBlock = 6;
constexpr uint8_t kInvalidBlock = 127;
// Width, height, colour depth and palette size, between the description
// and the data's length.
constexpr uint64_t kPictureDimensionsSize = 16;

// Moves block to the picture's data; false when the block is malformed.
bool ReadPictureFields(FileWindow& block, uint32_t& pictureType) {
    std::array<uint8_t, 8> typeAndMime;
    std::array<uint8_t, 4> descriptionLength;
    std::array<uint8_t, 4> dataLength;
    uint32_t mimeSize = 0, descriptionSize = 0, dataSize = 0;
    if (!block.Read(typeAndMime)) return false;
    ByteCursor fields(typeAndMime.data(), typeAndMime.size());
    if (!fields.ReadU32BE(pictureType) || !fields.ReadU32BE(mimeSize)) return false;
    if (!block.Skip(mimeSize) || !block.Read(descriptionLength)) return false;
    fields = ByteCursor(descriptionLength.data(), descriptionLength.size());
    if (!fields.ReadU32BE(descriptionSize)) return false;
    if (!block.Skip(descriptionSize) || !block.Skip(kPictureDimensionsSize) || !block.Read(dataLength)) return false;
    fields = ByteCursor(dataLength.data(), dataLength.size());
    FileWindow data;
    if (!fields.ReadU32BE(dataSize) || !block.Take(dataSize, data)) return false;
    block = data;
    return true;
}

}  // namespace

HeapBytes FindFlacCover(CoverReadBudget& file, uint64_t streamStart) {
    FileWindow stream(file, streamStart, file.FileSize());
    std::array<uint8_t, 4> magic;
    if (!stream.Read(magic) || !ByteCursor(magic.data(), magic.size()).RestEquals("fLaC")) return {};

    CoverChoice<FileWindow> choice;
    for (bool last = false; !last && !choice.HaveFrontCover();) {
        std::array<uint8_t, 4> header;
        uint8_t flagAndType = 0;
        uint32_t length = 0;
        ByteCursor fields(header.data(), header.size());
        if (!stream.Read(header) || !fields.ReadU8(flagAndType) || !fields.ReadU24BE(length)) return {};
        last = (flagAndType & kLastBlockFlag) != 0;
        const uint8_t type = flagAndType & kBlockTypeMask;
        FileWindow block;
        if (type == kInvalidBlock || !stream.Take(length, block)) return {};
        if (type != kPictureBlock) continue;
        uint32_t pictureType = 0;
        if (!ReadPictureFields(block, pictureType)) return {};
        if (block.Remaining() >= kMinPictureSize) choice.Offer(pictureType, block);
    }
    HeapBytes picture;
    if (!choice.Chosen() || !FileWindow(*choice.Chosen()).ReadRest(picture)) return {};
    return picture;
}
