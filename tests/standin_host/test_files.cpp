// Scratch files and log reading for the stand-in host's tests.
#include "tests/standin_host/test_files.h"

#include "testbed/starter/standin_api.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void Append16(std::string* out, uint16_t value) {
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>(value >> 8));
}

void Append32(std::string* out, uint32_t value) {
    Append16(out, static_cast<uint16_t>(value & 0xFFFF));
    Append16(out, static_cast<uint16_t>(value >> 16));
}

void AppendInfoHeader(std::string* out, int width, int height, int bitCount) {
    Append32(out, 40);
    Append32(out, static_cast<uint32_t>(width));
    Append32(out, static_cast<uint32_t>(height));
    Append16(out, 1);
    Append16(out, static_cast<uint16_t>(bitCount));
    for (int i = 0; i < 6; ++i) Append32(out, 0);  // BI_RGB, sizes, resolution, palette
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    char base[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
    path_ = std::string(base) + "standin-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    DeleteTree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr)) throw std::runtime_error("cannot create " + path_);
}

TempFolder::~TempFolder() { DeleteTree(path_); }

std::string TempFolder::PathOf(std::string_view name) const { return path_ + "\\" + std::string(name); }

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw std::runtime_error("short write to " + path);
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string BmpFileBytes(int width, int height, const std::vector<COLORREF>& pixels) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t dataOffset = 14 + 40;
    std::string out = "BM";
    Append32(&out, dataOffset + static_cast<uint32_t>(stride * height));
    Append32(&out, 0);
    Append32(&out, dataOffset);
    AppendInfoHeader(&out, width, height, 24);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = pixels[static_cast<size_t>(y * width + x)];
            out.push_back(static_cast<char>(GetBValue(colour)));
            out.push_back(static_cast<char>(GetGValue(colour)));
            out.push_back(static_cast<char>(GetRValue(colour)));
        }
        out.append(static_cast<size_t>(stride - width * 3), '\0');
    }
    return out;
}

std::string IcoFileBytes(int size, COLORREF colour) {
    const int maskStride = ((size + 31) / 32) * 4;
    const uint32_t imageBytes = 40 + static_cast<uint32_t>(size * size * 4 + maskStride * size);
    std::string out;
    Append16(&out, 0);  // reserved
    Append16(&out, 1);  // icon
    Append16(&out, 1);  // one image
    out.push_back(static_cast<char>(size));
    out.push_back(static_cast<char>(size));
    out.push_back(0);  // no palette
    out.push_back(0);
    Append16(&out, 1);
    Append16(&out, 32);
    Append32(&out, imageBytes);
    Append32(&out, 6 + 16);
    AppendInfoHeader(&out, size, size * 2, 32);
    for (int i = 0; i < size * size; ++i) {
        out.push_back(static_cast<char>(GetBValue(colour)));
        out.push_back(static_cast<char>(GetGValue(colour)));
        out.push_back(static_cast<char>(GetRValue(colour)));
        out.push_back(static_cast<char>(0xFF));
    }
    out.append(static_cast<size_t>(maskStride * size), '\0');
    return out;
}

std::vector<std::string> CallLogLines() {
    const int length = StandInReadCallLog(nullptr, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    StandInReadCallLog(text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
