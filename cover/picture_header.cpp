// The header of a PNG, JPEG, GIF or BMP and what decoding it will cost,
// read through one bounded cursor so that no header, however broken, can
// make us read past the picture's bytes. The estimates follow what the
// imaging component's decoders hold: each keeps the whole decoded image,
// in its own pixel format, until it is released.
#include "cover/picture_header.h"

#include "cover/byte_cursor.h"

#include <algorithm>
#include <string_view>

namespace {

using MaybeHeader = std::optional<PictureHeader>;

uint64_t SaturatedProduct(uint64_t a, uint64_t b) {
    uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);
// IHDR comes first and is always 13 bytes long.
constexpr std::string_view kPngHeaderChunk("\x00\x00\x00\rIHDR", 8);
enum PngHeaderTail { kBitDepth, kColourType, kCompression, kFilter, kInterlace, kPngHeaderTailSize };
enum PngColourType : uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };
constexpr uint8_t kAdam7 = 1;

// Bits per pixel as the decoder holds them. Grey with alpha is widened to
// RGBA, and so are RGB and 16-bit grey that have a transparent colour (a
// tRNS chunk, which comes after this header): both are counted as RGBA.
// 0 for a colour type PNG does not have.
uint32_t PngBitsPerPixel(uint8_t bitDepth, uint8_t colourType) {
    switch (colourType) {
    case kGrey: return bitDepth == 16 ? 4u * bitDepth : bitDepth;
    case kPalette: return bitDepth;
    case kRgb:
    case kGreyAlpha:
    case kRgba: return 4u * bitDepth;
    default: return 0;
    }
}

