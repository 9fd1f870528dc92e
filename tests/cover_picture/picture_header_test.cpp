// What a picture's header claims, read from headers built field by field,
// and which pictures may reach a decoder at all.
#include "titletip/picture_header.h"

#include "tests/cover_picture/picture_bytes.h"

#include <gtest/gtest.h>

namespace {

struct HeaderCase {
    const char* name;
    Bytes bytes;
    std::optional<PictureSize> expected;
};

std::optional<PictureSize> Claims(PictureKind kind, uint32_t width, uint32_t height) {
    return PictureSize{kind, width, height};
}

std::string Described(const std::optional<PictureSize>& size) {
    if (!size) return "nothing";
    return std::to_string(int(size->kind)) + ": " + std::to_string(size->width) + " x " + std::to_string(size->height);
}

Bytes Cut(Bytes bytes, size_t keep) {
    bytes.resize(keep);
    return bytes;
}

Bytes Joined(Bytes first, const Bytes& second) {
    Append(first, second);
    return first;
}

void ExpectClaims(const std::vector<HeaderCase>& cases) {
    for (const HeaderCase& c : cases) {
        const auto size = PictureSizeOf(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(Described(size), Described(c.expected)) << c.name;
    }
}

constexpr uint8_t kSof0 = 0xC0, kSof2 = 0xC2, kSof15 = 0xCF, kDac = 0xCC, kJpg = 0xC8;

TEST(PictureSizeOf, ReadsPngsImageHeader) {
    const Bytes png = PngHeader(640, 480);
    ExpectClaims({
        {"png", png, Claims(PictureKind::Png, 640, 480)},
        {"png's size as it claims it", PngHeader(16384, 65537), Claims(PictureKind::Png, 16384, 65537)},
        {"png cut inside the sides", Cut(png, 20), std::nullopt},
        {"png cut before interlace", Cut(png, 28), std::nullopt},
        {"png with another chunk first", Joined(Cut(png, 12), BytesOf("gAMA00000000000000")), std::nullopt},
        {"png signature alone", Cut(png, 8), std::nullopt},
    });
}

TEST(PictureSizeOf, WalksJpegMarkersToTheFirstFrame) {
    const Bytes baseline = Jpeg({JfifSegment(), QuantisationSegment(), JpegFrame(kSof0, 400, 300)});
    Bytes padded = Jpeg({JfifSegment()});
    Append(padded, {0xFF, 0xFF, 0xFF});  // fill bytes before a marker
    Append(padded, JpegFrame(kSof0, 7, 9));
    ExpectClaims({
        {"baseline after JFIF and DQT", baseline, Claims(PictureKind::Jpeg, 400, 300)},
        {"progressive after Exif and DQT",
         Jpeg({ExifSegment(), QuantisationSegment(), HuffmanSegment(), JpegFrame(kSof2, 1200, 1199)}),
         Claims(PictureKind::Jpeg, 1200, 1199)},
        {"lossless arithmetic", Jpeg({JpegFrame(kSof15, 5, 6)}), Claims(PictureKind::Jpeg, 5, 6)},
        {"fill bytes", padded, Claims(PictureKind::Jpeg, 7, 9)},
        {"restart marker alone", Jpeg({Bytes{0xFF, 0xD0}, JpegFrame(kSof0, 3, 4)}), Claims(PictureKind::Jpeg, 3, 4)},
        {"DHT, JPG and DAC are no frames",
         Jpeg({JpegSegment(0xC4, {0, 1, 2, 3, 4}), JpegSegment(kJpg, {8, 0, 1, 0, 1}),
               JpegSegment(kDac, {8, 0, 1, 0, 1}), JpegFrame(kSof0, 33, 44)}),
         Claims(PictureKind::Jpeg, 33, 44)},
        {"height left to a later DNL", Jpeg({JpegFrame(kSof0, 10, 0)}), Claims(PictureKind::Jpeg, 10, 0)},
        {"frame cut short", Cut(baseline, baseline.size() - 1), std::nullopt},
        {"segment running past the end", Joined(Jpeg({JfifSegment()}), Bytes{0xFF, 0xE1, 0x7F, 0xFF, 1, 2, 3}),
         std::nullopt},
        {"segment length below its own two bytes", Jpeg({Bytes{0xFF, 0xE0, 0, 1}, JpegFrame(kSof0, 1, 1)}),
         std::nullopt},
        {"scan before any frame", Jpeg({JpegSegment(0xDA, {1, 2, 3}), JpegFrame(kSof0, 1, 1)}), std::nullopt},
        {"end before any frame", Jpeg({Bytes{0xFF, 0xD9}, JpegFrame(kSof0, 1, 1)}), std::nullopt},
        {"garbage between segments", Jpeg({JfifSegment(), Bytes{0x00}, JpegFrame(kSof0, 1, 1)}), std::nullopt},
        {"start of image alone", Jpeg({}), std::nullopt},
    });
}

TEST(PictureSizeOf, ReadsGifsLogicalScreen) {
    ExpectClaims({
        {"gif89a", GifHeader("GIF89a", 320, 200), Claims(PictureKind::Gif, 320, 200)},
        {"gif87a", GifHeader("GIF87a", 65535, 1), Claims(PictureKind::Gif, 65535, 1)},
        {"gif cut inside the screen", Cut(GifHeader("GIF89a", 320, 200), 12), std::nullopt},
        {"unknown gif version", GifHeader("GIF88a", 320, 200), std::nullopt},
    });
}

TEST(PictureSizeOf, ReadsBmpsCoreAndInfoHeaders) {
    ExpectClaims({
        {"info header", BmpHeader(40, 300, 200), Claims(PictureKind::Bmp, 300, 200)},
        {"top-down", BmpHeader(40, 300, -200), Claims(PictureKind::Bmp, 300, 200)},
        {"most negative height", BmpHeader(40, 1, INT32_MIN), Claims(PictureKind::Bmp, 1, 0x80000000u)},
        {"core header", BmpHeader(12, 65535, 2), Claims(PictureKind::Bmp, 65535, 2)},
        {"version 5 header", BmpHeader(124, 17, 18), Claims(PictureKind::Bmp, 17, 18)},
        {"short OS/2 header", BmpHeader(16, 5, 6), Claims(PictureKind::Bmp, 5, 6)},
        {"negative width", BmpHeader(40, -300, 200), std::nullopt},
        {"unknown header size", BmpHeader(20, 300, 200), std::nullopt},
        {"header cut short", Cut(BmpHeader(40, 300, 200), 14 + 39), std::nullopt},
        {"file header alone", Cut(BmpHeader(40, 300, 200), 14), std::nullopt},
    });
}

TEST(PictureSizeOf, OtherBytesAreNoPicture) {
    ExpectClaims({
        {"empty", {}, std::nullopt},
        {"RIFF", BytesOf("RIFF\x10\0\0\0WEBPVP8 "), std::nullopt},
        {"text", BytesOf("<html><body>cover</body></html>"), std::nullopt},
        {"one byte of a signature", Bytes{0x89}, std::nullopt},
    });
    EXPECT_FALSE(PictureSizeOf(nullptr, 100));
}

TEST(DecodableCover, OnlySidesFromOneToTheLimit) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool decodable;
    };
    const std::vector<Case> cases = {
        {"a row size times height past 2^32", PngHeader(16384, 65537), false},
        {"the largest side", PngHeader(kCoverSideMax, kCoverSideMax), true},
        {"one past it across", PngHeader(kCoverSideMax + 1, 1), false},
        {"one past it down", Jpeg({JpegFrame(kSof0, 1, kCoverSideMax + 1)}), false},
        {"one by one", GifHeader("GIF89a", 1, 1), true},
        {"no width", GifHeader("GIF89a", 0, 10), false},
        {"height from a later DNL", Jpeg({JpegFrame(kSof0, 10, 0)}), false},
        {"top-down at the limit", BmpHeader(40, 10, -int32_t(kCoverSideMax)), true},
        {"top-down past it", BmpHeader(40, 10, -int32_t(kCoverSideMax) - 1), false},
        {"most negative height", BmpHeader(40, 10, INT32_MIN), false},
        {"no header", BytesOf("not a picture"), false},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodableCover(c.bytes.data(), c.bytes.size()), c.decodable) << c.name;
}

TEST(DecodableCover, AtMostSixteenMegabytes) {
    Bytes picture = PngHeader(100, 100);
    picture.resize(kCoverBytesMax, 0);
    EXPECT_TRUE(DecodableCover(picture.data(), picture.size()));
    picture.push_back(0);
    EXPECT_FALSE(DecodableCover(picture.data(), picture.size()));
}

}  // namespace
