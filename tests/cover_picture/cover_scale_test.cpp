// The cover's square: which size a picture takes in it, and the box
// filter's averages checked on patterns whose means are known by hand.
#include "cover/cover_picture.h"

#include "cover/picture_header.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return b | g << 8 | r << 16 | a << 24; }

// The rounded mean of the pixels, channel by channel.
uint32_t MeanOf(std::initializer_list<uint32_t> pixels) {
    uint32_t mean = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (uint32_t pixel : pixels) sum += (pixel >> shift) & 0xFF;
        mean |= ((sum + uint32_t(pixels.size()) / 2) / uint32_t(pixels.size())) << shift;
    }
    return mean;
}

// A width x height picture painted by paint(x, y), scaled into side.
template <typename Paint>
CoverPixels ScaledPainting(int width, int height, int side, Paint paint) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(paint(x, y));
    return ScaleIntoSquare(pixels.data(), width, height, side);
}

std::vector<uint32_t> PixelsOf(const CoverPixels& cover) {
    return std::vector<uint32_t>(cover.bgra.data(), cover.bgra.data() + cover.bgra.size());
}

uint32_t At(const CoverPixels& cover, int x, int y) { return cover.bgra.data()[size_t(y) * cover.width + x]; }

TEST(FitIntoSquare, TheLongerSideFillsTheSquareAndTheAspectIsKept) {
    const struct {
        int width, height;
        LONG cx, cy;
    } cases[] = {{1000, 500, 64, 32}, {500, 1000, 32, 64}, {3000, 3000, 64, 64}, {10, 5, 64, 32}, {3, 2, 64, 43},
                 {1000, 333, 64, 21}, {1, 1000, 1, 64},    {1000, 1, 64, 1},     {0, 10, 0, 0},   {10, -1, 0, 0}};
    for (const auto& c : cases) {
        const SIZE fit = FitIntoSquare(c.width, c.height, 64);
        EXPECT_TRUE(fit.cx == c.cx && fit.cy == c.cy) << c.width << " x " << c.height << ": " << fit.cx << " x " << fit.cy;
    }
}

TEST(ScaleIntoSquare, HalvingAveragesEachTwoByTwoBlock) {
    const uint32_t dark = Bgra(0x10, 0x20, 0x30, 0xFF), light = Bgra(0x41, 0x80, 0x7F, 0x80);
    const CoverPixels board = ScaledPainting(128, 128, 64, [&](int x, int y) { return (x + y) % 2 ? light : dark; });
    ASSERT_EQ(board.bgra.size(), 64u * 64);
    for (uint32_t pixel : PixelsOf(board)) ASSERT_EQ(pixel, MeanOf({dark, light}));

    auto distinct = [](int x, int y) {
        const uint32_t alpha = 0x80 + uint32_t(x + y) % 0x80;  // premultiplied: no channel above it
        return Bgra(uint32_t(x * 7 + y) % alpha, uint32_t(x * y) % alpha, uint32_t(y * 3) % alpha, alpha);
    };
    const CoverPixels halved = ScaledPainting(128, 96, 64, distinct);
    ASSERT_EQ(halved.height, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(At(halved, x, y), MeanOf({distinct(2 * x, 2 * y), distinct(2 * x + 1, 2 * y),
                                                distinct(2 * x, 2 * y + 1), distinct(2 * x + 1, 2 * y + 1)}));
}

TEST(ScaleIntoSquare, FractionalCoverageWeighsByArea) {
    // Three into two: each output takes one whole pixel and half the middle.
    const uint32_t a = 0, b = Bgra(30, 60, 90, 120), c = Bgra(90, 180, 240, 255);
    const std::vector<uint32_t> three = {a, b, c};
    const CoverPixels across = ScaleIntoSquare(three.data(), 3, 1, 2), down = ScaleIntoSquare(three.data(), 1, 3, 2);
    EXPECT_EQ(PixelsOf(across), (std::vector<uint32_t>{MeanOf({a, a, b}), MeanOf({b, c, c})}));
    EXPECT_EQ(PixelsOf(down), PixelsOf(across));
    // Opaque white beside clear: premultiplied channels averaged each on
    // its own give half-covered white.
    EXPECT_EQ(ScaledPainting(2, 1, 1, [](int x, int) { return x ? 0u : ~0u; }).bgra.data()[0], Bgra(128, 128, 128, 128));
}

TEST(ScaleIntoSquare, StripsOneWide) {
    // 640 rows into 64: each output row is the mean of ten, five of v and
    // five of v + 1.
    const CoverPixels tall = ScaledPainting(1, 640, 64, [](int, int y) { return Bgra(y / 10 * 3 + y % 2, 0, 0, 255); });
    ASSERT_EQ(tall.width, 1);
    for (int y = 0; y < 64; ++y) EXPECT_EQ(tall.bgra.data()[y], Bgra(y * 3 + 1, 0, 0, 255)) << y;
    // 1000 columns into 64, every other one opaque: each output's alpha is
    // the opaque share of its 15.625 columns.
    const CoverPixels wide = ScaledPainting(1000, 1, 64, [](int x, int) { return Bgra(0, 0, 0, x % 2 ? 255 : 0); });
    ASSERT_EQ(wide.height, 1);
    const double span = 1000.0 / 64;
    for (int x = 0; x < 64; ++x) {
        double opaque = 0;
        for (int column = 1; column < 1000; column += 2)
            opaque += std::max(0.0, std::min(column + 1.0, (x + 1) * span) - std::max(double(column), x * span));
        EXPECT_EQ(wide.bgra.data()[x], Bgra(0, 0, 0, uint32_t(std::floor(255 * opaque / span + 0.5)))) << x;
    }
}

TEST(ScaleIntoSquare, SmallPicturesAreScaledUpToFillTheSquare) {
    const uint32_t colours[] = {Bgra(0, 0, 255, 255), Bgra(255, 0, 0, 255), Bgra(0, 255, 0, 255), 0};
    // Two by two: each pixel becomes an exact 32 x 32 quadrant.
    const CoverPixels quadrants = ScaledPainting(2, 2, 64, [&](int x, int y) { return colours[y * 2 + x]; });
    ASSERT_EQ(quadrants.bgra.size(), 64u * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(At(quadrants, x, y), colours[y / 32 * 2 + x / 32]);
    // Three across into 64 x 21: column 21 takes a third of the first pixel
    // and two of the second.
    const CoverPixels thirds = ScaledPainting(3, 1, 64, [&](int x, int) { return colours[x]; });
    ASSERT_EQ(thirds.height, 21);
    EXPECT_EQ(At(thirds, 20, 0), colours[0]);
    EXPECT_EQ(At(thirds, 21, 7), MeanOf({colours[0], colours[1], colours[1]}));
    EXPECT_EQ(At(thirds, 42, 20), MeanOf({colours[1], colours[1], colours[2]}));
}

TEST(ScaleIntoSquare, RefusesWhatItWouldNotBound) {
    const uint32_t pixel = Bgra(1, 2, 3, 4);
    for (int side : {0, kCoverSide + 1}) EXPECT_TRUE(ScaleIntoSquare(&pixel, 1, 1, side).bgra.empty());
    for (int width : {0, int(kCoverSideMax) + 1}) EXPECT_TRUE(ScaleIntoSquare(&pixel, width, 1, 64).bgra.empty());
    EXPECT_TRUE(ScaleIntoSquare(nullptr, 1, 1, 64).bgra.empty());
    EXPECT_EQ(PixelsOf(ScaleIntoSquare(&pixel, 1, 1, 1)), std::vector<uint32_t>{pixel});
}

}  // namespace
