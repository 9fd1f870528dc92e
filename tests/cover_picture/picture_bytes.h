// Pictures' headers and small whole pictures built byte by byte, so that
// each test says which field it sets.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

void Append(Bytes& bytes, std::initializer_list<uint8_t> more);
void Append(Bytes& bytes, const Bytes& more);
void AppendBigEndian16(Bytes& bytes, uint32_t value);
void AppendBigEndian32(Bytes& bytes, uint32_t value);
void AppendLittleEndian16(Bytes& bytes, uint32_t value);
void AppendLittleEndian32(Bytes& bytes, uint32_t value);
Bytes BytesOf(const std::string& text);

// The signature and IHDR of a PNG of this size (with a blank CRC).
Bytes PngHeader(uint32_t width, uint32_t height);

// A JPEG marker segment: 0xFF, the marker, its length and its payload.
Bytes JpegSegment(uint8_t marker, const Bytes& payload);
// A three-component frame header (SOF0 is 0xC0, SOF2 0xC2).
Bytes JpegFrame(uint8_t marker, uint32_t width, uint32_t height);
// SOI followed by these segments.
Bytes Jpeg(std::initializer_list<Bytes> segments);
// What cameras and encoders put before the frame: JFIF, Exif and a
// quantisation table.
Bytes JfifSegment();
Bytes ExifSegment();
Bytes QuantisationSegment();
Bytes HuffmanSegment();

// A GIF's signature and logical screen descriptor.
Bytes GifHeader(const char* version, uint32_t width, uint32_t height);

// A BMP's file header and a DIB header of headerSize bytes: the 12-byte
// core header's 16-bit sides, or 32-bit sides for the longer ones.
Bytes BmpHeader(uint32_t headerSize, int32_t width, int32_t height);
// A whole 24-bit BMP; rows of 0xRRGGBB top-down, stored top-down (negative
// height) or bottom-up.
Bytes Bmp24(int width, const std::vector<std::vector<uint32_t>>& rows, bool topDown);
