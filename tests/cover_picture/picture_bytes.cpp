// Pictures' headers and small whole pictures built byte by byte.
#include "tests/cover_picture/picture_bytes.h"

void Append(Bytes& bytes, std::initializer_list<uint8_t> more) { bytes.insert(bytes.end(), more); }
void Append(Bytes& bytes, const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

void AppendBigEndian16(Bytes& bytes, uint32_t value) {
    Append(bytes, {uint8_t(value >> 8), uint8_t(value)});
}
void AppendBigEndian32(Bytes& bytes, uint32_t value) {
    Append(bytes, {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
}
void AppendLittleEndian16(Bytes& bytes, uint32_t value) {
    Append(bytes, {uint8_t(value), uint8_t(value >> 8)});
}
void AppendLittleEndian32(Bytes& bytes, uint32_t value) {
    Append(bytes, {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes PngHeader(uint32_t width, uint32_t height) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    AppendBigEndian32(png, width);
    AppendBigEndian32(png, height);
    Append(png, {8, 6, 0, 0, 0, 0, 0, 0, 0});
    return png;
}

Bytes JpegSegment(uint8_t marker, const Bytes& payload) {
    Bytes segment = {0xFF, marker};
    AppendBigEndian16(segment, uint32_t(payload.size() + 2));
    Append(segment, payload);
    return segment;
}

Bytes JpegFrame(uint8_t marker, uint32_t width, uint32_t height) {
    Bytes payload = {8};
    AppendBigEndian16(payload, height);
    AppendBigEndian16(payload, width);
    Append(payload, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    return JpegSegment(marker, payload);
}

Bytes Jpeg(std::initializer_list<Bytes> segments) {
    Bytes jpeg = {0xFF, 0xD8};
    for (const Bytes& segment : segments) Append(jpeg, segment);
    return jpeg;
}

Bytes JfifSegment() { return JpegSegment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}); }

// An Exif block whose bytes would read as a frame marker with a huge size
// if a reader looked inside it.
Bytes ExifSegment() {
    Bytes payload = BytesOf(std::string("Exif\0\0", 6));
    Append(payload, {'M', 'M', 0, 42, 0xFF, 0xC0, 0, 17, 8, 0xFF, 0xFF, 0xFF, 0xFF});
    return JpegSegment(0xE1, payload);
}

Bytes QuantisationSegment() {
    Bytes payload = {0};
    for (int i = 0; i < 64; ++i) payload.push_back(uint8_t(1 + i));
    return JpegSegment(0xDB, payload);
}

Bytes HuffmanSegment() {
    Bytes payload = {0x00};
    for (int i = 0; i < 16; ++i) payload.push_back(i == 0 ? 1 : 0);
    payload.push_back(0);
    return JpegSegment(0xC4, payload);
}

Bytes GifHeader(const char* version, uint32_t width, uint32_t height) {
    Bytes gif = BytesOf(version);
    AppendLittleEndian16(gif, width);
    AppendLittleEndian16(gif, height);
    Append(gif, {0xF7, 0, 0});
    return gif;
}

namespace {

constexpr uint32_t kBmpFileHeaderSize = 14;

Bytes BmpFileHeader(uint32_t fileSize, uint32_t pixelOffset) {
    Bytes bmp = {'B', 'M'};
    AppendLittleEndian32(bmp, fileSize);
    AppendLittleEndian32(bmp, 0);
    AppendLittleEndian32(bmp, pixelOffset);
    return bmp;
}

}  // namespace

Bytes BmpHeader(uint32_t headerSize, int32_t width, int32_t height) {
    Bytes bmp = BmpFileHeader(kBmpFileHeaderSize + headerSize, kBmpFileHeaderSize + headerSize);
    AppendLittleEndian32(bmp, headerSize);
    if (headerSize == 12) {
        AppendLittleEndian16(bmp, uint32_t(width));
        AppendLittleEndian16(bmp, uint32_t(height));
    } else {
        AppendLittleEndian32(bmp, uint32_t(width));
        AppendLittleEndian32(bmp, uint32_t(height));
    }
    // One plane of 24 bits a pixel, then zeros: no compression, defaults.
    AppendLittleEndian16(bmp, 1);
    AppendLittleEndian16(bmp, 24);
    bmp.resize(kBmpFileHeaderSize + headerSize, 0);
    return bmp;
}

Bytes Bmp24(int width, const std::vector<std::vector<uint32_t>>& rows, bool topDown) {
    const int height = int(rows.size());
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    Bytes bmp = BmpHeader(40, width, topDown ? -height : height);
    const uint32_t fileSize = uint32_t(bmp.size() + stride * height);
    for (int i = 0; i < 4; ++i) bmp[2 + i] = uint8_t(fileSize >> (8 * i));
    for (int stored = 0; stored < height; ++stored) {
        const auto& row = rows[topDown ? stored : height - 1 - stored];
        for (uint32_t rgb : row) Append(bmp, {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)});
        bmp.resize(bmp.size() + stride - size_t(width) * 3, 0);
    }
    return bmp;
}
