// Plainamp, a real Winamp-protocol player, driven by the built plug-in in
// the stand-in host as a user drives it: the control shows it playing
// although it knows no position, its buttons pause, resume and skip it,
// and files named in Cyrillic and in an East Asian script, dropped on the
// control, reach its playlist and play. Each test starts its own Plainamp and ends
// every Plainamp process before the next: a start with files on its
// command line makes another player, not a hand-over.
#include "testbed/common/message_wait.h"
#include "testbed/common/process_list.h"
#include "testbed/player/player_sim_client.h"
#include "testbed/player/player_sim_protocol.h"
#include "testbed/shell/scene_runner.h"
#include "testbed/shell/scene_script.h"
#include "tests/lifecycle/lifecycle_fixture.h"
#include "tests/standin_host/test_files.h"
#include "tests/support/iat_patch.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace player_sim;

namespace {

constexpr char kPlainampExe[] = "Plainamp.exe";
// Set by CMake: the folder its setup ran into, as a Unix path, and where
// that setup came from.
constexpr char kFolderVariable[] = "PELORIN_PLAINAMP_DIR";
constexpr char kSourceVariable[] = "PELORIN_REALPLAYER_SOURCE";
constexpr int kSkipped = 77;  // the entry's SKIP_RETURN_CODE

// As long as the plug-in itself may wait for a player.
constexpr DWORD kPlayerMs = 20000;
constexpr DWORD kAnswerMs = 2000;
constexpr DWORD kControlMs = 5000;
constexpr DWORD kTwoPollsMs = 2500;

constexpr int kPlayCell = 1;
constexpr int kPauseCell = 2;
constexpr int kStopCell = 3;
constexpr int kNextCell = 8;

// Skins of one colour each, so a pixel tells which one the control shows
// there; the player's state is the top-row button in the pressed-buttons
// skin.
constexpr int kSkinWidth = 55;
constexpr int kSkinHeight = 23;
constexpr COLORREF kStateColour = RGB(200, 0, 0);
struct SolidSkin {
    const char* key;
    COLORREF colour;
};
constexpr SolidSkin kSkins[] = {{"Normal Skin", RGB(40, 40, 40)},
                                {"Mouse Over Skin", RGB(0, 0, 200)},
                                {"Pressed Skin", RGB(0, 160, 0)},
                                {"Pressed Buttons Skin", kStateColour},
                                {"Mouse Over Pressed Skin", RGB(200, 200, 0)}};

// The files the tests drop, made by the setup with these titles in their tags.
constexpr wchar_t kFirstDrop[] = L"drops\\Звезда - First Drop.mp3";
constexpr wchar_t kSecondDrop[] = L"drops\\東京の夜 - Second Drop.mp3";
constexpr wchar_t kCoveredDrop[] = L"drops\\Cover Artist - Covered.mp3";
constexpr COLORREF kCoverColour = RGB(0xD0, 0x20, 0x10);

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A Unix path as Wine sees it, through its Z: drive.
std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') c = '\\';
    }
    return "Z:" + unixPath;
}

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Utf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

// What the title tip last drew, read through the plug-in's import of the
// host's text drawing (only the tip draws text). Host's thread only.
std::string drawnTitle;
using DrawTextFn = void(__stdcall*)(HDC, const char*, RECT*, HFONT, int, COLORREF, int, int);
DrawTextFn hostDrawText = nullptr;

void __stdcall RecordDrawnTitle(HDC dc, const char* text, RECT* area, HFONT font, int format, COLORREF rgb, int a,
                                int b) {
    if (text) drawnTitle = text;
    hostDrawText(dc, text, area, font, format, rgb, a, b);
}

