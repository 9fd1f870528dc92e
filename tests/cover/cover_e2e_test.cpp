// The built plug-in's title tip with the song's cover: from each kind of
// tag, from every other format and none from a copy of it cut inside its
// cover, from the folder, from a name only UTF-16 holds, each song's own
// under one caption, looked for again once missed, never the last song's,
// nothing from a file whose bytes are bad, and no work after a stop. And
// what a cover may cost the shell: a GIF leaves nothing reserved behind
// however its later images are made, pictures whose decoding would cost
// hundreds of megabytes never reach the imaging component, and a cover of
// the largest size that stores sell still shows.
#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_client.h"
#include "testbed/covers/cover_file_builders.h"
#include "tests/cover_picture/picture_bytes.h"
#include "tests/lifecycle/lifecycle_fixture.h"
#include "tests/lifecycle/plugin_probe.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kCoverTipHeight = 70;
constexpr COLORREF kRed = RGB(0xD0, 0x20, 0x10);
constexpr COLORREF kBlue = RGB(0x10, 0x30, 0xD0);
constexpr COLORREF kGreen = RGB(0x20, 0xC0, 0x40);
constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kAmber = RGB(0xC0, 0x80, 0x20);

std::vector<uint8_t> Picture(const char* name) {
    std::ifstream file(ExeFolder() + "\\cover_e2e\\" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TagPicture Front(const char* name, const char* mime = "image/png") {
    TagPicture picture;
    picture.bytes = Picture(name);
    picture.mime = mime;
    return picture;
}

// A song whose ID3 tag holds these bytes as its front cover.
std::vector<uint8_t> Tagged(const std::vector<uint8_t>& picture) {
    TagPicture front;
    front.bytes = picture;
    return BuildId3File({front}, Id3Options{});
}

TagPicture Back(const char* name) {
    TagPicture picture = Front(name);
    picture.type = 4;
    return picture;
}

std::wstring Wide(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

bool Near(COLORREF seen, COLORREF expected) {
    const auto close = [](int a, int b) { return std::abs(a - b) <= 12; };
    return close(GetRValue(seen), GetRValue(expected)) && close(GetGValue(seen), GetGValue(expected)) &&
           close(GetBValue(seen), GetBValue(expected));
}

// The plug-in's calls as its cover worker makes them: the first read held
// until the test lets it go, the folder searches and done posts counted.
std::atomic<HANDLE> heldReader{nullptr};  // the worker inside the read, to wait for
HANDLE letGo = nullptr;
std::atomic<int> folderSearches{0};
std::atomic<int> coverPostsBegun{0};
std::atomic<int> coverPosts{0};
constexpr UINT kCoverDone = 1037;

BOOL WINAPI HeldReadFile(HANDLE file, LPVOID out, DWORD size, LPDWORD got, LPOVERLAPPED at) {
    if (heldReader == nullptr) {
        heldReader = OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId());
        WaitForSingleObject(letGo, INFINITE);
    }
    return ReadFile(file, out, size, got, at);
}

HANDLE WINAPI CountedFindFirstFileExW(LPCWSTR name, FINDEX_INFO_LEVELS level, LPVOID found, FINDEX_SEARCH_OPS op,
                                      LPVOID filter, DWORD flags) {
    ++folderSearches;
    return FindFirstFileExW(name, level, found, op, filter, flags);
}

// Creations of the imaging component.
std::atomic<int> factoriesAsked{0};
HRESULT WINAPI CountedCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
    ++factoriesAsked;
    return CoCreateInstance(clsid, outer, context, iid, out);
}

// Counted as it begins and once posted, so that a count seen means a
// message in the queue, and one that the test may already have handled is
// known to be on its way.
BOOL WINAPI CountedPostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCoverDone) ++coverPostsBegun;
    const BOOL posted = PostMessageA(window, message, wParam, lParam);
    if (message == kCoverDone) ++coverPosts;
    return posted;
}

