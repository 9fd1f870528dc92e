// Pictures' headers built field by field, so that each test says which
// field it sets.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// A number in size bytes, most significant first or last.
inline Bytes BigEndian(uint32_t value, int size) {
    Bytes bytes;
    for (int i = size - 1; i >= 0; --i) bytes.push_back(uint8_t(value >> (8 * i)));
    return bytes;
}
inline Bytes LittleEndian(uint32_t value, int size) {
    Bytes bytes;
    for (int i = 0; i < size; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
    return bytes;
}

// The signature and IHDR of a PNG of this size (with a blank CRC); 8-bit
// RGBA unless told.
enum PngColour : uint8_t { kPngGrey = 0, kPngRgb = 2, kPngPalette = 3, kPngGreyAlpha = 4, kPngRgba = 6 };
inline Bytes PngHeader(uint32_t width, uint32_t height, uint8_t bitDepth = 8, uint8_t colour = kPngRgba,
                       uint8_t interlace = 0) {
    return Joined({{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'},
                   BigEndian(width, 4), BigEndian(height, 4), {bitDepth, colour, 0, 0, interlace, 0, 0, 0, 0}});
}

// A whole, valid RGBA PNG of clear pixels at this depth, its rows of
// zeros one zlib stream of deflate's fixed codes (each code written most
// significant bit first): a literal zero, then copies of 258 bytes from
// one back, the rest as literals. 8,192 x 8,192 at 16 bits is 3.4 MB.
inline Bytes ZeroPng(uint32_t width, uint32_t height, uint8_t bitDepth) {
    const auto chunk = [](const char* type, const Bytes& data) {
        Bytes typed = Joined({BytesOf(std::string(type, 4)), data});
        uint32_t crc = ~0u;
        for (uint8_t byte : typed) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        return Joined({BigEndian(uint32_t(data.size()), 4), typed, BigEndian(~crc, 4)});
    };
    const uint32_t zeros = height * (1 + width * 4 * (bitDepth / 8));  // a filter byte before each row
    Bytes zlib = {0x78, 0x01};
    uint64_t bits = 0;
    const auto put = [&](uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i, ++bits) {
            if (bits % 8 == 0) zlib.push_back(0);
            zlib.back() |= uint8_t(((code >> i) & 1) << (bits % 8));
        }
    };
    constexpr uint32_t kLiteralZero = 0x30, kLength258 = 0xC5;
    put(0b110, 3);  // the last block, of fixed codes
    put(kLiteralZero, 8);
    uint32_t left = zeros - 1;
    for (; left >= 258; left -= 258) put(kLength258 << 5, 13);  // then distance code 0: one back
    for (; left > 0; --left) put(kLiteralZero, 8);
    put(0, 7);  // the block's end
    const Bytes adler = BigEndian((zeros % 65521) << 16 | 1, 4);
    const Bytes header = {bitDepth, kPngRgba, 0, 0, 0};
    return Joined({{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
                   chunk("IHDR", Joined({BigEndian(width, 4), BigEndian(height, 4), header})),
                   chunk("IDAT", Joined({zlib, adler})), chunk("IEND", {})});
}

// A JPEG segment: 0xFF, its marker, its length and its payload.
inline Bytes JpegSegment(uint8_t marker, const Bytes& payload) {
    return Joined({{0xFF, marker}, BigEndian(uint32_t(payload.size() + 2), 2), payload});
}
// A frame header (SOF0 is 0xC0, SOF2 0xC2) with a component for each
// sampling byte (horizontal factor high, vertical low): 4:2:0 unless told.
inline Bytes JpegFrame(uint8_t marker, uint32_t width, uint32_t height, Bytes sampling = {0x22, 0x11, 0x11}) {
    Bytes frame = Joined({{8}, BigEndian(height, 2), BigEndian(width, 2), {uint8_t(sampling.size())}});
    for (size_t i = 0; i < sampling.size(); ++i) frame.insert(frame.end(), {uint8_t(i + 1), sampling[i], 0});
    return JpegSegment(marker, frame);
}
// A scan header for the first components components, and a little coded
// data after it.
inline Bytes JpegScan(uint8_t components) {
    Bytes scan = {components};
    for (uint8_t i = 1; i <= components; ++i) scan.insert(scan.end(), {i, 0});
    return Joined({JpegSegment(0xDA, Joined({scan, {0, 63, 0}})), {0x12, 0x34, 0xFF, 0x00, 0x56}});
}
// What encoders put before the frame: JFIF, an Exif block whose bytes would
// read as a huge frame to a reader that looked inside, and a quantisation
// table.
inline Bytes JpegPreamble() {
    return Joined({JpegSegment(0xE0, BytesOf("JFIF")),
                   JpegSegment(0xE1, Joined({BytesOf("Exif"), {0, 0, 0xFF, 0xC0, 0, 17, 8, 0xFF, 0xFF, 0xFF, 0xFF}})),
                   JpegSegment(0xDB, Bytes(65, 1))});
}
inline Bytes Jpeg(std::initializer_list<Bytes> segments) { return Joined({{0xFF, 0xD8}, Joined(segments)}); }

// A GIF's signature and logical screen descriptor; flags with their top bit
// set say a colour table of 2^(n+1) entries follows (GifColourTable(n)).
inline Bytes GifHeader(const char* version, uint32_t width, uint32_t height, uint8_t flags = 0) {
    return Joined({BytesOf(version), LittleEndian(width, 2), LittleEndian(height, 2), {flags, 0, 0}});
}
inline Bytes GifColourTable(int n) { return Bytes(size_t(3) << (n + 1), 0x40); }
// An extension block: its label, its data in one sub-block (up to 255
// bytes), and the empty sub-block that ends them.
inline Bytes GifExtension(uint8_t label, const Bytes& data) {
    return Joined({{0x21, label, uint8_t(data.size())}, data, {0}});
}
// An image descriptor, and then its LZW data (minimum code size and
// sub-blocks) as given: by default one small sub-block and the terminator.
inline Bytes GifImage(uint32_t left, uint32_t top, uint32_t width, uint32_t height, uint8_t flags = 0,
                      const Bytes& data = {2, 2, 0x4C, 0x01, 0}) {
    return Joined({{0x2C}, LittleEndian(left, 2), LittleEndian(top, 2), LittleEndian(width, 2),
                   LittleEndian(height, 2), {flags}, data});
}
constexpr uint8_t kGifTrailer = 0x3B;

// A BMP's file header and a DIB header of headerSize bytes: the 12-byte
// core header's 16-bit sides, or 32-bit sides for the longer ones.
inline Bytes BmpHeader(uint32_t headerSize, int32_t width, int32_t height) {
    const int side = headerSize == 12 ? 2 : 4;
    Bytes bmp = Joined({BytesOf("BM"), LittleEndian(14 + headerSize, 4), Bytes(4, 0), LittleEndian(14 + headerSize, 4),
                        LittleEndian(headerSize, 4), LittleEndian(uint32_t(width), side),
                        LittleEndian(uint32_t(height), side), {1, 0, 24, 0}});
    bmp.resize(14 + headerSize, 0);
    return bmp;
}
