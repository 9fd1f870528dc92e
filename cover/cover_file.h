// Where a song's cover picture is: the file's tags may carry it, and its
// folder may hold one beside it. Everything here but the pure rules runs on
// the cover's worker, never on the shell's thread: a file on a network
// share may take as long as it likes.
#pragma once

#include "cover/heap_bytes.h"

#include <windows.h>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Pure: a name a cover can be looked for at: a local path ("C:\...") or a
// network one ("\\server\share\..."); not a stream's address.
bool IsFilePath(std::wstring_view name);

// Pure: where a file name stands among the folder's pictures tried, in
// order (cover, folder, front, albumart, each as .jpg, .jpeg and .png, in
// any letter case), or -1 for a name that is none of them.
int FolderPictureRank(std::wstring_view fileName);

// A file as a cover was found for it: its name, size and last write, so a
// file changed since reads afresh.
struct CoverKey {
    uint64_t nameHash;
    uint64_t size;
    uint64_t written;
};
constexpr bool SameFile(const CoverKey& a, const CoverKey& b) {
    return a.nameHash == b.nameHash && a.size == b.size && a.written == b.written;
}

// Worker thread: the key of the file at path, nothing when it is no file.
// Asks the file system for the file's attributes; opens nothing.
std::optional<CoverKey> KeyOfFile(const std::wstring& path);

// Worker thread: the cover's picture bytes for the song at path: from its
// tags, else from its folder; empty when there is none. Reads at most
// 16 MB of any one file.
HeapBytes FindCoverBytes(const std::wstring& path);
