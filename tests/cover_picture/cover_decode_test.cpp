// Real pictures of every kind decoded by the system's imaging component
// under Wine into the cover's square, broken ones refused, and pictures
// whose size no cover has refused before the imaging component is asked.
#include "cover/cover_picture.h"

#include "cover/picture_header.h"

#include "testbed/common/files.h"
#include "tests/cover_picture/picture_bytes.h"
#include "tests/cover_tags/allocation_meter.h"
#include "tests/support/iat_patch.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <cstdlib>

namespace {

uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return b | g << 8 | r << 16 | a << 24; }
const uint32_t kRed = Bgra(0, 0, 255, 255), kBlue = Bgra(255, 0, 0, 255), kGreen = Bgra(0, 255, 0, 255),
               kWhite = ~0u;

// A picture drawn at build time (tests/cover_picture/CMakeLists.txt).
Bytes Picture(const char* name) { return BytesOf(ReadWholeFile(ExeFolder() + "\\cover_pictures\\" + name)); }

std::optional<CoverPixels> Decoded(const Bytes& bytes) { return DecodeCover(bytes.data(), bytes.size()); }

// Creations of the imaging component, counted at the import that the test
// program's copy of the plug-in's code calls.
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
        countCreations_ = PatchTyped<decltype(&CoCreateInstance)>(
            GetModuleHandleA(nullptr), "ole32.dll", "CoCreateInstance", CountingCoCreateInstance, &realCoCreateInstance);
        ASSERT_TRUE(countCreations_->active());
    }
    void TearDown() override {
        countCreations_.reset();
        CoUninitialize();
    }

private:
    std::unique_ptr<ScopedImportPatch> countCreations_;
};

// Each pixel of a 64 x 64 cover of four 32 x 32 quadrants near its
// quadrant's colour, leaving out margin pixels either side of the borders.
void ExpectQuadrants(const CoverPixels& cover, const uint32_t (&colours)[4], int tolerance, int margin) {
    ASSERT_TRUE(cover.width == 64 && cover.height == 64);
    int wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            if (std::abs(x - 31.5) < margin || std::abs(y - 31.5) < margin) continue;
            const uint32_t pixel = cover.bgra.data()[size_t(y) * 64 + x], expected = colours[y / 32 * 2 + x / 32];
            for (int shift = 0; shift < 32; shift += 8)
                if (std::abs(int(pixel >> shift & 0xFF) - int(expected >> shift & 0xFF)) > tolerance && ++wrong < 5)
                    ADD_FAILURE() << x << ", " << y << ": " << std::hex << pixel << " for " << expected;
        }
}

TEST_F(DecodeCoverTest, EveryKindDecodesToItsColoursTheRightWayUp) {
    const uint32_t quadrants[4] = {kRed, kBlue, kGreen, kWhite}, upsideDown[4] = {kGreen, kWhite, kRed, kBlue};
    // The same bottom-up rows read as top-down.
    Bytes flipped = Picture("quadrants.bmp");
    ASSERT_GT(flipped.size(), 26u);
    const Bytes minus64 = LittleEndian(uint32_t(-64), 4);
    std::copy(minus64.begin(), minus64.end(), flipped.begin() + 22);
    const struct {
        const char* name;
        Bytes bytes;
        const uint32_t (&colours)[4];
        int tolerance, margin;
    } cases[] = {
        {"gif", Picture("quadrants.gif"), quadrants, 0, 0},
        {"bmp", Picture("quadrants.bmp"), quadrants, 0, 0},
        {"top-down bmp", flipped, upsideDown, 0, 0},
        // JPEG's colours are near, and chroma subsampling blurs the borders.
        {"jpeg", Picture("quadrants.jpg"), quadrants, 12, 2},
    };
    for (const auto& c : cases) {
        const auto cover = Decoded(c.bytes);
        ASSERT_TRUE(cover) << c.name;
        SCOPED_TRACE(c.name);
        ExpectQuadrants(*cover, c.colours, c.tolerance, c.margin);
    }
    EXPECT_EQ(factoriesAsked, 4);
}

TEST_F(DecodeCoverTest, PngAlphaArrivesPremultipliedAndHalved) {
    // 128 x 64: opaque red, blue at half opacity, opaque green, clear.
    const auto cover = Decoded(Picture("quadrants.png"));
    ASSERT_TRUE(cover && cover->width == 64 && cover->height == 32);
    const uint32_t colours[4] = {kRed, Bgra(0x80, 0, 0, 0x80), kGreen, 0};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(cover->bgra.data()[size_t(y) * 64 + x], colours[y / 16 * 2 + x / 32]);
}