// The cover posts made, once none is on its way.
int CoverPostsMade() {
    EXPECT_TRUE(WaitUntil([] { return coverPostsBegun == coverPosts; }, 5000));
    return coverPosts;
}

// The file cut in the middle of its first picture, so that no whole one is
// left; where a comment holds the picture in base64, in the middle of its
// tags (such files here hold one picture).
std::vector<uint8_t> CutInsideTheCover(std::vector<uint8_t> bytes, const FileLayout& layout) {
    const ByteSpan cover = layout.pictures.empty() ? layout.tags : layout.pictures.front();
    bytes.resize(cover.offset + cover.size / 2);
    return bytes;
}

class CoverTest : public LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        letGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        heldReader = nullptr;
        folderSearches = coverPostsBegun = coverPosts = factoriesAsked = 0;
    }
    void TearDown() override {
        // The patches live in the module: undone while it is surely there.
        SetEvent(letGo);
        patches.clear();
        LoadedPluginTest::TearDown();
        if (sim.process) StopPlayerSim(&sim);
        if (heldReader) CloseHandle(heldReader);
        CloseHandle(letGo);
    }

    void Patch(const char* dll, const char* function, void* replacement) {
        ASSERT_TRUE(LoadPlugin());
        patches.push_back(std::make_unique<ScopedImportPatch>(plugin, dll, function, replacement));
        ASSERT_TRUE(patches.back()->active()) << function;
    }

    std::string Song(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = scratchDir + "\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
        return path;
    }

    void Play(const PlayerSimOptions& playerOptions) {
        sim = StartPlayerSim(playerOptions);
        ASSERT_TRUE(sim.window) << sim.failure;
        StartPlugin();
    }

    void Play(const std::string& file, const std::optional<std::string>& utf8Caption = std::nullopt) {
        PlayerSimOptions playerOptions;
        playerOptions.playlist = {{"Artist - Song 1", 200, file}};
        playerOptions.utf8Caption = utf8Caption;
        Play(playerOptions);
    }

    // The player moves on to another song, as the tip sees it: a new file
    // and a new title.
    void Next(const std::string& file) {
        ASSERT_TRUE(SendPlayerSimControl(sim.window, "file " + file));
        ASSERT_TRUE(SendPlayerSimControl(sim.window, "title Artist - Song " + std::to_string(++songs)));
    }

    static HWND Tip() { return FindWindowA("Pelorin_Tip", nullptr); }

    static int TipHeight() {
        RECT rect = {};
        GetWindowRect(Tip(), &rect);
        return rect.bottom - rect.top;
    }

    // The middle of the cover's square, as the screen shows it.
    static COLORREF CoverMiddle() {
        const HWND tip = Tip();
        HDC screen = GetDC(tip);
        const COLORREF seen = GetPixel(screen, 3 + 32, (TipHeight() - 64) / 2 + 32);
        ReleaseDC(tip, screen);
        return seen;
    }

    static bool CoverShows(COLORREF colour) { return TipHeight() == kCoverTipHeight && Near(CoverMiddle(), colour); }

    // Notes the lowest the tip was meanwhile.
    ::testing::AssertionResult WaitForCover(COLORREF colour) {
        lowestTipHeight = TipHeight();
        const auto shown = [&] {
            lowestTipHeight = std::min(lowestTipHeight, TipHeight());
            return CoverShows(colour);
        };
        if (WaitUntil(shown, 5000)) return ::testing::AssertionSuccess();
        // Each << on a result streams apart, so std::hex would not hold.
        char middle[16];
        std::snprintf(middle, sizeof middle, "0x%06lX", static_cast<unsigned long>(CoverMiddle()));
        return ::testing::AssertionFailure() << "tip " << TipHeight() << " high, its middle " << middle;
    }

    // The worker asks the player for each song's file once.
    void WaitForFileQuestions(int questions) {
        ASSERT_TRUE(WaitUntil(
            [&] {
                const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
                return CountPlayerSimLog(log, "USER", "0 211") + CountPlayerSimLog(log, "USER", "0 214") >= questions;
            },
            5000));
    }

    // Once the player was asked for the song's file, the worker's time to
    // find nothing passes without a cover.
    void ExpectNoCoverAfterTheQuestion(int questions) {
        ASSERT_NO_FATAL_FAILURE(WaitForFileQuestions(questions));
        PumpMessages(1000);
        EXPECT_LT(TipHeight(), kCoverTipHeight);
        EXPECT_TRUE(IsWindow(Tip()));
    }

    // Once the worker has posted what it found for the song named last and
    // the post is handled: the tip as it is without a cover.
    void ExpectNoCoverOnceFound(int postsBefore) {
        ASSERT_TRUE(WaitUntil([&] { return coverPosts > postsBefore; }, 5000)) << "the worker posted nothing";
        PumpMessages(0);
        EXPECT_LT(TipHeight(), kCoverTipHeight);
        EXPECT_TRUE(IsWindow(Tip()));
    }

    PlayerSimProcess sim;
    int songs = 1;
    int lowestTipHeight = 0;
    std::vector<std::unique_ptr<ScopedImportPatch>> patches;
};

