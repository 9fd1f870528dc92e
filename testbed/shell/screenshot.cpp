// Screen capture into a DIB, and the BMP file format.
#include "testbed/shell/screenshot.h"

#include <cstdio>
#include <cstring>

namespace {

template <typename T>
void Append(std::vector<uint8_t>& bytes, T value) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof value);
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint8_t>& bottomUpRows) {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    const DWORD imageSize = static_cast<DWORD>(Bmp24Stride(width)) * static_cast<DWORD>(height);
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageSize;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;

    std::vector<uint8_t> bytes;
    bytes.reserve(file.bfSize);
    Append(bytes, file);
    Append(bytes, info);
    const size_t copied = bottomUpRows.size() < imageSize ? bottomUpRows.size() : imageSize;
    bytes.insert(bytes.end(), bottomUpRows.begin(), bottomUpRows.begin() + static_cast<std::ptrdiff_t>(copied));
    bytes.resize(file.bfSize, 0);
    return bytes;
}

bool CaptureScreenRect(const RECT& rect, const std::string& bmpPath) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool written = false;
    if (memory && picture && bits) {
        HGDIOBJ previous = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
        SelectObject(memory, previous);
        GdiFlush();
        const auto* first = static_cast<const uint8_t*>(bits);
        const std::vector<uint8_t> rows(first, first + static_cast<size_t>(Bmp24Stride(width)) * height);
        const std::vector<uint8_t> file = EncodeBmp24(width, height, rows);
        if (FILE* out = std::fopen(bmpPath.c_str(), "wb")) {
            written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
            written = std::fclose(out) == 0 && written;
        }
    }
    if (picture) DeleteObject(picture);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}
