// What a picture's header claims and what decoding it will cost, read from
// headers built field by field, and which pictures may reach a decoder at
// all.
#include "cover/picture_header.h"

#include "tests/cover_picture/picture_bytes.h"

#include <gtest/gtest.h>

namespace {

struct Claim {
    PictureKind kind;
    uint32_t width, height;
    size_t firstImageEnd = 0;
};

std::string Described(const std::optional<Claim>& claim) {
    if (!claim) return "nothing";
    return std::to_string(int(claim->kind)) + ": " + std::to_string(claim->width) + " x " +
           std::to_string(claim->height) + ", first image ends at " + std::to_string(claim->firstImageEnd);
}

std::optional<Claim> ClaimOf(const Bytes& bytes) {
    const auto header = ReadPictureHeader(bytes.data(), bytes.size());
    if (!header) return std::nullopt;
    return Claim{header->kind, header->width, header->height, header->firstImageEnd};
}

Bytes Cut(Bytes bytes, size_t keep) {
    bytes.resize(keep);
    return bytes;
}

constexpr uint8_t kSof0 = 0xC0, kSof2 = 0xC2;
const auto kNothing = std::nullopt;
const auto kPng = PictureKind::Png, kJpeg = PictureKind::Jpeg, kGif = PictureKind::Gif, kBmp = PictureKind::Bmp;

TEST(ReadPictureHeader, ReadsEachKindsHeaderAndNothingShortOrMalformed) {
    const Bytes png = PngHeader(640, 480);
    const Bytes baseline = Jpeg({JpegPreamble(), JpegFrame(kSof0, 400, 300), JpegScan(3)});
    // A GIF whose first image just fits its screen, after both colour
    // tables and extensions of one and of several sub-blocks.
    const Bytes gif = Joined({GifHeader("GIF89a", 320, 200, 0xF7), GifColourTable(7), GifExtension(0xF9, {0, 0, 0, 0}),
                              GifExtension(0xFE, Bytes(600, 'c')),
                              GifImage(20, 20, 300, 180, 0x81, Joined({GifColourTable(1), {2, 3, 0x4C, 0x01, 0x02, 0}}))});
    const Bytes later = Joined({GifExtension(0x21, {1}), GifImage(0, 0, 65535, 65535), {kGifTrailer}});
    const struct {
        const char* name;
        Bytes bytes;
        std::optional<Claim> expected;
    } cases[] = {
        {"png", png, Claim{kPng, 640, 480}},
        {"png cut before interlace", Cut(png, 28), kNothing},
        {"png with another chunk first", Joined({Cut(png, 12), BytesOf("gAMA00000000000")}), kNothing},
        {"png colour type 5", PngHeader(1, 1, 8, 5), kNothing},
        {"baseline jpeg after APPn and DQT", baseline, Claim{kJpeg, 400, 300}},
        {"progressive jpeg", Jpeg({JpegPreamble(), JpegFrame(kSof2, 1200, 1199), JpegScan(1)}),
         Claim{kJpeg, 1200, 1199}},
        {"fill bytes and a restart marker", Jpeg({{0xFF, 0xD0, 0xFF, 0xFF}, JpegFrame(0xCF, 7, 9), JpegScan(3)}),
         Claim{kJpeg, 7, 9}},
        // As frames these would claim other sizes.
        {"DHT, JPG and DAC are no frames",
         Jpeg({JpegSegment(0xC4, {0, 1, 2, 3, 4}), JpegSegment(0xC8, {8, 0, 1, 0, 1}),
               JpegSegment(0xCC, {8, 0, 1, 0, 1}), JpegFrame(kSof0, 33, 44), JpegScan(3)}),
         Claim{kJpeg, 33, 44}},
        {"jpeg cut inside its scan header", Cut(baseline, baseline.size() - 8), kNothing},
        {"jpeg frame without a scan", Jpeg({JpegFrame(kSof0, 400, 300)}), kNothing},
        {"jpeg frame of no components", Jpeg({JpegFrame(kSof0, 400, 300, {}), JpegScan(0)}), kNothing},
        {"jpeg sampling factor 0", Jpeg({JpegFrame(kSof0, 400, 300, {0x10}), JpegScan(1)}), kNothing},
        {"jpeg sampling factor 5", Jpeg({JpegFrame(kSof0, 400, 300, {0x15}), JpegScan(1)}), kNothing},
        {"jpeg segment running past the end", Jpeg({{0xFF, 0xE1, 0x7F, 0xFF, 1, 2, 3}}), kNothing},
        {"jpeg length below its own two bytes", Jpeg({{0xFF, 0xE0, 0, 1}, JpegFrame(kSof0, 1, 1)}), kNothing},
        {"jpeg scan before any frame", Jpeg({JpegScan(1), JpegFrame(kSof0, 1, 1)}), kNothing},
        {"jpeg garbage between segments", Jpeg({{0x00}, JpegFrame(kSof0, 1, 1)}), kNothing},
        {"gif, its first image found", Joined({gif, {kGifTrailer}}), Claim{kGif, 320, 200, gif.size()}},
        {"gif, later images unread", Joined({gif, later}), Claim{kGif, 320, 200, gif.size()}},
        {"gif87a, its image the whole screen", Joined({GifHeader("GIF87a", 65535, 1), GifImage(0, 0, 65535, 1)}),
         Claim{kGif, 65535, 1, 6 + 7 + 10 + 5}},
        // The one a decoder reserved 256 MB for, and kept.
        {"gif whose image leaves its 1 x 1 screen",
         {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C,
          0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x40, 0x00, 0x02, 0x01, 0x04, 0x00, 0x3B},
         kNothing},
        {"gif image one past its screen's right", Joined({GifHeader("GIF89a", 10, 10), GifImage(1, 0, 10, 10)}),
         kNothing},
        {"gif image one past its screen's bottom", Joined({GifHeader("GIF89a", 10, 10), GifImage(0, 5, 10, 6)}),
         kNothing},
        {"gif cut inside its image's data", Cut(gif, gif.size() - 1), kNothing},
        {"gif cut inside its screen", Cut(GifHeader("GIF89a", 320, 200), 12), kNothing},
        {"gif colour table cut short", Joined({GifHeader("GIF89a", 1, 1, 0x81), GifColourTable(0)}), kNothing},
        {"gif trailer before any image", Joined({GifHeader("GIF89a", 1, 1), GifExtension(0xF9, {0}), {kGifTrailer}}),
         kNothing},
        {"gif unknown block", Joined({GifHeader("GIF89a", 1, 1), {0x2B}, GifImage(0, 0, 1, 1)}), kNothing},
        {"bmp info header", BmpHeader(40, 300, 200), Claim{kBmp, 300, 200}},
        {"top-down bmp", BmpHeader(124, 300, -200), Claim{kBmp, 300, 200}},
        {"most negative height", BmpHeader(40, 1, INT32_MIN), Claim{kBmp, 1, 0x80000000u}},
        {"bmp core header", BmpHeader(12, 65535, 2), Claim{kBmp, 65535, 2}},
        {"bmp negative width", BmpHeader(40, -300, 200), kNothing},
        {"bmp unknown header size", BmpHeader(20, 300, 200), kNothing},
        {"bmp header cut short", Cut(BmpHeader(40, 300, 200), 14 + 39), kNothing},
        {"empty", {}, kNothing},
        {"other bytes", BytesOf("RIFF\x10\0\0\0WEBPVP8 "), kNothing},
    };
    for (const auto& c : cases) EXPECT_EQ(Described(ClaimOf(c.bytes)), Described(c.expected)) << c.name;
}

TEST(ReadPictureHeader, EstimatesWhatEachDecoderHolds) {
    // Bytes 30 to 33 of a BMP's info header say how its pixels are stored.
    Bytes rle8 = BmpHeader(40, 300, 200);
    rle8[28] = 8;
    rle8[30] = 1;
    const struct {
        const char* name;
        Bytes bytes;
        uint64_t expected;
    } cases[] = {
        {"8-bit RGBA png", PngHeader(640, 480), 640 * 4 * 480},
        {"16-bit RGBA png", PngHeader(8192, 8192, 16), 8192ull * 8 * 8192},
        {"8-bit RGB png, counted with the alpha a tRNS chunk adds", PngHeader(100, 100, 8, kPngRgb), 100 * 4 * 100},
        {"8-bit grey and alpha png, widened to RGBA", PngHeader(100, 100, 8, kPngGreyAlpha), 100 * 4 * 100},
        {"16-bit grey png, counted as 16-bit RGBA", PngHeader(100, 100, 16, kPngGrey), 100 * 8 * 100},
        {"8-bit grey png", PngHeader(100, 100, 8, kPngGrey), 100 * 100},
        {"1-bit palette png, its rows rounded up to bytes", PngHeader(1001, 10, 1, kPngPalette), 126 * 10},
        {"interlaced png, its passes held beside it", PngHeader(100, 100, 8, kPngRgba, 1), 2 * 100 * 4 * 100},
        {"png of the largest sides", PngHeader(0xFFFFFFFF, 0xFFFFFFFF, 16), UINT64_MAX},
        {"baseline 4:2:0 jpeg, one scan of all", Jpeg({JpegFrame(kSof0, 3000, 3000), JpegScan(3)}), 3000 * 3000 * 3},
        // Output, then 375 x 375 blocks of coefficients for each component.
        {"progressive 4:4:4 jpeg", Jpeg({JpegFrame(kSof2, 3000, 3000, {0x11, 0x11, 0x11}), JpegScan(1)}),
         3000 * 3000 * 3 + 3 * 375 * 375 * 128},
        {"progressive 4:4:4 jpeg of the largest sides",
         Jpeg({JpegFrame(kSof2, 8192, 8192, {0x11, 0x11, 0x11}), JpegScan(1)}),
         8192ull * 8192 * 3 + 3ull * 1024 * 1024 * 128},
        // 63 MCUs of 16 x 16 each way: 126 x 126 luma blocks, 63 x 63 of each
        // chroma.
        {"progressive 4:2:0 jpeg", Jpeg({JpegFrame(kSof2, 1000, 1000), JpegScan(1)}),
         1000 * 1000 * 3 + (126 * 126 + 2 * 63 * 63) * 128},
        {"baseline jpeg whose first scan leaves components for later ones",
         Jpeg({JpegFrame(kSof0, 1000, 1000), JpegScan(1)}), 1000 * 1000 * 3 + (126 * 126 + 2 * 63 * 63) * 128},
        {"arithmetic progressive grey jpeg", Jpeg({JpegFrame(0xCA, 64, 64, {0x11}), JpegScan(1)}),
         64 * 64 + 8 * 8 * 128},
        {"lossless grey jpeg", Jpeg({JpegFrame(0xC3, 64, 64, {0x11}), JpegScan(1)}), 64 * 64},
        {"progressive CMYK jpeg", Jpeg({JpegFrame(kSof2, 3000, 3000, {0x11, 0x11, 0x11, 0x11}), JpegScan(1)}),
         3000 * 3000 * 4 + 4 * 375 * 375 * 128},
        {"gif: its first image, not its screen",
         Joined({GifHeader("GIF89a", 8192, 8192), GifImage(0, 0, 100, 50), GifImage(0, 0, 8192, 8192)}), 100 * 50},
        {"bmp at 32 bits", BmpHeader(40, 300, 200), 300 * 200 * 4},
        {"RLE8 bmp at 32 bits", rle8, 300 * 200 * 4},
    };
    for (const auto& c : cases) {
        const auto header = ReadPictureHeader(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(header) << c.name;
        EXPECT_EQ(header->decodeBytes, c.expected) << c.name;
    }
}

TEST(DecodableCover, SidesFromOneToTheLimitADecodeWithinTheBudgetAndSixteenMegabytesAtMost) {
    const struct {
        const char* name;
        Bytes bytes;
        bool decodable;
    } cases[] = {
        {"a row size times height past 2^32", PngHeader(16384, 65537), false},
        {"the largest sides", PngHeader(kCoverSideMax, kCoverSideMax, 8, kPngGrey), true},
        {"one past across", PngHeader(kCoverSideMax + 1, 1), false},
        {"one past down", Jpeg({JpegFrame(kSof0, 1, kCoverSideMax + 1), JpegScan(3)}), false},
        {"height left to a later DNL", Jpeg({JpegFrame(kSof0, 10, 0), JpegScan(3)}), false},
        {"one by one", Joined({GifHeader("GIF89a", 1, 1), GifImage(0, 0, 1, 1)}), true},
        {"top-down past the limit", BmpHeader(40, 10, -int32_t(kCoverSideMax) - 1), false},
        {"no header", BytesOf("not a picture"), false},
        {"exactly the budget", PngHeader(kCoverSideMax, 4096), true},
        {"a row past the budget", PngHeader(kCoverSideMax, 4097), false},
        {"16-bit RGBA of the largest sides", PngHeader(kCoverSideMax, kCoverSideMax, 16), false},
        {"a cover as stores sell it, progressive",
         Jpeg({JpegFrame(kSof2, 3000, 3000, {0x11, 0x11, 0x11}), JpegScan(1)}), true},
        {"progressive of the largest sides", Jpeg({JpegFrame(kSof2, kCoverSideMax, kCoverSideMax), JpegScan(1)}),
         false},
        {"baseline of the largest sides", Jpeg({JpegFrame(kSof0, kCoverSideMax, kCoverSideMax), JpegScan(3)}), false},
        {"bmp of the largest sides", BmpHeader(40, kCoverSideMax, kCoverSideMax), false},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodableCover(c.bytes.data(), c.bytes.size()), c.decodable) << c.name;

    Bytes picture = PngHeader(100, 100);
    picture.resize(kCoverBytesMax, 0);
    EXPECT_TRUE(DecodableCover(picture.data(), picture.size()));
    picture.push_back(0);
    EXPECT_FALSE(DecodableCover(picture.data(), picture.size()));
}

}  // namespace
