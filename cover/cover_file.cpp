// The song's cover's bytes from the file's tags or its folder, read
// through bounded file reads, and the stamps a kept cover is known by.
#include "cover/cover_file.h"

#include "player/playlist.h"
#include "cover/cover_tags.h"
#include "cover/picture_header.h"

#include <array>
#include <cwctype>

namespace {

constexpr std::array<std::wstring_view, 4> kFolderPictureNames = {L"cover", L"folder", L"front", L"albumart"};
constexpr std::array<std::wstring_view, 3> kFolderPictureTypes = {L".jpg", L".jpeg", L".png"};
// A folder of more is not looked through to its end: the pictures sought
// are rarely there, and the worker would be long on a slow share.
constexpr int kFolderEntriesLooked = 4096;
// A song's name is read whole up to kTitleReadMax characters; a picture's
// name in its folder is at most MAX_PATH.
constexpr size_t kFolderPathRoom = kTitleReadMax + MAX_PATH;

bool SameLetters(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

class FileHandle {
public:
    explicit FileHandle(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    ~FileHandle() {
        if (Open()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// A file's bytes as the tag readers see them: each read at its own offset,
// whole or not at all. A read the file's size allows that fails anyway is
// a fault of the file's place, not of its bytes, and is remembered.
class FileCoverSource final : public CoverSource {
public:
    explicit FileCoverSource(HANDLE file) : file_(file) {
        LARGE_INTEGER size = {};
        sized_ = GetFileSizeEx(file, &size) != FALSE;
        if (sized_ && size.QuadPart > 0) size_ = static_cast<uint64_t>(size.QuadPart);
    }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* out, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        auto* bytes = static_cast<uint8_t*>(out);
        while (size > 0) {
            OVERLAPPED at = {};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD chunk = size > kCoverReadLimit ? static_cast<DWORD>(kCoverReadLimit) : static_cast<DWORD>(size);
            DWORD got = 0;
            if (!ReadFile(file_, bytes, chunk, &got, &at) || got == 0) {
                faulted_ = true;
                return false;
            }
            bytes += got;
            offset += got;
            size -= got;
        }
        return true;
    }
    bool Whole() const { return sized_ && !faulted_; }

private:
    HANDLE file_;
    uint64_t size_ = 0;
    bool sized_ = false;
    bool faulted_ = false;
};

uint64_t Joined(DWORD high, DWORD low) { return static_cast<uint64_t>(high) << 32 | low; }
uint64_t Joined(const FILETIME& time) { return Joined(time.dwHighDateTime, time.dwLowDateTime); }

}  // namespace

bool IsFilePath(std::wstring_view name) {
    if (name.size() >= 3 && IsLetter(name[0]) && name[1] == L':' && (name[2] == L'\\' || name[2] == L'/'))
        return true;
    // "\\server\share\...", not the device namespace "\\.\".
    return name.size() > 2 && name[0] == L'\\' && name[1] == L'\\' && name[2] != L'.' && name[2] != L'\\';
}

int FolderPictureRank(std::wstring_view fileName) {
    int rank = 0;
    for (const std::wstring_view base : kFolderPictureNames) {
        for (const std::wstring_view type : kFolderPictureTypes) {
            if (fileName.size() == base.size() + type.size() && SameLetters(fileName.substr(0, base.size()), base) &&
                SameLetters(fileName.substr(base.size()), type))
                return rank;
            ++rank;
        }
    }
    return -1;
}

std::optional<FileStamp> StampOfFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileStamp{TextHash(path), Joined(attributes.nFileSizeHigh, attributes.nFileSizeLow),
                     Joined(attributes.ftLastWriteTime)};
}

TagCover CoverFromSongTags(const std::wstring& path) {
    const FileHandle file(path);
    if (!file.Open()) return {HeapBytes(), false};
    FileCoverSource source(file.Get());
    bool heapRanShort = false;
    HeapBytes bytes = CoverFromTags(source, &heapRanShort);
    return {std::move(bytes), source.Whole() && !heapRanShort};
}

std::optional<FolderCover> LookInFolder(const std::wstring& songPath) {
    const size_t slash = songPath.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 2 >= kFolderPathRoom) return std::nullopt;
    // The folder, then each name looked for in it.
    wchar_t path[kFolderPathRoom];
    wchar_t* const name = path + songPath.copy(path, slash + 1);
    lstrcpynW(name, L"*", 2);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(path, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    int bestRank = -1;
    FileStamp bestStamp = {};
    // A search cut short by the share, not by the folder's end, said nothing.
    bool searched = true;
    for (int looked = 1;; ++looked) {
        const int rank =
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? -1 : FolderPictureRank(found.cFileName);
        if (rank >= 0 && (bestRank < 0 || rank < bestRank)) {
            bestRank = rank;
            lstrcpynW(name, found.cFileName, static_cast<int>(path + kFolderPathRoom - name));
            bestStamp = FileStamp{TextHash(found.cFileName), Joined(found.nFileSizeHigh, found.nFileSizeLow),
                                  Joined(found.ftLastWriteTime)};
        }
        if (bestRank == 0 || looked >= kFolderEntriesLooked) break;
        if (!FindNextFileW(search, &found)) {
            searched = GetLastError() == ERROR_NO_MORE_FILES;
            break;
        }
    }
    FindClose(search);
    if (!searched) return std::nullopt;
    if (bestRank >= 0) return FolderCover{bestStamp, path};
    // None there: the folder's own last write, which a picture copied in
    // changes. "C:\" names a drive's root only with its backslash.
    *(slash > 2 ? name - 1 : name) = L'\0';
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &attributes)) return std::nullopt;
    return FolderCover{FileStamp{0, 0, Joined(attributes.ftLastWriteTime)}, std::wstring()};
}

HeapBytes ReadPictureFile(const std::wstring& path) {
    const FileHandle file(path);
    LARGE_INTEGER size = {};
    if (!file.Open() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        static_cast<uint64_t>(size.QuadPart) > kCoverBytesMax)
        return {};
    HeapBytes bytes;
    DWORD got = 0;
    if (!bytes.Allocate(static_cast<size_t>(size.QuadPart)) ||
        !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
        return {};
    return bytes;
}
