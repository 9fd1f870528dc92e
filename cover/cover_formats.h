// What the cover readers of each tag format share: the file read through a
// budget of kCoverReadLimit bytes, windows on the file that read only the
// headers they are asked for (so a large audio box is skipped unread), the
// rule that a front cover beats the first picture, and the readers
// themselves, each of which expects its own magic where it starts.
#pragma once

#include "cover/byte_cursor.h"
#include "cover/cover_tags.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

constexpr uint32_t kFrontCoverType = 3;  // ID3, FLAC and ASF share the picture types
// Fewer bytes than this hold no picture format's header.
constexpr uint64_t kMinPictureSize = 8;
// Reads of one file, at most: a well-formed file needs a few dozen, while
// one of empty FLAC blocks, 8-byte MP4 boxes or WAV chunks, or Ogg pages
// would otherwise cost a system call per few bytes of the read limit.
constexpr uint32_t kCoverReadCountLimit = 1024;
// An ASF file's first bytes: its Header Object's GUID, as stored.
constexpr std::string_view kAsfHeaderGuid{"\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};

// The file, with every read counted against kCoverReadLimit and
// kCoverReadCountLimit.
class CoverReadBudget {
public:
    explicit CoverReadBudget(CoverSource& file) : file_(file), size_(file.Size()) {}
    uint64_t FileSize() const { return size_; }
    uint64_t Left() const { return kCoverReadLimit - used_; }
    // Copies size bytes at offset; false, with nothing read, when they lie
    // past the end of the file or past the budget.
    bool ReadAt(uint64_t offset, uint8_t* out, size_t size);
    // The same into out, allocated only once the size is known to fit;
    // false too when the heap cannot hold it.
    bool ReadAt(uint64_t offset, uint64_t size, HeapBytes& out);
    // Whether a block a reader needed could not be had from the heap.
    bool HeapRanShort() const { return heapRanShort_; }

private:
    CoverSource& file_;
    uint64_t size_;
    uint64_t used_ = 0;
    uint32_t reads_ = 0;
    bool heapRanShort_ = false;
};

// A stretch of the file, read front to back like a ByteCursor, but through
// the budget and only as far as asked: skipping costs nothing.
class FileWindow {
public:
    FileWindow() = default;
    // The part of [begin, end) that lies within the file.
    FileWindow(CoverReadBudget& file, uint64_t begin, uint64_t end);

    uint64_t Position() const { return position_; }
    uint64_t Remaining() const { return end_ - position_; }

    template <size_t N>
    [[nodiscard]] bool Read(std::array<uint8_t, N>& out) { return ReadRaw(out.data(), N); }
    // As ByteCursor's, so that one parser serves bytes in the file and in memory.
    [[nodiscard]] bool ReadU32BE(uint32_t& value);
    // Everything left in the window.
    [[nodiscard]] bool ReadRest(HeapBytes& out);
    [[nodiscard]] bool Skip(uint64_t count);
    [[nodiscard]] bool Take(uint64_t count, FileWindow& part);

private:
    bool ReadRaw(uint8_t* out, size_t size);

    CoverReadBudget* file_ = nullptr;
    uint64_t position_ = 0;
    uint64_t end_ = 0;
};

// The front cover as soon as one is offered, else the first picture.
template <class Picture>
class CoverChoice {
public:
    void Offer(uint32_t pictureType, const Picture& picture) {
        if (haveFront_) return;
        if (pictureType == kFrontCoverType) {
            chosen_ = picture;
            haveFront_ = true;
        } else if (!chosen_) {
            chosen_ = picture;
        }
    }
    bool HaveFrontCover() const { return haveFront_; }
    const std::optional<Picture>& Chosen() const { return chosen_; }

private:
    std::optional<Picture> chosen_;
    bool haveFront_ = false;
};

// Where a chosen picture lies in the buffer a reader read its tag into.
struct PictureSpan {
    size_t offset = 0;
    size_t size = 0;
};

// The span's bytes, moved to the front of the buffer that holds them, so
// that no second copy of a picture is ever made.
inline HeapBytes CutOut(HeapBytes bytes, const PictureSpan& span) {
    if (!bytes.KeepOnly(span.offset, span.size)) return {};
    return bytes;
}

// Offers the rest of part, a view cut from whole, as a picture of that type.
inline void OfferRest(const ByteCursor& part, const HeapBytes& whole, uint32_t pictureType, CoverChoice<PictureSpan>& choice) {
    size_t offset = 0;
    if (part.Remaining() >= kMinPictureSize && part.RestOffsetIn(whole, offset)) {
        choice.Offer(pictureType, PictureSpan{offset, part.Remaining()});
    }
}

// What the ID3 reader learnt: a tag that is good but holds no picture may
// stand before another format's magic (FLAC files tagged by MP3 tools), or
// before a stream with an APEv2 tag at its end.
struct Id3Search {
    bool tagIsGood = false;
    uint64_t tagEnd = 0;
    HeapBytes picture;
};

// A tag that starts where place starts and ends within it.
Id3Search FindId3Cover(CoverReadBudget& file, FileWindow place);
HeapBytes FindFlacCover(CoverReadBudget& file, uint64_t streamStart);
HeapBytes FindMp4Cover(CoverReadBudget& file);
HeapBytes FindOggCover(CoverReadBudget& file);
HeapBytes FindAsfCover(CoverReadBudget& file);
// An APEv2 tag at the end of the file, or before an ID3v1 tag there.
HeapBytes FindApeCover(CoverReadBudget& file);
// The ID3 chunk of a RIFF/WAVE file (little-endian sizes) or a FORM/AIFF
// or AIFC file (big-endian).
enum class ChunkOrder { kLittleEndian, kBigEndian };
HeapBytes FindChunkedId3Cover(CoverReadBudget& file, ChunkOrder order);
