// A FLAC PICTURE block, wherever a file keeps one: as a metadata block of a
// FLAC stream, or base64-encoded as a METADATA_BLOCK_PICTURE comment in a
// Vorbis comment list (Ogg Vorbis, Opus, and FLAC's own VORBIS_COMMENT).
#pragma once

#include "cover/cover_formats.h"

// Width, height, colour depth and palette size, between the description
// and the data's length.
constexpr uint64_t kFlacPictureDimensionsSize = 16;

// Moves block, a FileWindow on the file or a ByteCursor in memory, to the
// picture's data; false when the block is malformed.
template <class Reader>
bool ReadFlacPictureFields(Reader& block, uint32_t& pictureType) {
    uint32_t mimeSize = 0, descriptionSize = 0, dataSize = 0;
    Reader data;
    if (!block.ReadU32BE(pictureType) || !block.ReadU32BE(mimeSize) || !block.Skip(mimeSize) ||
        !block.ReadU32BE(descriptionSize) || !block.Skip(descriptionSize) ||
        !block.Skip(kFlacPictureDimensionsSize) || !block.ReadU32BE(dataSize) || !block.Take(dataSize, data)) {
        return false;
    }
    block = data;
    return true;
}

// Offers the picture of each METADATA_BLOCK_PICTURE comment (the key in any
// case) in the comment list that starts at listOffset in buffer: the vendor
// string, the count, then each comment, with little-endian lengths. Each
// picture is decoded in place. False when the list is malformed.
bool OfferCommentPictures(HeapBytes& buffer, size_t listOffset, CoverChoice<PictureSpan>& choice);