// Each kind of tag, one after another on one player: each cover replaces the
// last as its song comes, in a tip that keeps the cover's square meanwhile.
TEST_F(CoverTest, EachKindOfTagShowsItsFrontCover) {
    Id3Options v23;
    Id3Options v24;
    v24.version = 4;
    v24.framesUnsynchronised = true;
    v24.extendedHeader = true;
    Id3Options v22;
    v22.version = 2;
    Id3Options unsynchronised;
    unsynchronised.unsynchronised = true;
    Mp4Options moovLast;
    moovLast.moovAfterMdat = true;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        COLORREF colour;
    };
    const std::vector<Case> cases = {
        {"two pictures, the front second.mp3", BuildId3File({Back("blue.png"), Front("red.png")}, v23), kRed},
        {"v24.mp3", BuildId3File({Front("blue.png")}, v24), kBlue},
        {"v22.mp3", BuildId3File({Front("red.png")}, v22), kRed},
        {"unsynchronised.mp3", BuildId3File({Front("blue.png")}, unsynchronised), kBlue},
        {"song.flac", BuildFlacFile({Back("red.png"), Front("green.jpg", "image/jpeg")}), kGreen},
        {"song.m4a", BuildM4aFile({Front("red.png")}, moovLast), kRed},
    };
    Play(Song("first.mp3", BuildId3File({Front("green.jpg", "image/jpeg")}, v23)));
    ASSERT_TRUE(WaitForCover(kGreen));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Next(Song(c.name, c.bytes));
        EXPECT_TRUE(WaitForCover(c.colour));
        EXPECT_EQ(lowestTipHeight, kCoverTipHeight);
    }
    EXPECT_TRUE(ShownMessages().empty());
}

