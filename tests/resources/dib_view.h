// Reads pixels straight out of a device-independent bitmap, as it sits in a
// bitmap resource or after a .bmp file's header, without GDI in between.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct DibView {
    int width = 0;
    int height = 0;       // positive: rows stored bottom-up
    int bitCount = 0;
    uint32_t compression = 0;
    const uint8_t* bits = nullptr;
    size_t stride = 0;    // bytes per stored row, padded to four

    // 0xRRGGBB of the pixel at column x, row y counted from the top.
    uint32_t Pixel(int x, int y) const;
};

// header points at a BITMAPINFOHEADER; the pixels follow it and its colour
// table. Empty when the header is not one or the data is too short.
std::optional<DibView> ParseDib(const uint8_t* header, size_t size);

// One image of an icon resource: a DIB whose header height counts the
// colour rows and the mask rows; the view covers the colour rows.
std::optional<DibView> ParseIconImage(const uint8_t* header, size_t size);

// A .bmp file held in memory: the file header, then a DIB whose pixels
// start where the file header says.
std::optional<DibView> ParseBmpFile(const std::vector<uint8_t>& file);

std::vector<uint8_t> ReadWholeFile(const std::string& path);