class RealPlayerTest : public LoadedPluginTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(ProcessIdsNamed(kPlainampExe).empty()) << "a Plainamp from before is still running";
        LoadedPluginTest::SetUp();
        folder = WindowsPath(Environment(kFolderVariable));
        drawnTitle.clear();
    }

    void TearDown() override {
        titlePatch.reset();
        StopPlugin();
        // It does not always close on WM_CLOSE; the plug-in may have
        // started more of it for dropped files.
        if (player) {
            TerminateProcess(player, 1);
            WaitForSingleObject(player, kAnswerMs);
            CloseHandle(player);
        }
        const bool ended = EndProcesses(ProcessIdsNamed(kPlainampExe), kAnswerMs);
        EXPECT_TRUE(ended && ProcessIdsNamed(kPlainampExe).empty()) << "a Plainamp process was left behind";
        LoadedPluginTest::TearDown();
    }

    void StartPlainamp() {
        // It rewrites its settings and playlist as it ends: every start
        // begins from the ones the setup wrote.
        for (const char* file : {"Plainamp.ini", "Plainamp.m3u"}) {
            ASSERT_TRUE(CopyFileA((folder + "\\pristine\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE))
                << file;
        }
        std::string commandLine = "\"" + folder + "\\" + kPlainampExe + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                   &startup, &started))
            << commandLine;
        CloseHandle(started.hThread);
        player = started.hProcess;
        ASSERT_TRUE(WaitUntil([&] { return (window = FindPlayerSimWindowOf(started.dwProcessId)) != nullptr; },
                              kPlayerMs))
            << "Plainamp made no window";
        ASSERT_TRUE(WaitUntil([&] { return Answer(kQueryStatus).has_value(); }, kPlayerMs)) << "Plainamp does not answer";
    }

    void StartPlainampPlaying() {
        ASSERT_NO_FATAL_FAILURE(StartPlainamp());
        PostMessageA(window, WM_COMMAND, kCmdPlay, 0);
        ASSERT_TRUE(WaitForAnswer(kQueryStatus, kAnswerPlaying)) << Describe();
    }

    void StartPlainampStopped() {
        ASSERT_NO_FATAL_FAILURE(StartPlainamp());
        PostMessageA(window, WM_COMMAND, kCmdStop, 0);
        ASSERT_TRUE(WaitForAnswer(kQueryStatus, kAnswerStopped)) << Describe();
    }

    // The plug-in with Plainamp as its player and the one-colour skins.
    void StartControl() {
        std::string settings = "Winamp Path=" + folder + "\\" + kPlainampExe + "\r\n";
        for (const SolidSkin& skin : kSkins) {
            const std::string path = scratchDir + "\\" + std::to_string(skin.colour) + ".bmp";
            WriteFileBytes(path, BmpFileBytes(kSkinWidth, kSkinHeight,
                                              std::vector<COLORREF>(kSkinWidth * kSkinHeight, skin.colour)));
            settings += std::string(skin.key) + "=" + path + "\r\n";
        }
        WriteSettings(settings);
        StartPlugin();
        control = ControlWindowIn(host.taskbarWindow);
        ASSERT_TRUE(control);
        titlePatch = std::make_unique<ScopedImportPatch>(plugin, "MirelEx.dll", "MDrawText",
                                                         reinterpret_cast<void*>(&RecordDrawnTitle));
        hostDrawText = reinterpret_cast<DrawTextFn>(titlePatch->original());
        ASSERT_TRUE(titlePatch->active());
    }

    std::optional<LRESULT> Answer(LPARAM code) {
        LRESULT answer = 0;
        if (!QueryPlayerSim(window, 0, code, kAnswerMs, &answer)) return std::nullopt;
        return answer;
    }

    bool WaitForAnswer(LPARAM code, LRESULT expected) {
        return WaitUntil([&] { return Answer(code) == expected; }, kPlayerMs);
    }

    std::wstring Caption() {
        wchar_t text[512] = {};
        GetWindowTextW(window, text, 512);
        return text;
    }

    // The player as its answers and caption tell it, for failure messages.
    std::string Describe() {
        const auto shown = [](std::optional<LRESULT> answer) {
            return answer ? std::to_string(*answer) : std::string("no answer");
        };
        return "status " + shown(Answer(kQueryStatus)) + ", playlist length " + shown(Answer(kPlaylistLength)) +
               ", current entry " + shown(Answer(kPlaylistPosition)) + ", caption \"" + Utf8(Caption()) + "\"";
    }

    // The top-row button the control shows pressed in: Play, Pause or
    // Stop; -1 for none.
    int PressedInButton() {
        RECT rect;
        GetWindowRect(control, &rect);
        HDC dc = GetDC(control);
        int pressed = -1;
        for (int cell : {kPlayCell, kPauseCell, kStopCell}) {
            const POINT at = CellPoint(rect, cell);
            if (GetPixel(dc, at.x - rect.left, at.y - rect.top) == kStateColour) pressed = cell;
        }
        ReleaseDC(control, dc);
        return pressed;
    }

    bool ControlShows(int cell) {
        return WaitUntil([&] { return PressedInButton() == cell; }, kControlMs);
    }

    // A click, then the pointer away, so no hover look covers the state.
    void Press(int cell) {
        ClickCell(cell);
        SetCursorPos(0, 0);
    }

    void Drop(const std::vector<std::wstring>& names) {
        std::vector<std::wstring> paths;
        for (const std::wstring& name : names) paths.push_back(Wide(folder) + L"\\" + name);
        HGLOBAL list = MakeWideDropList(paths, {20, 10});
        ASSERT_TRUE(list);
        // The receiver releases the list.
        if (!PostMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0)) {
            GlobalFree(list);
            FAIL() << "the drop could not be posted";
        }
    }

    std::string folder;
    HANDLE player = nullptr;
    HWND window = nullptr;
    HWND control = nullptr;
    std::unique_ptr<ScopedImportPatch> titlePatch;
};