TEST_F(DecodeCoverTest, ALargePictureIsReadBandByBandInOrder) {
    // 1000 x 1280 in eight stripes of 160 rows: 50 x 64, eight rows each.
    const uint32_t stripes[8] = {kRed, kGreen, kBlue, Bgra(0, 255, 255, 255), Bgra(255, 255, 0, 255),
                                 Bgra(255, 0, 255, 255), Bgra(0, 0, 0, 255), kWhite};
    const auto cover = Decoded(Picture("stripes.gif"));
    ASSERT_TRUE(cover && cover->width == 50 && cover->height == 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(cover->bgra.data()[size_t(y) * 50 + x], stripes[y / 8]) << x << ", " << y;
}

TEST_F(DecodeCoverTest, BrokenPicturesGiveNothing) {
    for (const char* name : {"quadrants.png", "quadrants.gif", "quadrants.jpg", "quadrants.bmp"}) {
        Bytes truncated = Picture(name);
        truncated.resize(truncated.size() / 2);
        EXPECT_FALSE(Decoded(truncated)) << name << " cut in half";
    }
    Bytes damaged = Picture("quadrants.png");
    for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 16; ++i) damaged[i] ^= 0x5A;
    EXPECT_FALSE(Decoded(damaged)) << "png with damaged pixels";
    EXPECT_FALSE(Decoded(Jpeg({JpegPreamble(), JpegFrame(0xC0, 64, 64)}))) << "jpeg without a scan";
}

TEST_F(DecodeCoverTest, SizesNoCoverHasNeverReachTheDecoder) {
    // Wine's PNG decoder takes the process down on this one: its row size
    // times its height wraps past 2^32.
    EXPECT_FALSE(Decoded(Joined({PngHeader(16384, 65537), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82}})));
    Bytes tooLarge = Picture("quadrants.png");
    tooLarge.resize(kCoverBytesMax + 1, 0);
    EXPECT_FALSE(Decoded(tooLarge));
    EXPECT_FALSE(Decoded(BytesOf("no picture at all")));
    EXPECT_EQ(factoriesAsked, 0);
    // The same count sees a picture that may be decoded.
    EXPECT_TRUE(Decoded(Picture("quadrants.gif")));
    EXPECT_EQ(factoriesAsked, 1);
}

TEST_F(DecodeCoverTest, AGifWhoseFirstImageLeavesItsScreenNeverReachesTheDecoder) {
    const auto wide = Decoded(Picture("wide_8000.gif"));
    EXPECT_TRUE(wide && wide->width == 64 && wide->height == 1 && wide->bgra.data()[0] == kRed);
    EXPECT_FALSE(Decoded(Picture("wide_9000.gif"))) << "a screen wider than the limit";
    EXPECT_EQ(factoriesAsked, 1);
    // The same GIFs made to claim a 16 x 16 screen.
    for (const char* name : {"wide_8000.gif", "wide_9000.gif"}) {
        Bytes gif = Picture(name);
        const Bytes screen = Joined({LittleEndian(16, 2), LittleEndian(16, 2)});
        ASSERT_GT(gif.size(), 10u);
        std::copy(screen.begin(), screen.end(), gif.begin() + 6);
        EXPECT_FALSE(Decoded(gif)) << name;
    }
    EXPECT_EQ(factoriesAsked, 1);
}

// A GIF takes the most: its first image's copy, then the scaler's sums, a
// band of rows and the cover. A block of operator new's would end the
// process, as the plug-in's does.
TEST_F(DecodeCoverTest, EachBlockTheHeapRefusesGivesNoCover) {
    const Bytes gif = Picture("stripes.gif");
    const AllocationMeter meter;
    ASSERT_TRUE(Decoded(gif));
    const int needed = meter.Allocations();
    ASSERT_GT(needed, 0);
    for (int allowed = 0; allowed < needed; ++allowed) {
        bool decoded = true;
        {
            const HeapShortage shortage(allowed);
            decoded = Decoded(gif).has_value();
        }
        EXPECT_FALSE(decoded) << "with " << allowed << " of " << needed << " blocks";
    }
}

}  // namespace
