// The song's cover picture made ready for the title tip: decoded by the
// system's imaging component on a worker thread and box-filtered into a
// small square by our own code, since some systems' scalers ignore the
// filter asked for and pick nearest pixels.
#pragma once

#include "cover/heap_bytes.h"

#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <optional>

constexpr int kCoverSide = 64;

// 32-bit pixels held in HeapBytes: a cover the heap cannot hold is no cover.
class PixelBuffer {
public:
    // Replaces what is held with count pixels of no particular value;
    // false, holding nothing, when the heap cannot give them.
    [[nodiscard]] bool Allocate(size_t count) { return bytes_.Allocate(count * sizeof(uint32_t)); }
    // The heap's blocks are aligned for any type.
    uint32_t* data() { return reinterpret_cast<uint32_t*>(bytes_.data()); }
    const uint32_t* data() const { return reinterpret_cast<const uint32_t*>(bytes_.data()); }
    size_t size() const { return bytes_.size() / sizeof(uint32_t); }
    bool empty() const { return bytes_.empty(); }

private:
    HeapBytes bytes_;
};

// A cover ready to blit: premultiplied 32-bit BGRA (blue in the low byte),
// top-down rows, at most kCoverSide on each side, the picture's aspect kept.
struct CoverPixels {
    int width = 0;
    int height = 0;
    PixelBuffer bgra;
};

// Pure: the size that fits a width x height picture into a side x side
// square with its aspect kept: the longer side becomes side, the shorter
// its rounded share, at least 1. Smaller pictures are scaled up to fill the
// square, so every cover takes the same room. Nothing (0 x 0) for a side or
// size below 1.
SIZE FitIntoSquare(int width, int height, int side);

// Pure: premultiplied BGRA (width x height, top-down) averaged into
// FitIntoSquare's size. Each output pixel is the area-weighted mean of the
// source pixels it covers, with exact fractional coverage, per channel,
// rounded to nearest; an upscaled picture blends only where an output pixel
// straddles two source pixels. Empty unless side is from 1 to kCoverSide
// and both sizes from 1 to kCoverSideMax, which bounds what it allocates,
// and when the heap cannot give that.
CoverPixels ScaleIntoSquare(const uint32_t* pixels, int width, int height, int side);

// On a worker thread whose caller initialised COM multithreaded: the first
// frame of a JPEG, PNG, GIF or BMP decoded by the system's imaging
// component and scaled into kCoverSide. Nothing on any failure (the heap
// running short too), and nothing without asking the imaging component at
// all when DecodableCover says no. A GIF's decoder sees only its first
// image. Rows are fetched a band at a time, so our own memory stays near
// one band and the result whatever the picture's size.
std::optional<CoverPixels> DecodeCover(const uint8_t* data, size_t size);
