// Which tag reader a file gets, chosen by the magic at its start rather
// than by its name.
#include "cover/cover_tags.h"

#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"

#include <array>

namespace {

// Long enough for every magic below: "ID3", "fLaC", and an MP4 file's
// first box header with its type "ftyp".
constexpr size_t kMagicSize = 8;
constexpr size_t kMp4TypeOffset = 4;

bool StartsWith(const std::array<uint8_t, kMagicSize>& start, size_t offset, std::string_view magic) {
    ByteCursor cursor(start.data(), start.size());
    ByteCursor found;
    return cursor.Skip(offset) && cursor.Take(magic.size(), found) && found.RestEquals(magic);
}

}  // namespace

HeapBytes CoverFromTags(CoverSource& source) {
    CoverReadBudget file(source);
    std::array<uint8_t, kMagicSize> start{};
    if (!file.ReadAt(0, start.data(), start.size())) return {};
    if (StartsWith(start, 0, "ID3")) {
        Id3Search id3 = FindId3Cover(file);
        if (!id3.picture.empty() || !id3.tagIsGood) return std::move(id3.picture);
        return FindFlacCover(file, id3.tagEnd);
    }
    if (StartsWith(start, 0, "fLaC")) return FindFlacCover(file, 0);
    if (StartsWith(start, kMp4TypeOffset, "ftyp")) return FindMp4Cover(file);
    return {};
}