TEST_F(RealPlayerTest, TheControlShowsItPlayingAndItsButtonsPauseResumeAndSkipIt) {
    ASSERT_NO_FATAL_FAILURE(StartPlainampPlaying());
    ASSERT_NO_FATAL_FAILURE(StartControl());
    ASSERT_TRUE(ControlShows(kPlayCell)) << Describe();
    // Every position it gives is 0: that must not read as a pause.
    PumpMessages(kTwoPollsMs);
    EXPECT_EQ(PressedInButton(), kPlayCell);

    Press(kPauseCell);
    EXPECT_TRUE(WaitForAnswer(kQueryStatus, kAnswerPaused)) << Describe();
    EXPECT_TRUE(ControlShows(kPauseCell));
    Press(kPlayCell);
    EXPECT_TRUE(WaitForAnswer(kQueryStatus, kAnswerPlaying)) << Describe();
    EXPECT_TRUE(ControlShows(kPlayCell));

    ASSERT_TRUE(WaitUntil([] { return !drawnTitle.empty(); }, kControlMs)) << "the title tip drew no title";
    const std::string firstTitle = drawnTitle;
    const std::wstring firstCaption = Caption();
    Press(kNextCell);
    EXPECT_TRUE(WaitUntil([&] { return drawnTitle != firstTitle; }, kControlMs)) << "the tip still shows " << firstTitle;
    EXPECT_NE(drawnTitle.find("Second Song"), std::string::npos) << drawnTitle;
    EXPECT_NE(Caption(), firstCaption);
}

TEST_F(RealPlayerTest, TwoFilesNamedInOtherScriptsDroppedWhileItPlaysAreAdded) {
    ASSERT_NO_FATAL_FAILURE(StartPlainampPlaying());
    ASSERT_NO_FATAL_FAILURE(StartControl());
    ASSERT_TRUE(ControlShows(kPlayCell)) << Describe();
    const std::optional<LRESULT> before = Answer(kPlaylistLength);
    ASSERT_TRUE(before.has_value());
    Drop({kFirstDrop, kSecondDrop});
    ASSERT_TRUE(WaitForAnswer(kPlaylistLength, *before + 2)) << "before the drop: " << *before << "; " << Describe();
    EXPECT_EQ(Answer(kQueryStatus), kAnswerPlaying);
    // Listed is not enough: a name the player cannot decode is listed too.
    // The Cyrillic name is outside this code page and goes by its short name.
    SendMessageA(window, kQueryMessage, static_cast<WPARAM>(*before), kSetPlaylistPosition);
    SendMessageA(window, kQueryMessage, 0, kPlayCurrent);
    EXPECT_TRUE(WaitUntil([&] { return Caption().find(L"First Drop") != std::wstring::npos; }, kPlayerMs))
        << Describe();
    EXPECT_EQ(Answer(kQueryStatus), kAnswerPlaying) << Describe();
}

