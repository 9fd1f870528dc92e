// The size a PNG, JPEG, GIF or BMP header claims, read through one bounded
// cursor so that no header, however broken, can make us read past the
// picture's bytes.
#include "cover/picture_header.h"

#include "cover/byte_cursor.h"

#include <string_view>

namespace {

using MaybeSize = std::optional<PictureSize>;

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);
// IHDR comes first and is always 13 bytes long.
constexpr std::string_view kPngHeaderChunk("\x00\x00\x00\rIHDR", 8);
// Bit depth, colour type, compression, filter and interlace after the size.
constexpr uint64_t kPngHeaderTail = 5;

MaybeSize PngSize(ByteCursor bytes) {
    uint32_t width = 0, height = 0;
    if (!bytes.SkipIf(kPngHeaderChunk) || !bytes.ReadU32BE(width) || !bytes.ReadU32BE(height) ||
        !bytes.Skip(kPngHeaderTail))
        return std::nullopt;
    return PictureSize{PictureKind::Png, width, height};
}

constexpr std::string_view kJpegStart("\xFF\xD8", 2);
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
MaybeSize JpegSize(ByteCursor bytes) {
    for (;;) {
        uint8_t prefix = 0, marker = kJpegMarkerPrefix;
        if (!bytes.ReadU8(prefix) || prefix != kJpegMarkerPrefix) return std::nullopt;
        while (marker == kJpegMarkerPrefix)  // fill bytes may pad any marker
            if (!bytes.ReadU8(marker)) return std::nullopt;
        if (StandsAlone(marker)) continue;
        if (marker == kJpegStuffedZero || marker == kJpegImageStart || marker == kJpegImageEnd ||
            marker == kJpegScanStart)
            return std::nullopt;
        // The length counts its own two bytes.
        uint16_t length = 0;
        ByteCursor segment;
        if (!bytes.ReadU16BE(length) || length < 2 || !bytes.Take(length - 2u, segment)) return std::nullopt;
        if (!StartsFrame(marker)) continue;
        uint8_t precision = 0;
        uint16_t height = 0, width = 0;
        if (!segment.ReadU8(precision) || !segment.ReadU16BE(height) || !segment.ReadU16BE(width))
            return std::nullopt;
        return PictureSize{PictureKind::Jpeg, width, height};
    }
}

constexpr std::string_view kGif87("GIF87a", 6);
constexpr std::string_view kGif89("GIF89a", 6);
// Flags, background colour and aspect after the logical screen's size.
constexpr uint64_t kGifScreenTail = 3;

MaybeSize GifSize(ByteCursor bytes) {
    uint16_t width = 0, height = 0;
    if (!bytes.ReadU16LE(width) || !bytes.ReadU16LE(height) || !bytes.Skip(kGifScreenTail))
        return std::nullopt;
    return PictureSize{PictureKind::Gif, width, height};
}

constexpr std::string_view kBmpStart("BM", 2);
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

MaybeSize BmpSize(ByteCursor bytes) {
    uint32_t headerSize = 0;
    ByteCursor header;
    // The header's size counts its own four bytes.
    if (!bytes.Skip(kBmpFileHeaderTail) || !bytes.ReadU32LE(headerSize) || headerSize < 4 ||
        !bytes.Take(headerSize - 4u, header))
        return std::nullopt;
    if (headerSize == kBmpCoreHeaderSize) {
        uint16_t width = 0, height = 0;
        if (!header.ReadU16LE(width) || !header.ReadU16LE(height)) return std::nullopt;
        return PictureSize{PictureKind::Bmp, width, height};
    }
    uint32_t width = 0, height = 0;
    if (!KnownInfoHeader(headerSize) || !header.ReadU32LE(width) || !header.ReadU32LE(height))
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
    ByteCursor bytes(data, data != nullptr ? size : 0);
    if (bytes.SkipIf(kPngSignature)) return PngSize(bytes);
    if (bytes.SkipIf(kJpegStart)) return JpegSize(bytes);
    if (bytes.SkipIf(kGif87) || bytes.SkipIf(kGif89)) return GifSize(bytes);
    if (bytes.SkipIf(kBmpStart)) return BmpSize(bytes);
    return std::nullopt;
}

bool DecodableCover(const uint8_t* data, size_t size) {
    if (size > kCoverBytesMax) return false;
    const auto picture = PictureSizeOf(data, size);
    return picture && SideInRange(picture->width) && SideInRange(picture->height);
}
