// What a picture's header claims, read from headers built field by field,
// and which pictures may reach a decoder at all.
#include "cover/picture_header.h"

#include "tests/cover_picture/picture_bytes.h"

#include <gtest/gtest.h>

namespace {

std::string Described(const std::optional<PictureSize>& size) {
    if (!size) return "nothing";
    return std::to_string(int(size->kind)) + ": " + std::to_string(size->width) + " x " + std::to_string(size->height);
}

Bytes Cut(Bytes bytes, size_t keep) {
    bytes.resize(keep);
    return bytes;
}

constexpr uint8_t kSof0 = 0xC0, kSof2 = 0xC2;
const auto kNothing = std::nullopt;
const auto kPng = PictureKind::Png, kJpeg = PictureKind::Jpeg, kGif = PictureKind::Gif, kBmp = PictureKind::Bmp;

TEST(PictureSizeOf, ReadsEachKindsHeaderAndNothingShortOrMalformed) {
    const Bytes png = PngHeader(640, 480);
    const Bytes baseline = Jpeg({JpegPreamble(), JpegFrame(kSof0, 400, 300)});
    const struct {
        const char* name;
        Bytes bytes;
        std::optional<PictureSize> expected;
    } cases[] = {
        {"png", png, PictureSize{kPng, 640, 480}},
        {"png cut before interlace", Cut(png, 28), kNothing},
        {"png with another chunk first", Joined({Cut(png, 12), BytesOf("gAMA00000000000")}), kNothing},
        {"baseline jpeg after APPn and DQT", baseline, PictureSize{kJpeg, 400, 300}},
        {"progressive jpeg", Jpeg({JpegPreamble(), JpegFrame(kSof2, 1200, 1199)}), PictureSize{kJpeg, 1200, 1199}},
        {"fill bytes and a restart marker", Jpeg({{0xFF, 0xD0, 0xFF, 0xFF}, JpegFrame(0xCF, 7, 9)}),
         PictureSize{kJpeg, 7, 9}},
        // As frames these would claim other sizes.
        {"DHT, JPG and DAC are no frames",
         Jpeg({JpegSegment(0xC4, {0, 1, 2, 3, 4}), JpegSegment(0xC8, {8, 0, 1, 0, 1}),
               JpegSegment(0xCC, {8, 0, 1, 0, 1}), JpegFrame(kSof0, 33, 44)}),
         PictureSize{kJpeg, 33, 44}},
        {"jpeg frame cut short", Cut(baseline, baseline.size() - 1), kNothing},
        {"jpeg segment running past the end", Jpeg({{0xFF, 0xE1, 0x7F, 0xFF, 1, 2, 3}}), kNothing},
        {"jpeg length below its own two bytes", Jpeg({{0xFF, 0xE0, 0, 1}, JpegFrame(kSof0, 1, 1)}), kNothing},
        {"jpeg scan before any frame", Jpeg({JpegSegment(0xDA, {1}), JpegFrame(kSof0, 1, 1)}), kNothing},
        {"jpeg garbage between segments", Jpeg({{0x00}, JpegFrame(kSof0, 1, 1)}), kNothing},
        {"gif89a", GifHeader("GIF89a", 320, 200), PictureSize{kGif, 320, 200}},
        {"gif87a", GifHeader("GIF87a", 65535, 1), PictureSize{kGif, 65535, 1}},
        {"gif cut inside its screen", Cut(GifHeader("GIF89a", 320, 200), 12), kNothing},
        {"bmp info header", BmpHeader(40, 300, 200), PictureSize{kBmp, 300, 200}},
        {"top-down bmp", BmpHeader(124, 300, -200), PictureSize{kBmp, 300, 200}},
        {"most negative height", BmpHeader(40, 1, INT32_MIN), PictureSize{kBmp, 1, 0x80000000u}},
        {"bmp core header", BmpHeader(12, 65535, 2), PictureSize{kBmp, 65535, 2}},
        {"bmp negative width", BmpHeader(40, -300, 200), kNothing},
        {"bmp unknown header size", BmpHeader(20, 300, 200), kNothing},
        {"bmp header cut short", Cut(BmpHeader(40, 300, 200), 14 + 39), kNothing},
        {"empty", {}, kNothing},
        {"other bytes", BytesOf("RIFF\x10\0\0\0WEBPVP8 "), kNothing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Described(PictureSizeOf(c.bytes.data(), c.bytes.size())), Described(c.expected)) << c.name;
}

TEST(DecodableCover, SidesFromOneToTheLimitAndSixteenMegabytesAtMost) {
    const struct {
        const char* name;
        Bytes bytes;
        bool decodable;
    } cases[] = {
        {"a row size times height past 2^32", PngHeader(16384, 65537), false},
        {"the largest sides", PngHeader(kCoverSideMax, kCoverSideMax), true},
        {"one past across", PngHeader(kCoverSideMax + 1, 1), false},
        {"one past down", Jpeg({JpegFrame(kSof0, 1, kCoverSideMax + 1)}), false},
        {"height left to a later DNL", Jpeg({JpegFrame(kSof0, 10, 0)}), false},
        {"one by one", GifHeader("GIF89a", 1, 1), true},
        {"top-down past the limit", BmpHeader(40, 10, -int32_t(kCoverSideMax) - 1), false},
        {"no header", BytesOf("not a picture"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodableCover(c.bytes.data(), c.bytes.size()), c.decodable) << c.name;

    Bytes picture = PngHeader(100, 100);
    picture.resize(kCoverBytesMax, 0);
    EXPECT_TRUE(DecodableCover(picture.data(), picture.size()));
    picture.push_back(0);
    EXPECT_FALSE(DecodableCover(picture.data(), picture.size()));
}

}  // namespace
