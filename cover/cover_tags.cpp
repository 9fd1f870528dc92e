// Which tag reader a file gets, chosen by the magic at its start rather
// than by its name.
#include "cover/cover_tags.h"

#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

#include <array>

namespace {

// Long enough for every magic below, the longest being ASF's GUID.
constexpr size_t kMagicSize = 16;
constexpr size_t kMp4TypeOffset = 4;
constexpr size_t kFormTypeOffset = 8;  // RIFF's and FORM's type, after their size
constexpr uint8_t kMpegSyncByte = 0xFF;
constexpr uint8_t kMpegSyncBits = 0xE0;  // the second byte's top bits

using Magic = std::array<uint8_t, kMagicSize>;

bool StartsWith(const Magic& start, size_t offset, std::string_view magic) {
    ByteCursor cursor(start.data(), start.size());
    return cursor.Skip(offset) && cursor.SkipIf(magic);
}

// An MPEG audio frame's sync word: eleven bits set.
bool IsMpegAudio(const Magic& start) { return start[0] == kMpegSyncByte && (start[1] & kMpegSyncBits) == kMpegSyncBits; }

// Streams that carry an APEv2 tag at their end rather than tags of their own.
bool MayEndInApeTag(const Magic& start) {
    return StartsWith(start, 0, "MAC ") || StartsWith(start, 0, "wvpk") || StartsWith(start, 0, "MPCK") ||
           StartsWith(start, 0, "MP+") || IsMpegAudio(start);
}

bool IsFlacAt(CoverReadBudget& file, uint64_t offset) {
    std::array<uint8_t, 4> magic;
    return file.ReadAt(offset, magic.data(), magic.size()) && ByteCursor(magic.data(), magic.size()).RestEquals("fLaC");
}

HeapBytes FindCover(CoverReadBudget& file) {
    Magic start{};
    if (!file.ReadAt(0, start.data(), start.size())) return {};
    if (StartsWith(start, 0, "ID3")) {
        // A picture in the ID3v2 tag wins over one in an APEv2 tag; a FLAC
        // stream may follow the tag too, as MP3 tools leave it.
        Id3Search id3 = FindId3Cover(file, FileWindow(file, 0, file.FileSize()));
        if (!id3.picture.empty() || !id3.tagIsGood) return std::move(id3.picture);
        return IsFlacAt(file, id3.tagEnd) ? FindFlacCover(file, id3.tagEnd) : FindApeCover(file);
    }
    if (StartsWith(start, 0, "fLaC")) return FindFlacCover(file, 0);
    if (StartsWith(start, kMp4TypeOffset, "ftyp")) return FindMp4Cover(file);
    if (StartsWith(start, 0, "OggS")) return FindOggCover(file);
    if (StartsWith(start, 0, kAsfHeaderGuid)) return FindAsfCover(file);
    if (StartsWith(start, 0, "RIFF") && StartsWith(start, kFormTypeOffset, "WAVE")) {
        return FindChunkedId3Cover(file, ChunkOrder::kLittleEndian);
    }
    if (StartsWith(start, 0, "FORM") && (StartsWith(start, kFormTypeOffset, "AIFF") || StartsWith(start, kFormTypeOffset, "AIFC"))) {
        return FindChunkedId3Cover(file, ChunkOrder::kBigEndian);
    }
    if (MayEndInApeTag(start)) return FindApeCover(file);
    return {};
}

}  // namespace

HeapBytes CoverFromTags(CoverSource& source, bool* heapRanShort) {
    CoverReadBudget file(source);
    HeapBytes cover = FindCover(file);
    if (heapRanShort) *heapRanShort = file.HeapRanShort();
    return cover;
}
