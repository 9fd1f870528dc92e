// The built plug-in's title tip with the song's cover: from each kind of
// tag, from the folder, from a name only UTF-16 holds, never the last
// song's, and nothing at all from a file whose bytes are bad.
#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_client.h"
#include "testbed/covers/cover_file_builders.h"
#include "tests/lifecycle/lifecycle_fixture.h"
#include "tests/lifecycle/plugin_probe.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kCoverTipHeight = 70;
constexpr COLORREF kRed = RGB(0xD0, 0x20, 0x10);
constexpr COLORREF kBlue = RGB(0x10, 0x30, 0xD0);
constexpr COLORREF kGreen = RGB(0x20, 0xC0, 0x40);

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

class CoverTest : public LoadedPluginTest {
protected:
    void TearDown() override {
        LoadedPluginTest::TearDown();
        if (sim.process) StopPlayerSim(&sim);
    }

    std::string Song(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = scratchDir + "\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
        return path;
    }

    void Play(const std::string& file, const std::optional<std::string>& utf8Caption = std::nullopt) {
        PlayerSimOptions playerOptions;
        playerOptions.playlist = {{"Artist - Song 1", 200, file}};
        playerOptions.utf8Caption = utf8Caption;
        sim = StartPlayerSim(playerOptions);
        ASSERT_TRUE(sim.window) << sim.failure;
        StartPlugin();
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

    ::testing::AssertionResult WaitForCover(COLORREF colour) {
        if (WaitUntil([colour] { return CoverShows(colour); }, 5000)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "tip " << TipHeight() << " high, its middle 0x" << std::hex
                                             << CoverMiddle();
    }

    // Once the player was asked for the song's file, the worker's time to
    // find nothing passes without a cover.
    void ExpectNoCoverAfterTheQuestion(int questions) {
        ASSERT_TRUE(WaitUntil(
            [&] {
                const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
                return CountPlayerSimLog(log, "USER", "0 211") + CountPlayerSimLog(log, "USER", "0 214") >= questions;
            },
            5000));
        PumpMessages(1000);
        EXPECT_LT(TipHeight(), kCoverTipHeight);
        EXPECT_TRUE(IsWindow(Tip()));
    }

    PlayerSimProcess sim;
    int songs = 1;
};

// Each kind of tag, one after another on one player: each cover replaces the
// last as its song comes.
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

}  // namespace