TEST_F(RealPlayerTest, FilesDroppedWhileItIsStoppedReplaceItsPlaylistAndTheFirstPlays) {
    ASSERT_NO_FATAL_FAILURE(StartPlainampStopped());
    ASSERT_NO_FATAL_FAILURE(StartControl());
    ASSERT_TRUE(ControlShows(kStopCell)) << Describe();
    Drop({kFirstDrop, kSecondDrop});
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Answer(kPlaylistLength) == 2 && Answer(kPlaylistPosition) == 0 &&
                   Answer(kQueryStatus) == kAnswerPlaying;
        },
        kPlayerMs))
        << Describe();
    EXPECT_NE(Caption().find(L"First Drop"), std::wstring::npos) << Describe();
}

// The menu as the plug-in hands it to TrackPopupMenuEx, captured through
// its import instead of shown; a chosen item is posted as a click on it is.
constexpr UINT kShuffleItem = 1032;
constexpr UINT kRepeatItem = 1033;
int menusShown = 0;
UINT menuChoice = 0;
std::vector<std::pair<UINT, UINT>> menuItems;  // id and state

constexpr UINT kPlaylistItem = 1039;
constexpr UINT kFirstPlaylistEntry = 1040;
std::vector<std::wstring> playlistEntries;
std::vector<bool> playlistChecks;

BOOL WINAPI CaptureMenu(HMENU menu, UINT, int, int, HWND owner, LPTPMPARAMS) {
    menuItems.clear();
    playlistEntries.clear();
    playlistChecks.clear();
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        menuItems.emplace_back(GetMenuItemID(menu, i), GetMenuState(menu, i, MF_BYPOSITION));
        HMENU entries = GetSubMenu(menu, i);
        for (int e = 0, shown = entries ? GetMenuItemCount(entries) : 0; e < shown; ++e) {
            wchar_t text[256] = {};
            GetMenuStringW(entries, e, text, 256, MF_BYPOSITION);
            playlistEntries.push_back(text);
            playlistChecks.push_back((GetMenuState(entries, e, MF_BYPOSITION) & MF_CHECKED) != 0);
        }
    }
    ++menusShown;
    if (menuChoice) PostMessageA(owner, WM_COMMAND, menuChoice, 0);
    return TRUE;
}

// It answers 0 to shuffle's and repeat's messages and ignores their settings.
TEST_F(RealPlayerTest, ShuffleAndRepeatShowUncheckedAndAClickOnThemChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(StartPlainampPlaying());
    ASSERT_NO_FATAL_FAILURE(StartControl());
    ASSERT_TRUE(ControlShows(kPlayCell)) << Describe();
    const std::wstring caption = Caption();
    ScopedImportPatch patch(plugin, "user32.dll", "TrackPopupMenuEx", reinterpret_cast<void*>(&CaptureMenu));
    ASSERT_TRUE(patch.active());
    // Each menu after a click waits for the click's setting to be sent.
    for (UINT choice : {kShuffleItem, kRepeatItem, 0u}) {
        menuChoice = choice;
        const int before = menusShown;
        SendMessageA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(300, 700));
        ASSERT_TRUE(WaitUntil([&] { return menusShown > before; }, kControlMs)) << "no menu";
        int modeItems = 0;
        for (const auto& [id, state] : menuItems) {
            if (id != kShuffleItem && id != kRepeatItem) continue;
            ++modeItems;
            EXPECT_EQ(state & (MF_CHECKED | MF_GRAYED), 0u) << id;
        }
        EXPECT_EQ(modeItems, 2);
    }
    EXPECT_EQ(Answer(kShuffleQuery), 0);
    EXPECT_EQ(Answer(kRepeatQuery), 0);
    EXPECT_EQ(Answer(kQueryStatus), kAnswerPlaying) << Describe();
    EXPECT_EQ(Caption(), caption);
    EXPECT_TRUE(probe.messages.empty()) << probe.messages.front().text;
}

