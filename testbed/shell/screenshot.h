// Screenshots of a part of the screen as 24-bit BMP files.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// The bytes of a 24-bit bottom-up BMP file for pixels given as rows of
// blue, green, red triples, bottom row first, each row padded to 4 bytes.
std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint8_t>& bottomUpRows);

// Bytes in one padded row of a 24-bit picture.
constexpr int Bmp24Stride(int width) { return (width * 3 + 3) & ~3; }

// Copies the screen rectangle (screen coordinates) as it looks now, other
// programs' windows included, into a BMP file. False when nothing was
// written.
bool CaptureScreenRect(const RECT& rect, const std::string& bmpPath);