MaybeHeader PngHeader(ByteCursor bytes) {
    uint32_t width = 0, height = 0;
    uint8_t tail[kPngHeaderTailSize] = {};
    if (!bytes.SkipIf(kPngHeaderChunk) || !bytes.ReadU32BE(width) || !bytes.ReadU32BE(height) ||
        !bytes.ReadBytes(tail, sizeof tail))
        return std::nullopt;
    const uint32_t bitsPerPixel = PngBitsPerPixel(tail[kBitDepth], tail[kColourType]);
    if (bitsPerPixel == 0) return std::nullopt;
    const uint64_t rowBytes = (uint64_t{width} * bitsPerPixel + 7) / 8;
    // A decoder that gathers Adam7's passes before it puts them in place
    // holds them beside the image.
    const uint64_t copies = tail[kInterlace] == kAdam7 ? 2 : 1;
    return PictureHeader{PictureKind::Png, width, height, SaturatedProduct(SaturatedProduct(rowBytes, height), copies), 0};
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
// SOF2, SOF6, SOF10 and SOF14, the frames coded progressively, end in
// these two bits (lossless frames have both set).
constexpr uint8_t kJpegCodingBits = 0x03, kJpegProgressive = 0x02;
constexpr uint32_t kBlockSide = 8;
constexpr uint64_t kCoefficientBytesPerBlock = 64 * 2;
constexpr uint8_t kSamplingMax = 4;

bool StartsFrame(uint8_t marker) {
    return marker >= kJpegFrameFirst && marker <= kJpegFrameLast && marker != kJpegHuffmanTables &&
           marker != kJpegExtension && marker != kJpegArithmeticTables;
}

bool StandsAlone(uint8_t marker) {
    return marker == kJpegTemporary || (marker >= kJpegRestartFirst && marker <= kJpegRestartLast);
}

struct JpegFrame {
    uint16_t width = 0, height = 0;
    uint8_t componentCount = 0;
    ByteCursor components;  // three bytes each: id, sampling factors, table
    bool progressive = false;
};

// One component's sampling factors, each from 1 to 4 as decoders demand.
bool ReadSampling(ByteCursor& components, uint32_t& across, uint32_t& down) {
    uint8_t id = 0, factors = 0, table = 0;
    if (!components.ReadU8(id) || !components.ReadU8(factors) || !components.ReadU8(table)) return false;
    across = factors >> 4;
    down = factors & 0x0F;
    return across >= 1 && across <= kSamplingMax && down >= 1 && down <= kSamplingMax;
}

// The output image, a byte a component a pixel. When the decoder must read
// every scan before it can put out a row (a progressive frame, or a first
// scan that leaves components to later ones), it also holds every
// component's coefficients: 64 of two bytes a block, over whole MCUs.
std::optional<uint64_t> JpegDecodeBytes(const JpegFrame& frame, bool coefficientsHeld) {
    uint32_t maxAcross = 1, maxDown = 1;
    ByteCursor components = frame.components;
    for (int i = 0; i < frame.componentCount; ++i) {
        uint32_t across = 0, down = 0;
        if (!ReadSampling(components, across, down)) return std::nullopt;
        maxAcross = std::max(maxAcross, across);
        maxDown = std::max(maxDown, down);
    }
    uint64_t bytes = uint64_t{frame.width} * frame.height * frame.componentCount;
    if (!coefficientsHeld) return bytes;
    const uint32_t mcusAcross = (frame.width + kBlockSide * maxAcross - 1) / (kBlockSide * maxAcross);
    const uint32_t mcusDown = (frame.height + kBlockSide * maxDown - 1) / (kBlockSide * maxDown);
    components = frame.components;
    for (int i = 0; i < frame.componentCount; ++i) {
        uint32_t across = 0, down = 0;
        if (!ReadSampling(components, across, down)) return std::nullopt;
        bytes += uint64_t{mcusAcross * across} * (mcusDown * down) * kCoefficientBytesPerBlock;
    }
    return bytes;
}

// Walks the segments to the first scan's header. A scan before any frame,
// the image's end or anything but a marker on the way means there is no
// header to trust.
MaybeHeader JpegHeader(ByteCursor bytes) {
    std::optional<JpegFrame> frame;
    for (;;) {
        uint8_t prefix = 0, marker = kJpegMarkerPrefix;
        if (!bytes.ReadU8(prefix) || prefix != kJpegMarkerPrefix) return std::nullopt;
        while (marker == kJpegMarkerPrefix)  // fill bytes may pad any marker
            if (!bytes.ReadU8(marker)) return std::nullopt;
        if (StandsAlone(marker)) continue;
        if (marker == kJpegStuffedZero || marker == kJpegImageStart || marker == kJpegImageEnd ||
            (marker == kJpegScanStart && !frame))
            return std::nullopt;
        // The length counts its own two bytes.
        uint16_t length = 0;
        ByteCursor segment;
        if (!bytes.ReadU16BE(length) || length < 2 || !bytes.Take(length - 2u, segment)) return std::nullopt;
        if (StartsFrame(marker) && !frame) {
            JpegFrame read;
            uint8_t precision = 0;
            if (!segment.ReadU8(precision) || !segment.ReadU16BE(read.height) || !segment.ReadU16BE(read.width) ||
                !segment.ReadU8(read.componentCount) || read.componentCount == 0 ||
                !segment.Take(3u * read.componentCount, read.components))
                return std::nullopt;
            read.progressive = (marker & kJpegCodingBits) == kJpegProgressive;
            frame = read;
        }
        if (marker != kJpegScanStart) continue;
        uint8_t scanComponents = 0;
        if (!segment.ReadU8(scanComponents)) return std::nullopt;
        const auto bytesHeld = JpegDecodeBytes(*frame, frame->progressive || scanComponents < frame->componentCount);
        if (!bytesHeld) return std::nullopt;
        return PictureHeader{PictureKind::Jpeg, frame->width, frame->height, *bytesHeld, 0};
    }
}

constexpr std::string_view kGif87("GIF87a", 6);
constexpr std::string_view kGif89("GIF89a", 6);
constexpr uint8_t kGifExtension = 0x21, kGifImage = 0x2C;
constexpr uint8_t kGifColourTableFlag = 0x80, kGifColourTableSizeBits = 0x07;
// The background colour and the aspect after the logical screen's flags.
constexpr uint64_t kGifScreenTail = 2;

// A colour table follows when the flags say so: 2^(n+1) RGB entries.
bool SkipColourTable(ByteCursor& bytes, uint8_t flags) {
    return !(flags & kGifColourTableFlag) || bytes.Skip(3u << ((flags & kGifColourTableSizeBits) + 1));
}

// Sub-blocks: each a length byte and that many bytes, up to an empty one.
bool SkipSubBlocks(ByteCursor& bytes) {
    for (;;) {
        uint8_t length = 0;
        if (!bytes.ReadU8(length)) return false;
        if (length == 0) return true;
        if (!bytes.Skip(length)) return false;
    }
}

// Walks the blocks to the first image's end. Its decoder holds the image
// at a byte a pixel.
MaybeHeader GifHeader(ByteCursor bytes) {
    uint16_t screenWidth = 0, screenHeight = 0;
    uint8_t flags = 0;
    if (!bytes.ReadU16LE(screenWidth) || !bytes.ReadU16LE(screenHeight) || !bytes.ReadU8(flags) ||
        !bytes.Skip(kGifScreenTail) || !SkipColourTable(bytes, flags))
        return std::nullopt;
    for (;;) {
        uint8_t block = 0, label = 0;
        if (!bytes.ReadU8(block)) return std::nullopt;
        if (block == kGifExtension) {
            if (!bytes.ReadU8(label) || !SkipSubBlocks(bytes)) return std::nullopt;
            continue;
        }
        // The trailer before any image, or no block at all.
        if (block != kGifImage) return std::nullopt;
        uint16_t left = 0, top = 0, width = 0, height = 0;
        uint8_t imageFlags = 0, codeSize = 0;
        if (!bytes.ReadU16LE(left) || !bytes.ReadU16LE(top) || !bytes.ReadU16LE(width) || !bytes.ReadU16LE(height) ||
            !bytes.ReadU8(imageFlags) || !SkipColourTable(bytes, imageFlags) || !bytes.ReadU8(codeSize) ||
            !SkipSubBlocks(bytes))
            return std::nullopt;
        if (uint32_t{left} + width > screenWidth || uint32_t{top} + height > screenHeight) return std::nullopt;
        return PictureHeader{PictureKind::Gif, screenWidth, screenHeight, uint64_t{width} * height, bytes.Position()};
    }
}

constexpr std::string_view kBmpStart("BM", 2);
// The file header's size field, two reserved words and the pixels' offset.
constexpr uint64_t kBmpFileHeaderTail = 12;
constexpr uint32_t kBmpCoreHeaderSize = 12;
// BITMAPINFOHEADER and its later versions, and the two forms of OS/2's
// second header: all with 32-bit signed sides.
constexpr uint32_t kBmpInfoHeaderSizes[] = {16, 40, 52, 56, 64, 108, 124};
// Whatever their depth or compression (RLE too), BMPs decode to 32 bits.
constexpr uint64_t kBmpDecodedPixelBytes = 4;

bool KnownInfoHeader(uint32_t headerSize) {
    for (uint32_t known : kBmpInfoHeaderSizes)
        if (headerSize == known) return true;
    return false;
}

MaybeHeader BmpOf(uint32_t width, uint32_t height) {
    return PictureHeader{PictureKind::Bmp, width, height, uint64_t{width} * height * kBmpDecodedPixelBytes, 0};
}

MaybeHeader BmpHeader(ByteCursor bytes) {
    uint32_t headerSize = 0;
    ByteCursor header;
    // The header's size counts its own four bytes.
    if (!bytes.Skip(kBmpFileHeaderTail) || !bytes.ReadU32LE(headerSize) || headerSize < 4 ||
        !bytes.Take(headerSize - 4u, header))
        return std::nullopt;
    if (headerSize == kBmpCoreHeaderSize) {
        uint16_t width = 0, height = 0;
        if (!header.ReadU16LE(width) || !header.ReadU16LE(height)) return std::nullopt;
        return BmpOf(width, height);
    }
    uint32_t width = 0, height = 0;
    if (!KnownInfoHeader(headerSize) || !header.ReadU32LE(width) || !header.ReadU32LE(height))
        return std::nullopt;
    if (static_cast<int32_t>(width) < 0) return std::nullopt;
    // A negative height marks rows stored top-down; unsigned negation keeps
    // the most negative one whole.
    if (static_cast<int32_t>(height) < 0) height = 0u - height;
    return BmpOf(width, height);
}

bool SideInRange(uint32_t side) { return side >= 1 && side <= kCoverSideMax; }

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(const uint8_t* data, size_t size) {
    ByteCursor bytes(data, data != nullptr ? size : 0);
    if (bytes.SkipIf(kPngSignature)) return PngHeader(bytes);
    if (bytes.SkipIf(kJpegStart)) return JpegHeader(bytes);
    if (bytes.SkipIf(kGif87) || bytes.SkipIf(kGif89)) return GifHeader(bytes);
    if (bytes.SkipIf(kBmpStart)) return BmpHeader(bytes);
    return std::nullopt;
}

bool WithinDecodeLimits(const PictureHeader& header, size_t size) {
    return size <= kCoverBytesMax && SideInRange(header.width) && SideInRange(header.height) &&
           header.decodeBytes <= kDecodeBudget;
}

bool DecodableCover(const uint8_t* data, size_t size) {
    if (size > kCoverBytesMax) return false;
    const auto header = ReadPictureHeader(data, size);
    return header && WithinDecodeLimits(*header, size);
}
