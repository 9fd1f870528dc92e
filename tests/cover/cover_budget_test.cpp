// What a cover may cost the shell, through the built plug-in against the
// stand-in player: a GIF leaves nothing reserved behind however its later
// images are made, pictures whose decoding would cost hundreds of
// megabytes never reach the imaging component, and a cover of the largest
// size that stores sell still shows.
#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "testbed/covers/cover_file_builders.h"
#include "testbed/player/player_sim_client.h"
#include "tests/cover_picture/picture_bytes.h"
#include "tests/lifecycle/lifecycle_fixture.h"
#include "tests/support/iat_patch.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <atomic>
#include <cstdlib>

namespace {

constexpr int kCoverTipHeight = 70;
constexpr COLORREF kRed = RGB(0xD0, 0x20, 0x10);
constexpr COLORREF kBlue = RGB(0x10, 0x30, 0xD0);
constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kAmber = RGB(0xC0, 0x80, 0x20);
// What decoding a cover may leave behind: heaps grown, a few pages of the
// imaging component's own.
constexpr size_t kAddressSpaceSlack = 4u << 20;

Bytes FileBytes(const std::string& name) { return BytesOf(ReadWholeFile(ExeFolder() + "\\" + name)); }

// Bytes of this process's address space reserved or committed.
size_t AddressSpaceInUse() {
    size_t used = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (auto* at = static_cast<const uint8_t*>(nullptr); VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State != MEM_FREE) used += region.RegionSize;
        const auto* next = static_cast<const uint8_t*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return used;
}

// 28 bytes of GIF whose 1 x 1 screen holds one 16,384 x 16,384 image, its
// data cut short.
const Bytes kCutShortGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x40, 0x00, 0x02, 0x01, 0x04, 0x00, 0x3B};

void PutBigEndian(Bytes& bytes, uint32_t value) {
    const Bytes number = BigEndian(value, 4);
    bytes.insert(bytes.end(), number.begin(), number.end());
}

void PutChunk(Bytes& png, const char* type, const Bytes& data) {
    PutBigEndian(png, uint32_t(data.size()));
    const size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uint32_t crc = ~0u;
    for (size_t i = typeAt; i < png.size(); ++i) {
        crc ^= png[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    PutBigEndian(png, ~crc);
}

// A zlib stream of count zeros in one block of deflate's fixed codes (each
// written most significant bit first): a literal zero, copies of 258 bytes
// from one back, the rest as literals.
Bytes ZlibZeros(uint32_t count) {
    Bytes zlib = {0x78, 0x01};
    uint64_t bits = 0;
    const auto put = [&](uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i, ++bits) {
            if (bits % 8 == 0) zlib.push_back(0);
            zlib.back() |= uint8_t(((code >> i) & 1) << (bits % 8));
        }
    };
    constexpr uint32_t kLiteralZero = 0x30, kLength258 = 0xC5;
    put(0b110, 3);  // the last block; fixed codes (01, least significant bit first)
    put(kLiteralZero, 8);
    uint32_t left = count - 1;
    for (; left >= 258; left -= 258) put(kLength258 << 5, 13);  // then distance code 0: one back
    for (; left > 0; --left) put(kLiteralZero, 8);
    put(0, 7);  // the end of the block
    PutBigEndian(zlib, (count % 65521) << 16 | 1);  // Adler-32 of zeros
    return zlib;
}

// A valid 16-bit RGBA PNG of 8,192 x 8,192 clear pixels in 3.4 MB: its
// decoder holds 512 MB.
Bytes DeepPng() {
    constexpr uint32_t kSide = 8192, kRowBytes = 1 + kSide * 8;  // filter byte, then pixels
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", Joined({BigEndian(kSide, 4), BigEndian(kSide, 4), {16, 6, 0, 0, 0}}));
    PutChunk(png, "IDAT", ZlibZeros(kSide * kRowBytes));
    PutChunk(png, "IEND", {});
    return png;
}

// A few hundred bytes of progressive 4:4:4 JPEG claiming 8,192 x 8,192: its
// decoder holds 576 MB of coefficients and output.
Bytes ProgressiveJpeg() {
    return Jpeg({JpegPreamble(), JpegFrame(0xC2, 8192, 8192, {0x11, 0x11, 0x11}), JpegScan(3), Bytes(200, 0x55)});
}

bool Near(COLORREF seen, COLORREF expected) {
    const auto close = [](int a, int b) { return std::abs(a - b) <= 12; };
    return close(GetRValue(seen), GetRValue(expected)) && close(GetGValue(seen), GetGValue(expected)) &&
           close(GetBValue(seen), GetBValue(expected));
}

// Creations of the imaging component by the plug-in, counted at its import.
std::atomic<int> factoriesAsked{0};
decltype(&CoCreateInstance) realCoCreateInstance = nullptr;
HRESULT WINAPI CountingCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
    ++factoriesAsked;
    return realCoCreateInstance(clsid, outer, context, iid, out);
}

