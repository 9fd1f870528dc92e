// Reads pixels straight out of a device-independent bitmap.
#include "tests/resources/dib_view.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

uint32_t DibView::Pixel(int x, int y) const {
    const uint8_t* row = bits + static_cast<size_t>(height - 1 - y) * stride;
    const uint8_t* p = row + static_cast<size_t>(x) * (bitCount / 8);
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// An icon image's header counts its colour rows and its mask rows together;
// the view then covers the colour rows only.
static std::optional<DibView> ViewDib(const uint8_t* header, size_t headerSpace,
                                      const uint8_t* bits, size_t bitSpace, bool iconImage) {
    BITMAPINFOHEADER info;
    if (headerSpace < sizeof info) return std::nullopt;
    std::memcpy(&info, header, sizeof info);
    if (info.biSize < sizeof info || info.biWidth <= 0 || info.biHeight <= 0 ||
        (info.biBitCount != 24 && info.biBitCount != 32))
        return std::nullopt;
    DibView view;
    view.width = info.biWidth;
    view.height = iconImage ? info.biHeight / 2 : info.biHeight;
    view.bitCount = info.biBitCount;
    view.compression = info.biCompression;
    view.stride = ((static_cast<size_t>(view.width) * view.bitCount + 31) / 32) * 4;
    if (bitSpace < view.stride * view.height) return std::nullopt;
    view.bits = bits;
    return view;
}

static std::optional<DibView> ParseResourceDib(const uint8_t* header, size_t size,
                                               bool iconImage) {
    if (!header || size < sizeof(BITMAPINFOHEADER)) return std::nullopt;
    BITMAPINFOHEADER info;
    std::memcpy(&info, header, sizeof info);
    // 24- and 32-bit pictures carry no colour table unless biClrUsed says so.
    size_t offset = info.biSize + info.biClrUsed * sizeof(RGBQUAD);
    if (offset > size) return std::nullopt;
    return ViewDib(header, size, header + offset, size - offset, iconImage);
}

std::optional<DibView> ParseDib(const uint8_t* header, size_t size) {
    return ParseResourceDib(header, size, false);
}

std::optional<DibView> ParseIconImage(const uint8_t* header, size_t size) {
    return ParseResourceDib(header, size, true);
}

std::optional<DibView> ParseBmpFile(const std::vector<uint8_t>& file) {
    BITMAPFILEHEADER head;
    if (file.size() < sizeof head) return std::nullopt;
    std::memcpy(&head, file.data(), sizeof head);
    if (head.bfType != 0x4D42 || head.bfOffBits > file.size()) return std::nullopt;
    return ViewDib(file.data() + sizeof head, file.size() - sizeof head,
                   file.data() + head.bfOffBits, file.size() - head.bfOffBits, false);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}