// A third entry, dropped, so that the one chosen is neither end's.
TEST_F(RealPlayerTest, ItsPlaylistShowsInTheMenuAndAChosenEntryPlays) {
    ASSERT_NO_FATAL_FAILURE(StartPlainampPlaying());
    ASSERT_NO_FATAL_FAILURE(StartControl());
    ASSERT_TRUE(ControlShows(kPlayCell)) << Describe();
    Drop({kFirstDrop});
    ASSERT_TRUE(WaitForAnswer(kPlaylistLength, 3)) << Describe();
    PostMessageA(window, WM_COMMAND, kCmdStop, 0);
    ASSERT_TRUE(WaitForAnswer(kQueryStatus, kAnswerStopped)) << Describe();
    ScopedImportPatch patch(plugin, "user32.dll", "TrackPopupMenuEx", reinterpret_cast<void*>(&CaptureMenu));
    ASSERT_TRUE(patch.active());
    menuChoice = kFirstPlaylistEntry + 2;
    const int before = menusShown;
    SendMessageA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(300, 700));
    ASSERT_TRUE(WaitUntil([&] { return menusShown > before; }, kControlMs)) << "no menu";
    bool playlistOffered = false;
    for (const auto& [id, state] : menuItems) playlistOffered |= id == static_cast<UINT>(-1) && !(state & MF_GRAYED);
    EXPECT_TRUE(playlistOffered);
    ASSERT_EQ(playlistEntries.size(), 3u);
    EXPECT_EQ(playlistEntries[0].rfind(L"1. ", 0), 0u);
    EXPECT_NE(playlistEntries[0].find(L"Song"), std::wstring::npos) << Utf8(playlistEntries[0]);
    EXPECT_NE(playlistEntries[1].find(L"Second Song"), std::wstring::npos) << Utf8(playlistEntries[1]);
    EXPECT_NE(playlistEntries[2].find(L"First Drop"), std::wstring::npos) << Utf8(playlistEntries[2]);
    EXPECT_EQ(playlistChecks, (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(WaitUntil([&] { return Answer(kPlaylistPosition) == 2 && Answer(kQueryStatus) == kAnswerPlaying; },
                          kPlayerMs))
        << Describe();
}

// The cover in its file's tag shows beside the title while it plays that
// song; the song before it has none.
TEST_F(RealPlayerTest, TheCoverOfTheSongItPlaysShowsInTheTitleTip) {
    ASSERT_NO_FATAL_FAILURE(StartPlainampPlaying());
    ASSERT_NO_FATAL_FAILURE(StartControl());
    ASSERT_TRUE(ControlShows(kPlayCell)) << Describe();
    const HWND tip = FindWindowA("Pelorin_Tip", nullptr);
    ASSERT_TRUE(tip);
    const auto tipHeight = [tip] {
        RECT rect;
        GetWindowRect(tip, &rect);
        return rect.bottom - rect.top;
    };
    const auto coverShown = [&] {
        HDC dc = GetDC(tip);
        const COLORREF middle = GetPixel(dc, 3 + 32, 3 + 32);
        ReleaseDC(tip, dc);
        const auto within = [](int a, int b) { return a - b <= 12 && b - a <= 12; };
        return tipHeight() == 70 && within(GetRValue(middle), GetRValue(kCoverColour)) &&
               within(GetGValue(middle), GetGValue(kCoverColour)) && within(GetBValue(middle), GetBValue(kCoverColour));
    };
    const std::optional<LRESULT> before = Answer(kPlaylistLength);
    ASSERT_TRUE(before.has_value());
    Drop({kCoveredDrop});
    ASSERT_TRUE(WaitForAnswer(kPlaylistLength, *before + 1)) << Describe();
    EXPECT_LT(tipHeight(), 70) << "a song without a cover shows one";
    SendMessageA(window, kQueryMessage, static_cast<WPARAM>(*before), kSetPlaylistPosition);
    SendMessageA(window, kQueryMessage, 0, kPlayCurrent);
    ASSERT_TRUE(WaitUntil([&] { return Caption().find(L"Covered") != std::wstring::npos; }, kPlayerMs)) << Describe();
    EXPECT_TRUE(WaitUntil(coverShown, kControlMs)) << "tip " << tipHeight() << " high; " << Describe();
    EXPECT_TRUE(probe.messages.empty());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = Environment(kFolderVariable);
    if (folder.empty() || GetFileAttributesA((WindowsPath(folder) + "\\" + kPlainampExe).c_str()) ==
                              INVALID_FILE_ATTRIBUTES) {
        std::printf("real_player skipped: Plainamp is not set up in %s, since %s/bin/Plainamp.exe is missing; "
                    "see that folder's README.md\n",
                    folder.empty() ? "(no folder given)" : folder.c_str(), Environment(kSourceVariable).c_str());
        return kSkipped;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
