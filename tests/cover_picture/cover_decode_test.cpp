// Real pictures of every kind decoded by the system's imaging component
// under Wine into the cover's square, broken ones refused, pictures whose
// size no cover has refused before the imaging component is asked, and
// the decode time of a large JPEG printed.
#include "titletip/cover_picture.h"

#include "titletip/picture_header.h"

#include "tests/cover_picture/picture_bytes.h"
#include "tests/support/bench_figures.h"
#include "tests/support/iat_patch.h"
#include "testbed/common/files.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <cstdlib>

namespace {

uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return b | g << 8 | r << 16 | a << 24; }
uint32_t Channel(uint32_t pixel, int channel) { return (pixel >> (8 * channel)) & 0xFF; }

const uint32_t kRed = Bgra(0, 0, 255, 255), kBlue = Bgra(255, 0, 0, 255), kGreen = Bgra(0, 255, 0, 255),
               kWhite = Bgra(255, 255, 255, 255);

Bytes Picture(const char* name) {
    const std::string bytes = ReadWholeFile(ExeFolder() + "\\cover_pictures\\" + name);
    return Bytes(bytes.begin(), bytes.end());
}

std::optional<CoverPixels> Decoded(const Bytes& bytes) { return DecodeCover(bytes.data(), bytes.size()); }

// Counts the imaging component's creations through the import the test
// program's copy of the plug-in's code uses.
int factoriesAsked = 0;
decltype(&CoCreateInstance) realCoCreateInstance = nullptr;
HRESULT WINAPI CountingCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
    ++factoriesAsked;
    return realCoCreateInstance(clsid, outer, context, iid, out);
}

class DecodeCoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        factoriesAsked = 0;
        countCreations_ = PatchTyped<decltype(&CoCreateInstance)>(GetModuleHandleA(nullptr), "ole32.dll",
                                                                  "CoCreateInstance", CountingCoCreateInstance,
                                                                  &realCoCreateInstance);
        ASSERT_TRUE(countCreations_->active());
    }
    void TearDown() override {
        countCreations_.reset();
        CoUninitialize();
    }

    // Every pixel of each 32 x 32 quadrant of a 64 x 64 cover within
    // tolerance of its colour, away from margin pixels of the borders.
    static void ExpectQuadrants(const CoverPixels& cover, const uint32_t (&colours)[4], uint32_t tolerance,
                                int margin) {
        ASSERT_EQ(cover.width, 64);
        ASSERT_EQ(cover.height, 64);
        int wrong = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                if (std::abs(x - 31.5) < margin || std::abs(y - 31.5) < margin) continue;
                const uint32_t pixel = cover.bgra[size_t(y) * 64 + x], expected = colours[(y / 32) * 2 + x / 32];
                for (int channel = 0; channel < 4; ++channel)
                    if (std::abs(int(Channel(pixel, channel)) - int(Channel(expected, channel))) > int(tolerance) &&
                        ++wrong <= 5)
                        ADD_FAILURE() << "pixel " << x << ", " << y << ": " << std::hex << pixel << " for "
                                      << expected;
            }
    }

private:
    std::unique_ptr<ScopedImportPatch> countCreations_;
};

TEST_F(DecodeCoverTest, EveryKindDecodesToItsColoursTheRightWayUp) {
    const uint32_t quadrants[4] = {kRed, kBlue, kGreen, kWhite};
    struct Case {
        const char* name;
        Bytes bytes;
        uint32_t tolerance;
        int margin;
    };
    const Case cases[] = {
        {"gif", Picture("quadrants.gif"), 0, 0},
        {"bottom-up bmp", Picture("quadrants.bmp"), 0, 0},
        // JPEG's colours are near, and chroma subsampling blurs the borders.
        {"jpeg", Picture("quadrants.jpg"), 12, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(c.bytes.size(), 0u);
        const auto cover = Decoded(c.bytes);
        ASSERT_TRUE(cover);
        ExpectQuadrants(*cover, quadrants, c.tolerance, c.margin);
    }
    std::vector<std::vector<uint32_t>> rows = {{0xFF0000, 0x0000FF}, {0x00FF00, 0xFFFFFF}};
    const auto topDown = Decoded(Bmp24(2, rows, true));
    ASSERT_TRUE(topDown);
    ExpectQuadrants(*topDown, quadrants, 0, 0);
    EXPECT_EQ(factoriesAsked, 4);
}

TEST_F(DecodeCoverTest, PngAlphaArrivesPremultipliedAndHalved) {
    // 128 x 64: opaque red, blue at half opacity, opaque green, clear.
    const auto cover = Decoded(Picture("quadrants.png"));
    ASSERT_TRUE(cover);
    ASSERT_EQ(cover->width, 64);
    ASSERT_EQ(cover->height, 32);
    const uint32_t halfBlue = Bgra(0x80, 0, 0, 0x80);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t expected = y < 16 ? (x < 32 ? kRed : halfBlue) : (x < 32 ? kGreen : 0);
            ASSERT_EQ(cover->bgra[size_t(y) * 64 + x], expected) << x << ", " << y;
        }
}

