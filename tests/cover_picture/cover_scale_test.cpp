// The cover's square: which size a picture takes in it, and the box
// filter's averages checked on patterns whose means are known by hand.
#include "titletip/cover_picture.h"

#include "titletip/picture_header.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

namespace {

uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return b | g << 8 | r << 16 | a << 24; }
uint32_t Channel(uint32_t pixel, int channel) { return (pixel >> (8 * channel)) & 0xFF; }

// The rounded mean of the pixels, channel by channel.
uint32_t MeanOf(std::initializer_list<uint32_t> pixels) {
    uint32_t mean = 0;
    for (int channel = 0; channel < 4; ++channel) {
        uint32_t sum = 0;
        for (uint32_t pixel : pixels) sum += Channel(pixel, channel);
        const uint32_t count = uint32_t(pixels.size());
        mean |= ((sum + count / 2) / count) << (8 * channel);
    }
    return mean;
}

struct Picture {
    int width;
    int height;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

template <typename Paint>
Picture Painted(int width, int height, Paint paint) {
    Picture picture{width, height, std::vector<uint32_t>(size_t(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.pixels[size_t(y) * width + x] = paint(x, y);
    return picture;
}

CoverPixels Scaled(const Picture& picture, int side = kCoverSide) {
    return ScaleIntoSquare(picture.pixels.data(), picture.width, picture.height, side);
}

uint32_t At(const CoverPixels& cover, int x, int y) { return cover.bgra[size_t(y) * cover.width + x]; }

TEST(FitIntoSquare, TheLongerSideFillsTheSquareAndTheAspectIsKept) {
    struct Case {
        int width, height, side;
        LONG cx, cy;
    } const cases[] = {
        {1000, 500, 64, 64, 32}, {500, 1000, 64, 32, 64}, {64, 64, 64, 64, 64}, {3000, 3000, 64, 64, 64},
        {10, 5, 64, 64, 32},     {3, 2, 64, 64, 43},      {2, 3, 64, 43, 64},   {1000, 333, 64, 64, 21},
        {1, 1000, 64, 1, 64},    {1000, 1, 64, 64, 1},    {1, 1, 64, 64, 64},   {8192, 8191, 64, 64, 64},
        {0, 10, 64, 0, 0},       {10, -1, 64, 0, 0},      {10, 10, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const SIZE fit = FitIntoSquare(c.width, c.height, c.side);
        EXPECT_EQ(fit.cx, c.cx) << c.width << " x " << c.height;
        EXPECT_EQ(fit.cy, c.cy) << c.width << " x " << c.height;
    }
}

TEST(ScaleIntoSquare, ACheckerboardBecomesTheMeanOfItsTwoColours) {
    const uint32_t dark = Bgra(0x10, 0x20, 0x30, 0xFF), light = Bgra(0x41, 0x80, 0x7F, 0x80);
    const Picture board = Painted(128, 128, [&](int x, int y) { return (x + y) % 2 ? light : dark; });
    const CoverPixels cover = Scaled(board);
    ASSERT_EQ(cover.width, 64);
    ASSERT_EQ(cover.height, 64);
    const uint32_t mean = MeanOf({dark, light});
    for (uint32_t pixel : cover.bgra) ASSERT_EQ(pixel, mean);
}

TEST(ScaleIntoSquare, HalvingAveragesEachTwoByTwoBlock) {
    const Picture picture = Painted(128, 96, [](int x, int y) {
        const uint32_t alpha = 0x80 + uint32_t(x + y) % 0x80;
        return Bgra(uint32_t(x * 7 + y) % alpha, uint32_t(x * y) % alpha, uint32_t(y * 3) % alpha, alpha);
    });
    const CoverPixels cover = Scaled(picture);
    ASSERT_EQ(cover.width, 64);
    ASSERT_EQ(cover.height, 48);
    for (int y = 0; y < cover.height; ++y)
        for (int x = 0; x < cover.width; ++x)
            ASSERT_EQ(At(cover, x, y), MeanOf({picture.at(2 * x, 2 * y), picture.at(2 * x + 1, 2 * y),
                                               picture.at(2 * x, 2 * y + 1), picture.at(2 * x + 1, 2 * y + 1)}))
                << x << ", " << y;
}

TEST(ScaleIntoSquare, FractionalCoverageWeighsByArea) {
    // Three pixels into two: each output pixel takes one whole pixel and
    // half of the middle one.
    const uint32_t a = Bgra(0, 0, 0, 0), b = Bgra(30, 60, 90, 120), c = Bgra(90, 180, 240, 255);
    const CoverPixels across = ScaleIntoSquare(std::vector<uint32_t>{a, b, c}.data(), 3, 1, 2);
    ASSERT_EQ(across.width, 2);
    ASSERT_EQ(across.height, 1);
    EXPECT_EQ(across.bgra[0], MeanOf({a, a, b}));
    EXPECT_EQ(across.bgra[1], MeanOf({b, c, c}));
    const CoverPixels down = ScaleIntoSquare(std::vector<uint32_t>{a, b, c}.data(), 1, 3, 2);
    ASSERT_EQ(down.height, 2);
    EXPECT_EQ(down.bgra, across.bgra);
}

TEST(ScaleIntoSquare, PremultipliedChannelsAreAveragedEachOnItsOwn) {
    // Opaque white beside clear: half-covered white, not grey, and never
    // a colour brighter than its alpha.
    const CoverPixels cover =
        ScaleIntoSquare(std::vector<uint32_t>{Bgra(255, 255, 255, 255), Bgra(0, 0, 0, 0)}.data(), 2, 1, 1);
    ASSERT_EQ(cover.bgra.size(), 1u);
    EXPECT_EQ(cover.bgra[0], Bgra(128, 128, 128, 128));
}

TEST(ScaleIntoSquare, StripsOneWideAverageRunsOfTheirLength) {
    // 640 rows into 64: each output row is the mean of ten.
    const Picture tall = Painted(1, 640, [](int, int y) {
        const uint32_t v = uint32_t(y / 10 * 3 + y % 2);
        return Bgra(v, 255 - v, v / 2, 255);
    });
    const CoverPixels cover = Scaled(tall);
    ASSERT_EQ(cover.width, 1);
    ASSERT_EQ(cover.height, 64);
    for (int y = 0; y < 64; ++y) {
        const uint32_t v = uint32_t(y * 3);
        // Five rows of v and five of v + 1: the half rounds up.
        EXPECT_EQ(cover.bgra[y], MeanOf({Bgra(v, 255 - v, v / 2, 255), Bgra(v + 1, 254 - v, (v + 1) / 2, 255)}))
            << y;
    }
    // 1000 columns into 64: 15.625 columns an output pixel, every other
    // one opaque, so the alpha is what share of that span is opaque.
    const Picture wide = Painted(1000, 1, [](int x, int) { return Bgra(0, 0, 0, x % 2 ? 255 : 0); });
    const CoverPixels strip = Scaled(wide);
    ASSERT_EQ(strip.width, 64);
    ASSERT_EQ(strip.height, 1);
    const double span = 1000.0 / 64;
    for (int x = 0; x < 64; ++x) {
        double opaque = 0;
        for (int column = 1; column < 1000; column += 2)
            opaque += std::max(0.0, std::min(column + 1.0, (x + 1) * span) - std::max(double(column), x * span));
        EXPECT_EQ(strip.bgra[x], Bgra(0, 0, 0, uint32_t(std::floor(255 * opaque / span + 0.5)))) << x;
    }
}

TEST(ScaleIntoSquare, SmallPicturesAreScaledUpToFillTheSquare) {
    const uint32_t red = Bgra(0, 0, 255, 255), blue = Bgra(255, 0, 0, 255), green = Bgra(0, 255, 0, 255),
                   clear = 0;
    // Two by two: each pixel becomes an exact 32 x 32 quadrant.
    const CoverPixels quadrants = ScaleIntoSquare(std::vector<uint32_t>{red, blue, green, clear}.data(), 2, 2, 64);
    ASSERT_EQ(quadrants.width, 64);
    ASSERT_EQ(quadrants.height, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(At(quadrants, x, y), y < 32 ? (x < 32 ? red : blue) : (x < 32 ? green : clear));
    // Three across: output column 21 spans the first pixel's last third
    // and the second's first two.
    const CoverPixels thirds = ScaleIntoSquare(std::vector<uint32_t>{red, blue, green}.data(), 3, 1, 64);
    ASSERT_EQ(thirds.width, 64);
    ASSERT_EQ(thirds.height, 21);
    EXPECT_EQ(At(thirds, 20, 0), red);
    EXPECT_EQ(At(thirds, 21, 0), MeanOf({red, blue, blue}));
    EXPECT_EQ(At(thirds, 22, 0), blue);
    EXPECT_EQ(At(thirds, 42, 5), MeanOf({blue, blue, green}));
    EXPECT_EQ(At(thirds, 63, 20), green);
}

TEST(ScaleIntoSquare, RefusesWhatItWouldNotBound) {
    const std::vector<uint32_t> pixel(1, Bgra(1, 2, 3, 4));
    EXPECT_TRUE(ScaleIntoSquare(pixel.data(), 1, 1, 0).bgra.empty());
    EXPECT_TRUE(ScaleIntoSquare(pixel.data(), 1, 1, kCoverSide + 1).bgra.empty());
    EXPECT_TRUE(ScaleIntoSquare(pixel.data(), 0, 1, kCoverSide).bgra.empty());
    EXPECT_TRUE(ScaleIntoSquare(pixel.data(), int(kCoverSideMax) + 1, 1, kCoverSide).bgra.empty());
    EXPECT_TRUE(ScaleIntoSquare(nullptr, 1, 1, kCoverSide).bgra.empty());
    EXPECT_EQ(ScaleIntoSquare(pixel.data(), 1, 1, 1).bgra, pixel);
}

}  // namespace
