// A 32-bit top-down DIB section: row 0 on top, pixels readable in place.
// The stand-in host stretches into one; tests draw into one and read back.
#pragma once

#include <windows.h>
#include <cstdint>

inline HBITMAP CreateTopDownDib(int width, int height, uint32_t** bits = nullptr) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* raw = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    if (bits) *bits = static_cast<uint32_t*>(raw);
    return bitmap;
}
