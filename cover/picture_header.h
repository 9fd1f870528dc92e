// What a cover picture's own header says about it, read before any decoder
// sees its bytes: the decoders of some systems trust a header's size and
// overflow on sizes no cover has, and every decoder allocates what the
// header asks for before it reads a pixel. So a picture is handed on only
// when its header claims a sensible size and what decoding it will cost
// fits a budget, the way a browser's image service refuses a picture whose
// decoded size would pass its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

enum class PictureKind { Unknown, Png, Jpeg, Gif, Bmp };

struct PictureHeader {
    PictureKind kind;
    // The size the header claims: PNG's IHDR, a JPEG's first frame, GIF's
    // logical screen, BMP's core or info header (a top-down BMP's negative
    // height given as its magnitude).
    uint32_t width;
    uint32_t height;
    // What the imaging component will allocate to decode the picture,
    // estimated from the header: the decoded image as the decoder holds it,
    // and a progressive or multi-scan JPEG's coefficients. Saturates at
    // UINT64_MAX.
    uint64_t decodeBytes;
    // A GIF's: where its first image's data ends. A decoder is handed only
    // the bytes before it, for the decoders that read every image first.
    // 0 for the other kinds, whose bytes go to the decoder whole.
    size_t firstImageEnd;
};

// The header, read as far as decides what decoding costs: a JPEG's frame
// and first scan header, a GIF's blocks up to its first image's end.
// Nothing when the bytes are of no known kind, the header is short or
// malformed, or a GIF's first image does not lie inside its screen.
std::optional<PictureHeader> ReadPictureHeader(const uint8_t* data, size_t size);

constexpr uint32_t kCoverSideMax = 8192;
constexpr size_t kCoverBytesMax = 16u * 1024 * 1024;
constexpr uint64_t kDecodeBudget = 128u * 1024 * 1024;

// True when a decoder may see size bytes with this header: both sides from
// 1 to kCoverSideMax, decodeBytes at most kDecodeBudget, at most
// kCoverBytesMax bytes.
bool WithinDecodeLimits(const PictureHeader& header, size_t size);
// The same of the bytes themselves; false when their header cannot be read.
bool DecodableCover(const uint8_t* data, size_t size);
