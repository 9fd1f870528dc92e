// The size a PNG, JPEG, GIF or BMP header claims, read through one bounded
// cursor so that no header, however broken, can make us read past the
// picture's bytes.
#include "titletip/picture_header.h"

#include <cstring>

namespace {

// A cursor that cannot move past the end of its bytes. Each read says
// whether it fit, and a read that did not fit leaves the cursor where it
// was. Counts are compared in 64 bits with what is left, so none can wrap.
class BoundedReader {
public:
    BoundedReader() = default;
    BoundedReader(const uint8_t* data, size_t size) : data_(data), size_(data != nullptr ? size : 0) {}

    uint64_t Left() const { return size_ - offset_; }

    bool Skip(uint64_t count) {
        if (count > Left()) return false;
        offset_ += static_cast<size_t>(count);
        return true;
    }

    // The next count bytes as a cursor of their own, this one moved past them.
    bool Split(uint64_t count, BoundedReader& part) {
        if (count > Left()) return false;
        part = BoundedReader(data_ + offset_, static_cast<size_t>(count));
        offset_ += static_cast<size_t>(count);
        return true;
    }

    // Moves past the next bytes only when they are these.
    template <size_t N>
    bool Expect(const uint8_t (&bytes)[N]) {
        if (N > Left() || std::memcmp(data_ + offset_, bytes, N) != 0) return false;
        offset_ += N;
        return true;
    }

