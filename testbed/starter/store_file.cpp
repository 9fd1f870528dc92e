// Store file input and output; see store_file.h.
#include "testbed/starter/store_file.h"

#include <windows.h>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (ok()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool WriteAndFlush(const std::string& path, std::string_view text) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) return false;
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return false;
    return written == text.size() && FlushFileBuffers(file.get());
}

// Always the same name: a temporary file left by a write cut short is
// simply overwritten by the next one, never piles up.
std::string TemporaryPathFor(const std::string& path) { return path + ".tmp"; }

}  // namespace

StoreRead ReadStoreText(const std::string& path, std::string* text) {
    text->clear();
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) return IsMissingFileError(GetLastError()) ? StoreRead::Missing : StoreRead::Unreadable;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kStoreFileLimit)) {
        return StoreRead::Unreadable;
    }
    text->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), text->data(), static_cast<DWORD>(text->size()), &read, nullptr) ||
        read != text->size()) {
        text->clear();
        return StoreRead::Unreadable;
    }
    return StoreRead::Loaded;
}

bool ReplaceStoreText(const std::string& path, std::string_view text) {
    const std::string temporary = TemporaryPathFor(path);
    if (!WriteAndFlush(temporary, text)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
