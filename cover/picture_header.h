// What a cover picture's own header says about it, read before any decoder
// sees its bytes: the decoders of some systems trust a header's size and
// overflow on sizes no cover has, so only pictures whose header claims a
// sensible size are handed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

enum class PictureKind { Unknown, Png, Jpeg, Gif, Bmp };

struct PictureSize {
    PictureKind kind;
    uint32_t width;
    uint32_t height;
};

// The kind and the size the picture's header claims: PNG's IHDR, the first
// SOFn of a JPEG's markers, GIF's logical screen and BMP's core or info
// header (a top-down BMP's negative height given as its magnitude).
// Nothing when the bytes are of no known kind, or the header is short,
// malformed or not reached before the end.
std::optional<PictureSize> PictureSizeOf(const uint8_t* data, size_t size);

constexpr uint32_t kCoverSideMax = 8192;
constexpr size_t kCoverBytesMax = 16u * 1024 * 1024;

// True when a decoder may see these bytes: a known kind whose header was
// read, both sides from 1 to kCoverSideMax, at most kCoverBytesMax bytes.
bool DecodableCover(const uint8_t* data, size_t size);