// Every other format with its cover in its tags, one after another: each
// shows its front cover, and a copy cut inside it shows none, and no box.
TEST_F(CoverTest, EachFormatShowsItsCoverAndACopyCutInsideItNone) {
    Patch("user32.dll", "PostMessageA", reinterpret_cast<void*>(&CountedPostMessageA));
    OggOptions opus;
    opus.opus = true;
    ApeOptions monkeys;
    monkeys.withHeader = true;
    ApeOptions wavPack;
    wavPack.stream = ApeOptions::Stream::kWavPack;
    wavPack.id3v1 = true;
    PcmOptions aiff;
    aiff.form = PcmOptions::Form::kAiff;
    aiff.id3ChunkId = "ID3 ";
    aiff.id3BeforeSamples = true;
    const TagPicture red = Front("red.png"), green = Front("green.jpg", "image/jpeg"), blue = Front("blue.png");
    struct Case {
        const char* name;
        std::function<std::vector<uint8_t>(FileLayout*)> build;
        COLORREF colour;
    };
    const Case cases[] = {
        {"song.ogg", [&](FileLayout* layout) { return BuildOggFile({red}, {}, layout); }, kRed},
        {"song.opus", [&](FileLayout* layout) { return BuildOggFile({green}, opus, layout); }, kGreen},
        {"comment.flac", [&](FileLayout* layout) { return BuildFlacFile({}, {blue}, layout); }, kBlue},
        {"front second.wma", [&](FileLayout* layout) { return BuildAsfFile({Back("blue.png"), red}, {}, layout); },
         kRed},
        {"song.ape", [&](FileLayout* layout) { return BuildApeFile({green}, monkeys, layout); }, kGreen},
        {"front second.wv", [&](FileLayout* layout) { return BuildApeFile({Back("red.png"), blue}, wavPack, layout); },
         kBlue},
        {"song.wav", [&](FileLayout* layout) { return BuildPcmFile({green}, {}, layout); }, kGreen},
        {"song.aiff", [&](FileLayout* layout) { return BuildPcmFile({red}, aiff, layout); }, kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileLayout layout;
        const std::vector<uint8_t> bytes = c.build(&layout);
        const std::string song = Song(c.name, bytes);
        if (sim.process)
            Next(song);
        else
            Play(song);
        EXPECT_TRUE(WaitForCover(c.colour));
        const int posts = CoverPostsMade();
        Next(Song(std::string("cut ") + c.name, CutInsideTheCover(bytes, layout)));
        ExpectNoCoverOnceFound(posts);
    }
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(CoverTest, AFolderPictureInCapitalsServesASongWithoutTags) {
    const std::string folder = scratchDir + "\\Album";
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileBytes(folder + "\\COVER.JPG", Picture("green.jpg"));
    WriteFileBytes(folder + "\\folder.png", Picture("red.png"));
    Play(Song("Album\\untagged.mp3", std::vector<uint8_t>(4096, 0xFF)));
    EXPECT_TRUE(WaitForCover(kGreen)) << "cover comes before folder";
}

// A Unicode player names the file in UTF-16, which holds what the code
// page cannot.
TEST_F(CoverTest, ANameOnlyUtf16HoldsIsReadThroughTheWideAnswer) {
    const std::wstring folder = Wide(scratchDir) + L"\\\u041c\u0443\u0437\u044b\u043a\u0430";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\\u6771\u4eac.mp3";
    const std::vector<uint8_t> bytes = BuildId3File({Front("red.png")}, Id3Options{});
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    Play(Utf8(path), "\xE6\x9D\xB1\xE4\xBA\xAC - Winamp");
    EXPECT_TRUE(WaitForCover(kRed));
    EXPECT_GE(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "USER", "0 214"), 1);
}

// The last song's cover never stands beside the next song's title.
TEST_F(CoverTest, ASongWithoutACoverAfterOneWithShowsNone) {
    Play(Song("with.mp3", BuildId3File({Front("red.png")}, Id3Options{})));
    ASSERT_TRUE(WaitForCover(kRed));
    Next(Song("without.mp3", std::vector<uint8_t>(2048, 0xFF)));
    EXPECT_TRUE(WaitUntil([] { return TipHeight() < kCoverTipHeight; }, 1500)) << "the old cover stayed";
    ExpectNoCoverAfterTheQuestion(2);
}

// Pictures no decoder may see and tags that are only noise: no cover, no
// box, and the shell goes on.
TEST_F(CoverTest, BadPicturesAndTagsShowNoCoverAndNoBox) {
    TagPicture huge;
    huge.mime = "image/png";
    huge.bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                  0, 0, 0x40, 0, 0, 1, 0, 1, 8, 6, 0, 0, 0, 0, 0, 0, 0};  // 16,384 x 65,537
    huge.bytes.resize(4096, 0x5A);
    TagPicture noise;
    noise.bytes.resize(3000);
    for (size_t i = 0; i < noise.bytes.size(); ++i) noise.bytes[i] = static_cast<uint8_t>(i * 131 + 7);
    std::vector<uint8_t> brokenTag = BuildId3File({Front("red.png")}, Id3Options{});
    brokenTag[6] = 0x7F;  // a tag that claims 256 MB
    Play(Song("huge.mp3", BuildId3File({huge}, Id3Options{})));
    ExpectNoCoverAfterTheQuestion(1);
    Next(Song("noise.mp3", BuildId3File({noise}, Id3Options{})));
    ExpectNoCoverAfterTheQuestion(2);
    Next(Song("broken.mp3", brokenTag));
    ExpectNoCoverAfterTheQuestion(3);
    EXPECT_TRUE(ShownMessages().empty());
}

