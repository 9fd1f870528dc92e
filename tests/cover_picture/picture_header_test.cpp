// What a picture's header claims and what decoding it will cost, read from
// headers built field by field, and which pictures may reach a decoder at
// all.
#include "cover/picture_header.h"

#include "tests/cover_picture/picture_bytes.h"

#include <gtest/gtest.h>

namespace {

std::string Described(const std::optional<PictureHeader>& header) {
    if (!header) return "nothing";
    return std::to_string(int(header->kind)) + ": " + std::to_string(header->width) + " x " +
           std::to_string(header->height) + ", " + std::to_string(header->decodeBytes) + " bytes to decode" +
           (header->firstImageEnd ? ", first image ends at " + std::to_string(header->firstImageEnd) : "");
}

Bytes Cut(Bytes bytes, size_t keep) {
    bytes.resize(keep);
    return bytes;
}

constexpr uint8_t kSof0 = 0xC0, kSof2 = 0xC2;
const auto kNothing = std::nullopt;
const auto kPng = PictureKind::Png, kJpeg = PictureKind::Jpeg, kGif = PictureKind::Gif, kBmp = PictureKind::Bmp;

// Each kind's size, and what its decoder holds: PNG's image at the depth the
// decoder widens it to, a JPEG's output and, when all its scans must be read
// first, its coefficients, a GIF's first image, a BMP at 32 bits.
TEST(ReadPictureHeader, ReadsEachKindsHeaderAndItsDecodeAndNothingShortOrMalformed) {
    const Bytes png = PngHeader(640, 480);
    const Bytes baseline = Jpeg({JpegPreamble(), JpegFrame(kSof0, 400, 300), JpegScan(3)});
    // A GIF whose first image just fits its screen, after both colour
    // tables and extensions of one and of several sub-blocks.
    const Bytes gif = Joined({GifHeader("GIF89a", 320, 200, 0xF7), GifColourTable(7), GifExtension(0xF9, {0, 0, 0, 0}),
                              {0x21, 0xFE, 2, 'a', 'b', 3, 'c', 'd', 'e', 0},
                              GifImage(20, 20, 300, 180, 0x81, Joined({GifColourTable(1), {2, 3, 0x4C, 0x01, 0x02, 0}}))});
    Bytes rle8 = BmpHeader(40, 300, 200);
    rle8[28] = 8;  // bits a pixel
    rle8[30] = 1;  // RLE8
    const struct {
        const char* name;
        Bytes bytes;
        std::optional<PictureHeader> expected;
    } cases[] = {
        {"8-bit RGBA png", png, PictureHeader{kPng, 640, 480, 640 * 4 * 480, 0}},
        {"16-bit RGBA png", PngHeader(8192, 8192, 16), PictureHeader{kPng, 8192, 8192, 8192ull * 8 * 8192, 0}},
        {"RGB png, counted with the alpha a tRNS chunk adds", PngHeader(10, 10, 8, kPngRgb),
         PictureHeader{kPng, 10, 10, 400, 0}},
        {"grey and alpha png, widened to RGBA", PngHeader(10, 10, 8, kPngGreyAlpha), PictureHeader{kPng, 10, 10, 400, 0}},
        {"16-bit grey png, as 16-bit RGBA", PngHeader(10, 10, 16, kPngGrey), PictureHeader{kPng, 10, 10, 800, 0}},
        {"8-bit grey png", PngHeader(10, 10, 8, kPngGrey), PictureHeader{kPng, 10, 10, 100, 0}},
        {"1-bit palette png, rows rounded up to bytes", PngHeader(1001, 10, 1, kPngPalette),
         PictureHeader{kPng, 1001, 10, 126 * 10, 0}},
        {"interlaced png, its passes held beside it", PngHeader(10, 10, 8, kPngRgba, 1),
         PictureHeader{kPng, 10, 10, 2 * 400, 0}},
        {"png of the largest sides", PngHeader(~0u, ~0u, 16), PictureHeader{kPng, ~0u, ~0u, UINT64_MAX, 0}},
        {"png cut before interlace", Cut(png, 28), kNothing},
        {"png with another chunk first", Joined({Cut(png, 12), BytesOf("gAMA00000000000")}), kNothing},
        {"png colour type 5", PngHeader(1, 1, 8, 5), kNothing},
        {"baseline 4:2:0 jpeg after APPn and DQT, one scan of all", baseline,
         PictureHeader{kJpeg, 400, 300, 400 * 300 * 3, 0}},
        // Output, then 375 x 375 blocks of coefficients for each component.
        {"progressive 4:4:4 jpeg", Jpeg({JpegFrame(kSof2, 3000, 3000, {0x11, 0x11, 0x11}), JpegScan(1)}),
         PictureHeader{kJpeg, 3000, 3000, 3000 * 3000 * 3 + 3 * 375 * 375 * 128, 0}},
        // 63 MCUs of 16 x 16 each way: 126 x 126 luma blocks, 63 x 63 chroma.
        {"progressive 4:2:0 jpeg", Jpeg({JpegPreamble(), JpegFrame(kSof2, 1000, 1000), JpegScan(1)}),
         PictureHeader{kJpeg, 1000, 1000, 1000 * 1000 * 3 + (126 * 126 + 2 * 63 * 63) * 128, 0}},
        {"baseline jpeg whose first scan leaves components to later ones",
         Jpeg({JpegFrame(kSof0, 1000, 1000), JpegScan(1)}),
         PictureHeader{kJpeg, 1000, 1000, 1000 * 1000 * 3 + (126 * 126 + 2 * 63 * 63) * 128, 0}},
        {"arithmetic progressive grey jpeg", Jpeg({JpegFrame(0xCA, 64, 64, {0x11}), JpegScan(1)}),
         PictureHeader{kJpeg, 64, 64, 64 * 64 + 8 * 8 * 128, 0}},
        {"lossless grey jpeg after fill bytes and a restart marker",
         Jpeg({{0xFF, 0xD0, 0xFF, 0xFF}, JpegFrame(0xC3, 7, 9, {0x11}), JpegScan(1)}),
         PictureHeader{kJpeg, 7, 9, 7 * 9, 0}},
        // As frames these would claim other sizes.
        {"DHT, JPG and DAC are no frames",
         Jpeg({JpegSegment(0xC4, {0, 1, 2, 3, 4}), JpegSegment(0xC8, {8, 0, 1, 0, 1}),
               JpegSegment(0xCC, {8, 0, 1, 0, 1}), JpegFrame(kSof0, 33, 44, {0x11, 0x11, 0x11, 0x11}), JpegScan(4)}),
         PictureHeader{kJpeg, 33, 44, 33 * 44 * 4, 0}},
        {"jpeg cut inside its scan header", Cut(baseline, baseline.size() - 8), kNothing},
        {"jpeg frame without a scan", Jpeg({JpegFrame(kSof0, 400, 300)}), kNothing},
        {"jpeg frame of no components", Jpeg({JpegFrame(kSof0, 400, 300, {}), JpegScan(0)}), kNothing},
        {"jpeg sampling factor 0", Jpeg({JpegFrame(kSof0, 400, 300, {0x10}), JpegScan(1)}), kNothing},
        {"jpeg sampling factor 5", Jpeg({JpegFrame(kSof0, 400, 300, {0x15}), JpegScan(1)}), kNothing},
        {"jpeg segment running past the end", Jpeg({{0xFF, 0xE1, 0x7F, 0xFF, 1, 2, 3}}), kNothing},
        {"jpeg length below its own two bytes", Jpeg({{0xFF, 0xE0, 0, 1}, JpegFrame(kSof0, 1, 1)}), kNothing},
        {"jpeg scan before any frame", Jpeg({JpegScan(1), JpegFrame(kSof0, 1, 1)}), kNothing},
        {"jpeg garbage between segments", Jpeg({{0x00}, JpegFrame(kSof0, 1, 1)}), kNothing},
        {"gif: its first image, later ones unread",
         Joined({gif, GifExtension(0x21, {1}), GifImage(0, 0, 65535, 65535), {kGifTrailer}}),
         PictureHeader{kGif, 320, 200, 300 * 180, gif.size()}},
        {"gif87a, its image the whole screen", Joined({GifHeader("GIF87a", 65535, 1), GifImage(0, 0, 65535, 1)}),
         PictureHeader{kGif, 65535, 1, 65535, 6 + 7 + 10 + 5}},
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
        {"bmp info header", BmpHeader(40, 300, 200), PictureHeader{kBmp, 300, 200, 300 * 200 * 4, 0}},
        {"RLE8 bmp", rle8, PictureHeader{kBmp, 300, 200, 300 * 200 * 4, 0}},
        {"top-down bmp", BmpHeader(124, 300, -200), PictureHeader{kBmp, 300, 200, 300 * 200 * 4, 0}},
        {"most negative height", BmpHeader(40, 1, INT32_MIN), PictureHeader{kBmp, 1, 0x80000000u, 1ull << 33, 0}},
        {"bmp core header", BmpHeader(12, 65535, 2), PictureHeader{kBmp, 65535, 2, 65535 * 2 * 4, 0}},
        {"bmp negative width", BmpHeader(40, -300, 200), kNothing},
        {"bmp unknown header size", BmpHeader(20, 300, 200), kNothing},
        {"bmp header cut short", Cut(BmpHeader(40, 300, 200), 14 + 39), kNothing},
        {"empty", {}, kNothing},
        {"other bytes", BytesOf("RIFF\x10\0\0\0WEBPVP8 "), kNothing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Described(ReadPictureHeader(c.bytes.data(), c.bytes.size())), Described(c.expected)) << c.name;
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
    };
    for (const auto& c : cases) EXPECT_EQ(DecodableCover(c.bytes.data(), c.bytes.size()), c.decodable) << c.name;

    Bytes picture = PngHeader(100, 100);
    picture.resize(kCoverBytesMax, 0);
    EXPECT_TRUE(DecodableCover(picture.data(), picture.size()));
    picture.push_back(0);
    EXPECT_FALSE(DecodableCover(picture.data(), picture.size()));
}

}  // namespace
