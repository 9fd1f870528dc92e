// The cover in a FLAC stream's PICTURE metadata blocks, else in a
// METADATA_BLOCK_PICTURE comment of its VORBIS_COMMENT block, as some
// taggers write it. Only each block's header and each picture's fixed
// fields are read while looking; the chosen picture's data is read once, at
// the end, and the comment block only when no PICTURE block had a picture.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"
#include "cover/flac_picture.h"

namespace {

constexpr uint8_t kLastBlockFlag = 0x80;
constexpr uint8_t kBlockTypeMask = 0x7F;
constexpr uint8_t kCommentBlock = 4;
constexpr uint8_t kPictureBlock = 6;
constexpr uint8_t kInvalidBlock = 127;

HeapBytes CommentPicture(FileWindow block) {
    HeapBytes comments;
    CoverChoice<PictureSpan> choice;
    if (!block.ReadRest(comments) || !OfferCommentPictures(comments, 0, choice) || !choice.Chosen()) return {};
    return CutOut(std::move(comments), *choice.Chosen());
}

}  // namespace

HeapBytes FindFlacCover(CoverReadBudget& file, uint64_t streamStart) {
    FileWindow stream(file, streamStart, file.FileSize());
    std::array<uint8_t, 4> magic;
    if (!stream.Read(magic) || !ByteCursor(magic.data(), magic.size()).RestEquals("fLaC")) return {};

    CoverChoice<FileWindow> choice;
    FileWindow comment;  // the format allows one
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
        if (type == kCommentBlock) comment = block;
        if (type != kPictureBlock) continue;
        uint32_t pictureType = 0;
        if (!ReadFlacPictureFields(block, pictureType)) return {};
        if (block.Remaining() >= kMinPictureSize) choice.Offer(pictureType, block);
    }
    if (!choice.Chosen()) return CommentPicture(comment);
    HeapBytes picture;
    if (!FileWindow(*choice.Chosen()).ReadRest(picture)) return {};
    return picture;
}