// A caption that never changes: a new entry, and the playlist replaced at
// the same entry, each bring their own cover. The player answers 214 with
// 0 (it names files only in the code page), and 211 names the file.
TEST_F(CoverTest, EachSongUnderOneFixedCaptionShowsItsOwnCover) {
    PlayerSimOptions player;
    player.playlist = {{"Artist - Song", 200, Song("red.mp3", BuildId3File({Front("red.png")}, Id3Options{}))}};
    player.utf8Caption = "Artist - Song - Winamp";
    player.wideFileNames = false;
    player.startPositionMs = 60000;
    Play(player);
    ASSERT_TRUE(WaitForCover(kRed));
    // The poll has seen the first song play, as it would have long before
    // a user changed the playlist.
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "USER", "0 125", 2, 5000));
    const std::string blue = Song("blue.mp3", BuildId3File({Front("blue.png")}, Id3Options{}));
    const std::string green = Song("green.mp3", BuildId3File({Front("green.jpg", "image/jpeg")}, Id3Options{}));
    ASSERT_TRUE(SendPlayerSimPlaylist(sim.window, {{"Artist - Song", 200, blue}, {"Artist - Song", 200, green}}));
    EXPECT_TRUE(WaitForCover(kBlue)) << "the playlist replaced at the same entry";
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "play 1"));
    EXPECT_TRUE(WaitForCover(kGreen)) << "the next entry";
    EXPECT_GE(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "USER", "0 214"), 1);
}

// What was missed once is no lasting answer: a picture copied into the
// folder later, and a song that a tagger held while it was first played,
// show their covers the next time the song plays.
TEST_F(CoverTest, ACoverMissedOnceShowsTheNextTime) {
    const std::string folder = scratchDir + "\\Album";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string untagged = Song("Album\\untagged.mp3", std::vector<uint8_t>(4096, 0xFF));
    const std::string held = Song("held.mp3", BuildId3File({Front("red.png")}, Id3Options{}));
    const std::string other = Song("other.mp3", std::vector<uint8_t>(2048, 0xFF));
    const HANDLE tagger =
        CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(tagger, INVALID_HANDLE_VALUE);
    Play(untagged);
    ExpectNoCoverAfterTheQuestion(1);
    Next(held);
    ExpectNoCoverAfterTheQuestion(2);

    ASSERT_TRUE(WriteFileBytes(folder + "\\cover.png", Picture("blue.png")));
    CloseHandle(tagger);
    Next(other);
    ExpectNoCoverAfterTheQuestion(3);
    Next(untagged);
    EXPECT_TRUE(WaitForCover(kBlue)) << "the picture copied in";
    Next(held);
    EXPECT_TRUE(WaitForCover(kRed)) << "the song the tagger let go";
}

