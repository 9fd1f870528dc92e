// Where a song's cover picture is: the file's tags may carry it, and its
// folder may hold one beside it; and what a cover found is kept by, so that
// it serves again only while none of that has changed. Everything here but
// the pure rules runs on the cover's worker, never on the shell's thread: a
// file on a network share may take as long as it likes.
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

// A file or folder as a cover was looked for at it: its name, size and
// last write, so that one changed since is looked at afresh.
struct FileStamp {
    uint64_t nameHash;
    uint64_t size;
    uint64_t written;
};
constexpr bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.nameHash == b.nameHash && a.size == b.size && a.written == b.written;
}

// What a song's cover was found from: the song's file and, unless the
// file's own tags held the cover (they come first, so the folder has no
// say), the folder's picture, or the folder itself when it holds none (a
// picture copied in later changes its last write).
struct CoverKey {
    FileStamp song;
    bool fromTags;
    FileStamp folder;
};
constexpr bool SameCover(const CoverKey& a, const CoverKey& b) {
    return SameStamp(a.song, b.song) && a.fromTags == b.fromTags && (a.fromTags || SameStamp(a.folder, b.folder));
}

// Worker thread: the stamp of the file at path, nothing when it is no file.
// Asks the file system for the file's attributes; opens nothing.
std::optional<FileStamp> StampOfFile(const std::wstring& path);

// What the song's tags gave: the cover picture's bytes, empty when they
// hold none. `whole` when the file was opened, every read of it came back
// and the heap held what the readers asked for: only then is "none" the
// file's last word rather than a share's hiccup, a tagger holding the file
// while it saves, or memory short for a moment. Reads at most 16 MB.
struct TagCover {
    HeapBytes bytes;
    bool whole;
};
TagCover CoverFromSongTags(const std::wstring& path);

// The song's folder's say: the picture there that serves as the cover (its
// full name, empty when there is none) and its stamp, or the folder's own
// stamp when there is none. Nothing when the folder could not be searched.
struct FolderCover {
    FileStamp stamp;
    std::wstring picture;
};
std::optional<FolderCover> LookInFolder(const std::wstring& songPath);

// Worker thread: the whole of a picture file; empty when it cannot be read
// or is over the decoders' bound.
HeapBytes ReadPictureFile(const std::wstring& path);