TEST_F(DecodeCoverTest, ALargePictureIsReadBandByBandInOrder) {
    // 1000 x 1280 in eight stripes of 160 rows: 50 x 64, eight rows each.
    const uint32_t stripes[8] = {kRed,  kGreen, kBlue, Bgra(0, 255, 255, 255), Bgra(255, 255, 0, 255),
                                 Bgra(255, 0, 255, 255), Bgra(0, 0, 0, 255), kWhite};
    const auto cover = Decoded(Picture("stripes.gif"));
    ASSERT_TRUE(cover);
    ASSERT_EQ(cover->width, 50);
    ASSERT_EQ(cover->height, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(cover->bgra[size_t(y) * 50 + x], stripes[y / 8]) << x << ", " << y;
}

TEST_F(DecodeCoverTest, BrokenPicturesGiveNothing) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    for (const char* name : {"quadrants.png", "quadrants.gif", "quadrants.jpg", "quadrants.bmp"}) {
        Bytes truncated = Picture(name);
        ASSERT_GT(truncated.size(), 100u) << name;
        truncated.resize(truncated.size() / 2);
        cases.push_back({name, truncated});
    }
    Bytes badPng = Picture("quadrants.png");
    for (size_t i = badPng.size() / 2; i < badPng.size() / 2 + 16; ++i) badPng[i] ^= 0x5A;
    cases.push_back({"png with damaged pixels", badPng});
    Bytes noScan = Jpeg({JfifSegment(), QuantisationSegment(), JpegFrame(0xC0, 64, 64)});
    cases.push_back({"jpeg header without a scan", noScan});
    for (const Case& c : cases) EXPECT_FALSE(Decoded(c.bytes)) << c.name;
}

TEST_F(DecodeCoverTest, SizesNoCoverHasNeverReachTheDecoder) {
    // Wine's PNG decoder takes this down: its row size times its height
    // wraps past 2^32.
    Bytes wrapping = PngHeader(16384, 65537);
    Append(wrapping, {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    EXPECT_FALSE(Decoded(wrapping));
    EXPECT_FALSE(Decoded(BytesOf("no picture at all")));
    Bytes tooLarge = Picture("quadrants.png");
    tooLarge.resize(kCoverBytesMax + 1, 0);
    EXPECT_FALSE(Decoded(tooLarge));
    EXPECT_EQ(factoriesAsked, 0);
    // The same counting sees a picture that may be decoded.
    EXPECT_TRUE(Decoded(Picture("quadrants.gif")));
    EXPECT_EQ(factoriesAsked, 1);
}

TEST_F(DecodeCoverTest, AFrameWiderThanTheLimitIsRefusedWhateverTheHeaderSays) {
    // GIFs whose first frame is 8000 or 9000 pixels wide, each claiming a
    // 16 x 16 screen.
    for (const char* name : {"wide_8000.gif", "wide_9000.gif"}) {
        Bytes gif = Picture(name);
        ASSERT_GT(gif.size(), 10u);
        gif[6] = 16, gif[7] = 0, gif[8] = 16, gif[9] = 0;
        ASSERT_TRUE(DecodableCover(gif.data(), gif.size()));
        const auto cover = Decoded(gif);
        if (name[5] == '8') {
            ASSERT_TRUE(cover) << name;
            EXPECT_EQ(cover->width, 64);
            EXPECT_EQ(cover->height, 1);
            EXPECT_EQ(cover->bgra[0], kRed);
        } else {
            EXPECT_FALSE(cover) << name;
        }
    }
}

TEST_F(DecodeCoverTest, TimeOfALargeJpeg) {
    const Bytes jpeg = Picture("noise.jpg");
    ASSERT_GT(jpeg.size(), 400u * 1024);
    // The first decode also loads the imaging component's code.
    ASSERT_TRUE(Decoded(jpeg));
    std::vector<double> samples;
    for (int run = 0; run < 7; ++run) {
        const LARGE_INTEGER start = PerformanceNow();
        const auto cover = Decoded(jpeg);
        samples.push_back(MicrosecondsBetween(start, PerformanceNow()) / 1000);
        ASSERT_TRUE(cover);
        ASSERT_EQ(cover->width, 64);
        // Noise around mid-grey averages back to about mid-grey.
        EXPECT_NEAR(int(Channel(cover->bgra[size_t(32) * 64 + 32], 1)), 0x80, 24);
    }
    PrintFigure("cover decode of a 1000 x 1000 JPEG of " + std::to_string(jpeg.size() / 1024) + " KB, median of 7",
                Printed("%.1f ms", Median(samples)));
}

}  // namespace