    bool U8(uint8_t& out) {
        if (Left() < 1) return false;
        out = data_[offset_++];
        return true;
    }
    bool BigEndian16(uint16_t& out) { return Number(2, false, out); }
    bool BigEndian32(uint32_t& out) { return Number(4, false, out); }
    bool LittleEndian16(uint16_t& out) { return Number(2, true, out); }
    bool LittleEndian32(uint32_t& out) { return Number(4, true, out); }

private:
    template <typename T>
    bool Number(size_t width, bool littleEndian, T& out) {
        if (width > Left()) return false;
        uint32_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            const uint32_t byte = data_[offset_ + (littleEndian ? width - 1 - i : i)];
            value = (value << 8) | byte;
        }
        offset_ += width;
        out = static_cast<T>(value);
        return true;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t offset_ = 0;
};

using MaybeSize = std::optional<PictureSize>;

constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// IHDR comes first and is always 13 bytes long.
constexpr uint8_t kPngHeaderChunk[] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
// Bit depth, colour type, compression, filter and interlace after the size.
constexpr uint64_t kPngHeaderTail = 5;

MaybeSize PngSize(BoundedReader bytes) {
    uint32_t width = 0, height = 0;
    if (!bytes.Expect(kPngHeaderChunk) || !bytes.BigEndian32(width) || !bytes.BigEndian32(height) ||
        !bytes.Skip(kPngHeaderTail))
        return std::nullopt;
    return PictureSize{PictureKind::Png, width, height};
}

constexpr uint8_t kJpegStart[] = {0xFF, 0xD8};
constexpr uint8_t kJpegMarkerPrefix = 0xFF;
constexpr uint8_t kJpegStuffedZero = 0x00;
constexpr uint8_t kJpegTemporary = 0x01;
constexpr uint8_t kJpegRestartFirst = 0xD0, kJpegRestartLast = 0xD7;
constexpr uint8_t kJpegImageStart = 0xD8, kJpegImageEnd = 0xD9, kJpegScanStart = 0xDA;
constexpr uint8_t kJpegFrameFirst = 0xC0, kJpegFrameLast = 0xCF;
// Inside the SOFn range but not frames: Huffman tables, the reserved JPG
// extension and arithmetic coding conditioning.
constexpr uint8_t kJpegHuffmanTables = 0xC4, kJpegExtension = 0xC8, kJpegArithmeticTables = 0xCC;

bool StartsFrame(uint8_t marker) {
    return marker >= kJpegFrameFirst && marker <= kJpegFrameLast && marker != kJpegHuffmanTables &&
           marker != kJpegExtension && marker != kJpegArithmeticTables;
}

bool StandsAlone(uint8_t marker) {
    return marker == kJpegTemporary || (marker >= kJpegRestartFirst && marker <= kJpegRestartLast);
}

// Walks the segments up to the first frame header. A scan, the image's end
// or anything but a marker before it means there is no size to trust.
MaybeSize JpegSize(BoundedReader bytes) {
    for (;;) {
        uint8_t prefix = 0, marker = kJpegMarkerPrefix;
        if (!bytes.U8(prefix) || prefix != kJpegMarkerPrefix) return std::nullopt;
        while (marker == kJpegMarkerPrefix)  // fill bytes may pad any marker
            if (!bytes.U8(marker)) return std::nullopt;
        if (StandsAlone(marker)) continue;
        if (marker == kJpegStuffedZero || marker == kJpegImageStart || marker == kJpegImageEnd ||
            marker == kJpegScanStart)
            return std::nullopt;
        // The length counts its own two bytes.
        uint16_t length = 0;
        BoundedReader segment;
        if (!bytes.BigEndian16(length) || length < 2 || !bytes.Split(length - 2u, segment)) return std::nullopt;
        if (!StartsFrame(marker)) continue;
        uint8_t precision = 0;
        uint16_t height = 0, width = 0;
        if (!segment.U8(precision) || !segment.BigEndian16(height) || !segment.BigEndian16(width))
            return std::nullopt;
        return PictureSize{PictureKind::Jpeg, width, height};
    }
}

constexpr uint8_t kGif87[] = {'G', 'I', 'F', '8', '7', 'a'};
constexpr uint8_t kGif89[] = {'G', 'I', 'F', '8', '9', 'a'};
// Flags, background colour and aspect after the logical screen's size.
constexpr uint64_t kGifScreenTail = 3;

MaybeSize GifSize(BoundedReader bytes) {
    uint16_t width = 0, height = 0;
    if (!bytes.LittleEndian16(width) || !bytes.LittleEndian16(height) || !bytes.Skip(kGifScreenTail))
        return std::nullopt;
    return PictureSize{PictureKind::Gif, width, height};
}

constexpr uint8_t kBmpStart[] = {'B', 'M'};
// The file header's size field, two reserved words and the pixels' offset.
constexpr uint64_t kBmpFileHeaderTail = 12;
constexpr uint32_t kBmpCoreHeaderSize = 12;
// BITMAPINFOHEADER and its later versions, and the two forms of OS/2's
// second header: all with 32-bit signed sides.
constexpr uint32_t kBmpInfoHeaderSizes[] = {16, 40, 52, 56, 64, 108, 124};

bool KnownInfoHeader(uint32_t headerSize) {
    for (uint32_t known : kBmpInfoHeaderSizes)
        if (headerSize == known) return true;
    return false;
}

MaybeSize BmpSize(BoundedReader bytes) {
    uint32_t headerSize = 0;
    BoundedReader header;
    // The header's size counts its own four bytes.
    if (!bytes.Skip(kBmpFileHeaderTail) || !bytes.LittleEndian32(headerSize) || headerSize < 4 ||
        !bytes.Split(headerSize - 4u, header))
        return std::nullopt;
    if (headerSize == kBmpCoreHeaderSize) {
        uint16_t width = 0, height = 0;
        if (!header.LittleEndian16(width) || !header.LittleEndian16(height)) return std::nullopt;
        return PictureSize{PictureKind::Bmp, width, height};
    }
    uint32_t width = 0, height = 0;
    if (!KnownInfoHeader(headerSize) || !header.LittleEndian32(width) || !header.LittleEndian32(height))
        return std::nullopt;
    if (static_cast<int32_t>(width) < 0) return std::nullopt;
    // A negative height marks rows stored top-down; unsigned negation keeps
    // the most negative one whole.
    if (static_cast<int32_t>(height) < 0) height = 0u - height;
    return PictureSize{PictureKind::Bmp, width, height};
}

bool SideInRange(uint32_t side) { return side >= 1 && side <= kCoverSideMax; }

}  // namespace

std::optional<PictureSize> PictureSizeOf(const uint8_t* data, size_t size) {
    BoundedReader bytes(data, size);
    if (bytes.Expect(kPngSignature)) return PngSize(bytes);
    if (bytes.Expect(kJpegStart)) return JpegSize(bytes);
    if (bytes.Expect(kGif87) || bytes.Expect(kGif89)) return GifSize(bytes);
    if (bytes.Expect(kBmpStart)) return BmpSize(bytes);
    return std::nullopt;
}

bool DecodableCover(const uint8_t* data, size_t size) {
    if (size > kCoverBytesMax) return false;
    const auto picture = PictureSizeOf(data, size);
    return picture && SideInRange(picture->width) && SideInRange(picture->height);
}