class CoverBudgetTest : public LoadedPluginTest {
protected:
    void TearDown() override {
        // The patch lives in the plug-in's memory: undone while it is there.
        countCreations_.reset();
        LoadedPluginTest::TearDown();
        if (sim.process) StopPlayerSim(&sim);
    }

    std::string Song(const std::string& name, const Bytes& picture) {
        const std::string path = scratchDir + "\\" + name;
        TagPicture front;
        front.bytes = picture;
        EXPECT_TRUE(WriteFileBytes(path, BuildId3File({front}, Id3Options{}))) << path;
        return path;
    }

    // The player plays the song, and the plug-in starts.
    void Play(const Bytes& picture) {
        PlayerSimOptions playerOptions;
        playerOptions.playlist = {{"Artist - Song 1", 200, Song("first.mp3", picture)}};
        sim = StartPlayerSim(playerOptions);
        ASSERT_TRUE(sim.window) << sim.failure;
        StartPlugin();
    }

    void Next(const std::string& file) {
        ASSERT_TRUE(SendPlayerSimControl(sim.window, "file " + file));
        ASSERT_TRUE(SendPlayerSimControl(sim.window, "title Artist - Song " + std::to_string(++songs)));
    }

    void CountImagingFactories() {
        factoriesAsked = 0;
        countCreations_ = PatchTyped<decltype(&CoCreateInstance)>(plugin, "ole32.dll", "CoCreateInstance",
                                                                  CountingCoCreateInstance, &realCoCreateInstance);
        ASSERT_TRUE(countCreations_->active());
    }

    // True when the tip shows a cover whose middle is near this colour.
    static bool CoverShows(COLORREF colour) {
        const HWND tip = FindWindowA("Pelorin_Tip", nullptr);
        RECT rect = {};
        if (!GetWindowRect(tip, &rect) || rect.bottom - rect.top != kCoverTipHeight) return false;
        HDC screen = GetDC(tip);
        const COLORREF seen = GetPixel(screen, 3 + 32, 3 + 32);
        ReleaseDC(tip, screen);
        return Near(seen, colour);
    }

    // The worker asks the player for each song's file once.
    void WaitForQuestions(int questions) {
        ASSERT_TRUE(WaitUntil(
            [&] {
                const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
                return CountPlayerSimLog(log, "USER", "0 211") + CountPlayerSimLog(log, "USER", "0 214") >= questions;
            },
            5000));
    }

    PlayerSimProcess sim;
    int songs = 1;

private:
    std::unique_ptr<ScopedImportPatch> countCreations_;
};

// A decoder that reads every image first reserved each one's size and kept
// it when the image's data was bad: 256 MB a file, for good.
TEST_F(CoverBudgetTest, AGifIsDecodedFromItsFirstImageAndLeavesNothingReserved) {
    Bytes twoImages = FileBytes("cover_e2e\\grey.gif");
    ASSERT_TRUE(!twoImages.empty() && twoImages.back() == 0x3B);
    twoImages.pop_back();
    twoImages.insert(twoImages.end(), kCutShortGif.begin() + 13, kCutShortGif.end());
    Play(FileBytes("cover_e2e\\red.png"));
    ASSERT_TRUE(WaitUntil([] { return CoverShows(kRed); }, 5000));
    const size_t before = AddressSpaceInUse();
    Next(Song("cut short.mp3", kCutShortGif));
    WaitForQuestions(2);
    Next(Song("two images.mp3", twoImages));
    EXPECT_TRUE(WaitUntil([] { return CoverShows(kGrey); }, 5000)) << "the first image";
    const size_t after = AddressSpaceInUse();
    EXPECT_LE(after, before + kAddressSpaceSlack) << (after - before) / 1024 << " KB more in use";
}

TEST_F(CoverBudgetTest, PicturesOverTheBudgetNeverReachTheImagingComponent) {
    Play(FileBytes("cover_e2e\\red.png"));
    ASSERT_TRUE(WaitUntil([] { return CoverShows(kRed); }, 5000));
    CountImagingFactories();
    Next(Song("deep png.mp3", DeepPng()));
    WaitForQuestions(2);
    Next(Song("progressive.mp3", ProgressiveJpeg()));
    WaitForQuestions(3);
    // The worker is past both once this one shows.
    Next(Song("last.mp3", FileBytes("cover_e2e\\blue.png")));
    ASSERT_TRUE(WaitUntil([] { return CoverShows(kBlue); }, 5000));
    EXPECT_EQ(factoriesAsked, 1) << "imaging factories made for three pictures";
}

// 3,000 x 3,000, progressive, no chroma subsampling: its decoder holds
// 81 MB, within the budget.
TEST_F(CoverBudgetTest, ACoverOfTheSizeStoresSellShows) {
    Play(FileBytes("cover_pictures\\amber_3000.jpg"));
    EXPECT_TRUE(WaitUntil([] { return CoverShows(kAmber); }, 10000));
}

}  // namespace