// The stop comes while the worker reads the song's tags: it goes neither to
// the folder nor to the decoder, lets the file go and posts nothing.
TEST_F(CoverTest, AStopWhileTheWorkerReadsEndsItsWork) {
    const std::string folder = scratchDir + "\\Held";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder + "\\cover.jpg", Picture("green.jpg")));
    const std::string song = Song("Held\\held.mp3", std::vector<uint8_t>(4096, 0xFF));
    Patch("kernel32.dll", "ReadFile", reinterpret_cast<void*>(&HeldReadFile));
    Patch("kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(&CountedFindFirstFileExW));
    Patch("user32.dll", "PostMessageA", reinterpret_cast<void*>(&CountedPostMessageA));
    Play(song);
    ASSERT_TRUE(WaitUntil([] { return heldReader != nullptr; }, 5000)) << "the worker never read the song";
    StopPlugin();
    const int postsAtStop = coverPosts;
    SetEvent(letGo);
    ASSERT_EQ(WaitForSingleObject(heldReader, 5000), WAIT_OBJECT_0) << "the worker did not end";
    EXPECT_EQ(folderSearches, 0) << "nor the decoder, which comes after";
    EXPECT_EQ(coverPosts, postsAtStop);
    const HANDLE alone = CreateFileA(song.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(alone, INVALID_HANDLE_VALUE) << "the song's file is still open";
    CloseHandle(alone);
}

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

// What decoding a cover may leave behind: heaps grown, a few pages of the
// imaging component's own.
constexpr size_t kAddressSpaceSlack = 4u << 20;

// 28 bytes of GIF whose 1 x 1 screen holds one 16,384 x 16,384 image, its
// data cut short.
const std::vector<uint8_t> kCutShortGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00,
                                           0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,
                                           0x00, 0x40, 0x00, 0x02, 0x01, 0x04, 0x00, 0x3B};

// A decoder that reads every image first reserved each one's size and kept
// it when the image's data was bad: 256 MB a file, for good.
TEST_F(CoverTest, AGifIsDecodedFromItsFirstImageAndLeavesNothingReserved) {
    std::vector<uint8_t> twoImages = Picture("grey.gif");
    ASSERT_TRUE(!twoImages.empty() && twoImages.back() == 0x3B);
    twoImages.pop_back();
    twoImages.insert(twoImages.end(), kCutShortGif.begin() + 13, kCutShortGif.end());
    Play(Song("first.mp3", Tagged(Picture("red.png"))));
    ASSERT_TRUE(WaitForCover(kRed));
    const size_t before = AddressSpaceInUse();
    Next(Song("cut short.mp3", Tagged(kCutShortGif)));
    WaitForFileQuestions(2);
    Next(Song("two images.mp3", Tagged(twoImages)));
    EXPECT_TRUE(WaitForCover(kGrey)) << "the first image";
    const size_t after = AddressSpaceInUse();
    EXPECT_LE(after, before + kAddressSpaceSlack) << (after - before) / 1024 << " KB more in use";
}

TEST_F(CoverTest, PicturesOverTheBudgetNeverReachTheImagingComponent) {
    Patch("ole32.dll", "CoCreateInstance", reinterpret_cast<void*>(&CountedCoCreateInstance));
    Play(Song("first.mp3", Tagged(Picture("red.png"))));
    ASSERT_TRUE(WaitForCover(kRed));
    // A valid 16-bit RGBA PNG of 8,192 x 8,192 clear pixels in 3.4 MB,
    // whose decoder holds 512 MB; a few hundred bytes of progressive 4:4:4
    // JPEG claiming as much, whose decoder holds 576 MB.
    Next(Song("deep png.mp3", Tagged(ZeroPng(8192, 8192, 16))));
    WaitForFileQuestions(2);
    const auto frame = JpegFrame(0xC2, 8192, 8192, {0x11, 0x11, 0x11});
    Next(Song("progressive.mp3", Tagged(Jpeg({JpegPreamble(), frame, JpegScan(3), Bytes(200, 0x55)}))));
    WaitForFileQuestions(3);
    // The worker is past both once this one shows.
    Next(Song("last.mp3", Tagged(Picture("blue.png"))));
    ASSERT_TRUE(WaitForCover(kBlue));
    EXPECT_EQ(factoriesAsked, 2) << "imaging factories made for four pictures";
}

// 3,000 x 3,000, progressive, no chroma subsampling: its decoder holds
// 81 MB, within the budget.
TEST_F(CoverTest, ACoverOfTheSizeStoresSellShows) {
    Play(Song("amber.mp3", Tagged(Picture("..\\cover_pictures\\amber_3000.jpg"))));
    EXPECT_TRUE(WaitUntil([] { return CoverShows(kAmber); }, 10000));
}

}  // namespace
