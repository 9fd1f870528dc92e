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

// The signature and IHDR of a PNG of this size (with a blank CRC).
inline Bytes PngHeader(uint32_t width, uint32_t height) {
    return Joined({{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'},
                   BigEndian(width, 4), BigEndian(height, 4), {8, 6, 0, 0, 0, 0, 0, 0, 0}});
}

// A JPEG segment: 0xFF, its marker, its length and its payload.
inline Bytes JpegSegment(uint8_t marker, const Bytes& payload) {
    return Joined({{0xFF, marker}, BigEndian(uint32_t(payload.size() + 2), 2), payload});
}
// A three-component frame header (SOF0 is 0xC0, SOF2 0xC2).
inline Bytes JpegFrame(uint8_t marker, uint32_t width, uint32_t height) {
    return JpegSegment(marker, Joined({{8}, BigEndian(height, 2), BigEndian(width, 2),
                                       {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}}));
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

// A GIF's signature and logical screen descriptor.
inline Bytes GifHeader(const char* version, uint32_t width, uint32_t height) {
    return Joined({BytesOf(version), LittleEndian(width, 2), LittleEndian(height, 2), {0xF7, 0, 0}});
}

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
