// The context menu as the window procedure builds it (captured at
// TrackPopupMenuEx through the import table, so no menu loop runs) and its
// commands as the host, the store and the stand-in player see them.
#include "tests/control_window/control_fixture.h"
#include "tests/support/iat_patch.h"

#include "control/control_handlers.h"
#include "player/commands.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "testbed/player/player_sim_client.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

class ContextMenuTest : public ControlWindowTest {
protected:
    void TearDown() override {
        WaitUntil([] { return !ModesWorkerBusy(); }, 3000);
        StopPlayerSim(&sim);
        ControlWindowTest::TearDown();
    }

    void StartPlayer(const PlayerSimOptions& playerOptions = {}) {
        sim = StartPlayerSim(playerOptions);
        ASSERT_NE(sim.window, nullptr) << sim.failure;
    }

    // Shuffle and repeat as the player's own protocol sets them.
    void SetModes(bool shuffle, bool repeat) {
        LRESULT ignored = 0;
        ASSERT_TRUE(QueryPlayerSim(sim.window, shuffle, 252, 2000, &ignored) &&
                    QueryPlayerSim(sim.window, repeat, 253, 2000, &ignored));
    }

    PlayerSimProcess sim;

    int StoredHideOnMinimize() {
        ConfigCursor cursor = {};
        OpenCFGr(host.configId, &cursor);
        FindSection("Pelorin", 0, &cursor);
        const int value = GetCFGInt("Hide on Minimize", -7, &cursor);
        CloseCFGr(&cursor);
        return value;
    }
};

TEST_F(ContextMenuTest, NothingToRunLeavesSetupAlone) {
    const SeenMenu menu = OpenContextMenu();
    ASSERT_EQ(menu.shown, 1);
    EXPECT_EQ(menu.Ids(), (std::vector<UINT>{1028}));
    EXPECT_EQ(menu.items[0].text, "Setup Plug-in");
}

TEST_F(ContextMenuTest, UsableStoredPathOffersToRunThePlayer) {
    const std::string existing = ExeFolder() + "\\starter.dll";
    lstrcpynA(playerPath, existing.c_str(), kPlayerPathSize);
    const SeenMenu menu = OpenContextMenu();
    EXPECT_EQ(menu.Ids(), (std::vector<UINT>{1027, 0, 1028}));
    ASSERT_FALSE(menu.items.empty());
    EXPECT_EQ(menu.items[0].text, "Run Winamp");

    lstrcpynA(playerPath, (ExeFolder() + "\\no-such-player.exe").c_str(), kPlayerPathSize);
    EXPECT_EQ(OpenContextMenu().Ids(), (std::vector<UINT>{1028}));
}

TEST_F(ContextMenuTest, ShownAtTheSignedPointAvoidingTheTaskbar) {
    const SeenMenu menu = OpenContextMenu(-5, 700);
    EXPECT_EQ(menu.x, -5);
    EXPECT_EQ(menu.y, 700);
    EXPECT_EQ(menu.flags, static_cast<UINT>(TPM_RIGHTBUTTON));
    EXPECT_EQ(menu.owner, control);
    EXPECT_EQ(menu.params.cbSize, 20u);
    RECT taskbar;
    GetWindowRect(host.taskbarWindow, &taskbar);
    EXPECT_TRUE(EqualRect(&menu.params.rcExclude, &taskbar));
    EXPECT_EQ(GetFocus(), control);
}

TEST_F(ContextMenuTest, BusyDropShowsNoMenu) {
    pluginState.dropBusy = true;
    EXPECT_EQ(OpenContextMenu().shown, 0);
    EXPECT_EQ(host.taskbarRightClicks, 1) << "the right-click goes on to the taskbar at once";
}

// The taskbar hears of each right-click once, after the menu has closed,
// whether the menu opens at once or waits for the player's answers; a
// right-click made while the menu waits moves it and is handed on with it.
TEST_F(ContextMenuTest, TheTaskbarGetsEachRightClickOnceTheMenuHasClosed) {
    SeenMenu menu = OpenContextMenu();
    EXPECT_EQ(menu.taskbarRightClicksBefore, 0);
    EXPECT_EQ(host.taskbarRightClicks, 1);

    StartPlayer();
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "delay 300"));
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(200, 600));
    menu = OpenContextMenu(300, 700);
    EXPECT_EQ(menu.shown, 1);
    EXPECT_EQ(std::pair(menu.x, menu.y), std::pair(300, 700));
    EXPECT_EQ(menu.taskbarRightClicksBefore, 1);
    EXPECT_EQ(host.taskbarRightClicks, 3);
}

TEST_F(ContextMenuTest, SetupSendsTheSlashAndThePluginPath) {
    Send(WM_COMMAND, CMD_PLUGIN_SETUP);
    ASSERT_EQ(host.setupRequests.size(), 1u);
    EXPECT_EQ(host.setupRequests[0], PluginDllPath());
}

TEST_F(ContextMenuTest, OverLongPluginPathIsCutNotOverrun) {
    std::string longPath = "C:\\" + std::string(500, 'p') + ".plg";
    std::vector<uint8_t> paths(kModulePathsMinSize, 0);
    const char* pointer = longPath.c_str();
    std::memcpy(paths.data() + kModulePathOffset, &pointer, sizeof pointer);
    hostContext.modulePaths = paths.data();

    Send(WM_COMMAND, CMD_PLUGIN_SETUP);
    ASSERT_EQ(host.setupRequests.size(), 1u);
    EXPECT_EQ(host.setupRequests[0], longPath.substr(0, 260));
}

TEST_F(ContextMenuTest, HideOnMinimizeFlipsAndIsStoredBothWays) {
    ASSERT_FALSE(pluginState.hideOnMinimize);
    Send(WM_COMMAND, CMD_HIDE_ON_MINIMIZE);
    EXPECT_TRUE(pluginState.hideOnMinimize);
    EXPECT_EQ(StoredHideOnMinimize(), 1);
    Send(WM_COMMAND, CMD_HIDE_ON_MINIMIZE);
    EXPECT_FALSE(pluginState.hideOnMinimize);
    EXPECT_EQ(StoredHideOnMinimize(), 0);
}

TEST_F(ContextMenuTest, IdsOutsideTheMenuDoNothing) {
    Send(WM_COMMAND, 1030);
    Send(WM_COMMAND, 1034);
    EXPECT_TRUE(host.setupRequests.empty());
    EXPECT_FALSE(pluginState.hideOnMinimize);
    EXPECT_EQ(pluginState.launchThread, nullptr);
}

const std::vector<UINT> kRunningMenu = {1029, 1031, 1032, 1033, 1039, 0, 1026, 0, 1028};

TEST_F(ContextMenuTest, ShuffleAndRepeatShowWhatThePlayerAnswersInEachState) {
    StartPlayer();
    for (const auto& [shuffle, repeat] :
         std::vector<std::pair<bool, bool>>{{false, false}, {true, false}, {false, true}, {true, true}}) {
        SetModes(shuffle, repeat);
        const SeenMenu menu = OpenContextMenu();
        ASSERT_EQ(menu.Ids(), kRunningMenu);
        EXPECT_EQ(menu.items[2].text + menu.items[3].text, "ShuffleRepeat");
        EXPECT_EQ(std::pair(menu.items[2].checked, menu.items[3].checked), std::pair(shuffle, repeat));
        EXPECT_FALSE(menu.items[2].grayed || menu.items[3].grayed);
    }
}

// A right-click asks at the button's press: the menu its release asks for
// opens at once, on what the press asked, unless the press is long past.
TEST_F(ContextMenuTest, ARightClickAsksAtThePressAndItsReleaseOpensTheMenuAtOnce) {
    StartPlayer();
    const auto shuffleQuestions = [this] { return CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "USER", "0 250"); };
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    ASSERT_TRUE(WaitUntil([&] { return shuffleQuestions() == 1 && !ModesWorkerBusy(); }, 3000));
    SeenMenu menu = OpenContextMenu();
    EXPECT_TRUE(menu.shownInsideTheMessage);
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_FALSE(menu.Item(CMD_PLAYLIST)->grayed);
    EXPECT_EQ(shuffleQuestions(), 1) << "asked again at the release";

    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    ASSERT_TRUE(WaitUntil([&] { return shuffleQuestions() == 2 && !ModesWorkerBusy(); }, 3000));
    PumpMessages(1200);
    menu = OpenContextMenu();
    EXPECT_FALSE(menu.shownInsideTheMessage) << "a press long past was taken for this one";
    EXPECT_EQ(shuffleQuestions(), 3);
}

// A player that answers each message 200 ms late still has the change out
// when the next menu is asked for: that menu waits for it and shows it.
TEST_F(ContextMenuTest, AClickSetsTheOppositeAndTheNextMenuShowsIt) {
    StartPlayer();
    SetModes(false, true);
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "delay 200"));
    OpenContextMenu(300, 700, CMD_SHUFFLE);
    EXPECT_TRUE(ModesWorkerBusy()) << "the change went from the host's thread or not at all";
    SeenMenu menu = OpenContextMenu(300, 700, CMD_REPEAT);
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_TRUE(menu.items[2].checked && menu.items[3].checked);
    menu = OpenContextMenu();
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_TRUE(menu.items[2].checked && !menu.items[3].checked);
    // Nothing else: SetModes' two, one change each, and three menus' questions.
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
    EXPECT_EQ(CountPlayerSimLog(log, "USER", "1 252") + CountPlayerSimLog(log, "USER", "0 253"), 2);
    int modeMessages = 0;
    for (const char* code : {" 250", " 251", " 252", " 253"}) {
        for (const PlayerSimLogEntry& entry : log) modeMessages += entry.kind == "USER" && entry.args.find(code) != std::string::npos;
    }
    EXPECT_EQ(modeMessages, 2 + 2 + 3 * 2);
    EXPECT_EQ(CountPlayerSimLog(log, "COMMAND"), 0);
}

TEST_F(ContextMenuTest, AHungPlayerGetsTheMenuWithinTheBoundItsModesGreyed) {
    StartPlayer();
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "hang 3000"));
    const SeenMenu menu = OpenContextMenu(300, 700, CMD_SHUFFLE);
    EXPECT_LT(menu.contextMenuMs, 200u) << "the shell's loop was held";
    EXPECT_LT(menu.shownAfterMs, 1500u);
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_EQ(std::pair(menu.x, menu.y), std::pair(300, 700));
    for (const SeenMenuItem& item : menu.items) {
        if (item.id == 0) continue;  // separators read as greyed
        EXPECT_EQ(item.grayed, item.id == 1032 || item.id == 1033 || item.id == 1039) << item.id;
    }
    EXPECT_TRUE(menu.items[4].submenu.empty());
    EXPECT_FALSE(menu.items[2].checked || menu.items[3].checked);
    EXPECT_FALSE(ModesWorkerBusy()) << "a greyed item was chosen";
    EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "USER", "0 251"), 0) << "asked after a question ran out";
}

// Each question answered 250 ms late: shuffle, repeat and the playlist
// share one bound, so the menu waits for one bound, not for three.
TEST_F(ContextMenuTest, APlayerAnsweringEachQuestionLateGetsItsMenuWithinOneBound) {
    StartPlayer();
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "delay 250"));
    const SeenMenu menu = OpenContextMenu();
    EXPECT_LT(menu.shownAfterMs, 900u);
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_FALSE(menu.items[2].grayed) << "shuffle came in time";
    EXPECT_TRUE(menu.Item(CMD_PLAYLIST)->grayed) << "no time was left for the playlist";
}

// The press's answers serve the menu however the worker ends after them,
// and a menu whose questions were lost with their worker does not leave
// the next right-click waiting for them for ever.
TEST_F(ContextMenuTest, AMenuWorkerWhoseWaitFailsLeavesTheMenuWorking) {
    WorkerWatch menuWorker(L"Pelorin menu");
    ASSERT_TRUE(menuWorker.Active());
    StartPlayer();
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    ASSERT_TRUE(WaitUntil([] { return !ModesWorkerBusy(); }, 3000));
    menuWorker.FailNextWake();
    SeenMenu menu = OpenContextMenu();
    EXPECT_TRUE(menu.shownInsideTheMessage) << "the press's answers";
    EXPECT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_EQ(OpenContextMenu().shown, 0) << "its questions went with the worker";
    EXPECT_TRUE(menuWorker.Failed()) << "the worker's wait did not fail";
    menu = OpenContextMenu(250, 650);
    EXPECT_EQ(menu.shown, 1) << "the menu stays deaf";
    EXPECT_EQ(std::pair(menu.x, menu.y), std::pair(250, 650));
    EXPECT_EQ(menu.Ids(), kRunningMenu);
}

// The "Playlist" submenu against the stand-in player, which keeps its
// titles in its own memory and logs every question.
class PlaylistMenuTest : public ContextMenuTest {
protected:
    static std::vector<PlayerSimTrack> Tracks(int count) {
        std::vector<PlayerSimTrack> tracks;
        for (int i = 1; i <= count; ++i) tracks.push_back({"Artist " + std::to_string(i) + " - Song", 200});
        return tracks;
    }

    void StartWithTracks(std::vector<PlayerSimTrack> tracks, bool unicode = false, const char* pointers = "kept") {
        PlayerSimOptions playerOptions;
        playerOptions.playlist = std::move(tracks);
        playerOptions.state = PlayerSimState::Stopped;
        playerOptions.titlePointers = pointers;
        if (unicode) playerOptions.utf8Caption = "Winamp";
        StartPlayer(playerOptions);
    }

    void MakeCurrent(int oneBased) {
        LRESULT ignored = 0;
        ASSERT_TRUE(QueryPlayerSim(sim.window, oneBased - 1, 121, 2000, &ignored));
    }

    LRESULT Ask(LPARAM code) {
        LRESULT answer = -1;
        EXPECT_TRUE(QueryPlayerSim(sim.window, 0, code, 2000, &answer));
        return answer;
    }

    // The submenu's items, after checking the item that opens it.
    static std::vector<SeenMenuItem> Entries(const SeenMenu& menu) {
        const SeenMenuItem* playlist = menu.Item(1039);
        if (!playlist) {
            ADD_FAILURE() << "no Playlist item";
            return {};
        }
        EXPECT_EQ(playlist->text, "Playlist");
        return playlist->submenu;
    }

    // The 0-based entries whose titles were asked for, in order.
    std::vector<int> TitlesAsked() const {
        std::vector<int> asked;
        for (const PlayerSimLogEntry& entry : ReadPlayerSimLog(sim.logPath)) {
            const size_t space = entry.args.find(' ');
            if (entry.kind != "USER" || space == std::string::npos) continue;
            const std::string code = entry.args.substr(space + 1);
            if (code == "212" || code == "213") asked.push_back(std::stoi(entry.args.substr(0, space)));
        }
        return asked;
    }
};

// "N. Artist N - Song" from first to last, the current one checked, ids in
// order, and no title asked outside the window (so never outside the list).
void ExpectWindow(const std::vector<SeenMenuItem>& entries, int first, int last, int current) {
    ASSERT_EQ(static_cast<int>(entries.size()), last - first + 1);
    for (int n = first; n <= last; ++n) {
        const SeenMenuItem& entry = entries[static_cast<size_t>(n - first)];
        EXPECT_EQ(entry.id, static_cast<UINT>(1040 + n - first));
        const std::wstring number = std::to_wstring(n);
        EXPECT_EQ(entry.wideText, number + L". Artist " + number + L" - Song");
        EXPECT_EQ(entry.checked, n == current) << n;
        EXPECT_FALSE(entry.grayed);
    }
}

TEST_F(PlaylistMenuTest, TheWindowFollowsTheCurrentEntryAndStopsAtEitherEnd) {
    StartWithTracks(Tracks(40));
    struct Case {
        int current, first, last;
    };
    for (const Case& c : {Case{20, 16, 30}, Case{1, 1, 15}, Case{40, 26, 40}, Case{5, 1, 15}, Case{37, 26, 40}}) {
        SCOPED_TRACE(c.current);
        MakeCurrent(c.current);
        const size_t askedBefore = TitlesAsked().size();
        ExpectWindow(Entries(OpenContextMenu()), c.first, c.last, c.current);
        const std::vector<int> asked = TitlesAsked();
        ASSERT_GE(asked.size(), askedBefore);
        for (size_t i = askedBefore; i < asked.size(); ++i) {
            EXPECT_GE(asked[i], c.first - 1);
            EXPECT_LE(asked[i], c.last - 1);
        }
    }
}

// A playlist shorter than the window shows whole.
TEST_F(PlaylistMenuTest, UnicodeTitlesKeepEveryCharacter) {
    StartWithTracks({{"\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE - \xD0\x93\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0", 200},
                     {"\xE6\x97\xA5\xE6\x9C\xAC \xE2\x99\xAA \xF0\x9F\x98\x80 Caf\xC3\xA9", 200}},
                    true);
    const std::vector<SeenMenuItem> entries = Entries(OpenContextMenu());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].wideText, L"1. \u041a\u0438\u043d\u043e - \u0413\u0440\u0443\u043f\u043f\u0430");
    EXPECT_EQ(entries[1].wideText, L"2. \u65e5\u672c \u266a \U0001F600 Caf\u00e9");
    EXPECT_TRUE(entries[0].checked);
}

// Made safe for a menu too: "&" doubled, a tab blanked, a long title cut.
TEST_F(PlaylistMenuTest, TitlesOfAPlayerWithoutUtf16ReadInTheCodePage) {
    StartWithTracks({{"Caf\xE9 Ol\xE9", 200}, {"Rock & Roll\tLive " + std::string(283, 'x'), 200}});
    // The second menu asks this player in the code page alone.
    for (int menu = 1; menu <= 2; ++menu) {
        SCOPED_TRACE(menu);
        const std::vector<SeenMenuItem> entries = Entries(OpenContextMenu());
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].wideText, L"1. Caf\u00e9 Ol\u00e9");
        EXPECT_EQ(entries[1].wideText, L"2. Rock && Roll Live " + std::wstring(46, L'x') + L"\u2026");
    }
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
    EXPECT_EQ(CountPlayerSimLog(log, "USER", "0 213"), 1);
    EXPECT_EQ(CountPlayerSimLog(log, "USER", "1 213"), 0);
    EXPECT_EQ(CountPlayerSimLog(log, "USER", "0 212"), 2);
}

TEST_F(PlaylistMenuTest, ChoosingAnEntryMakesItCurrentAndPlaysIt) {
    StartWithTracks(Tracks(40));
    MakeCurrent(20);
    OpenContextMenu(300, 700, 1040 + 6);  // the 22nd entry
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40045", 1, 3000));
    EXPECT_EQ(Ask(125), 21);
    EXPECT_EQ(Ask(104), 1) << "not playing";
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
    size_t jump = log.size();
    size_t play = log.size();
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].kind == "USER" && log[i].args == "21 121") jump = i;
        if (log[i].kind == "COMMAND" && log[i].args == "40045") play = i;
    }
    EXPECT_LT(jump, play) << "played before the entry was made current";
    EXPECT_EQ(CountPlayerSimLog(log, "COMMAND"), 1);
}

TEST_F(PlaylistMenuTest, AnEmptyPlaylistIsGreyedAndNoTitleIsAsked) {
    StartWithTracks(Tracks(5));
    LRESULT ignored = 0;
    ASSERT_TRUE(QueryPlayerSim(sim.window, 0, 101, 2000, &ignored));  // clears it
    const SeenMenu menu = OpenContextMenu(300, 700, 1040);
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_TRUE(menu.items[4].grayed);
    EXPECT_TRUE(menu.items[4].submenu.empty());
    EXPECT_TRUE(TitlesAsked().empty());
    EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "USER", "0 121"), 0);
}

TEST_F(PlaylistMenuTest, UnreadableTitlePointersShowTheNumberAlone) {
    StartWithTracks(Tracks(8), true, "garbage");
    MakeCurrent(2);
    const std::vector<SeenMenuItem> entries = Entries(OpenContextMenu());
    ASSERT_EQ(entries.size(), 8u);
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].wideText, std::to_wstring(i + 1) + L".");
    EXPECT_TRUE(entries[1].checked);
    EXPECT_TRUE(IsWindow(sim.window));
}

// Questions 40 ms apart: the titles run out of the shared bound partway.
TEST_F(PlaylistMenuTest, TitlesNotReadWithinTheBoundShowTheNumberAlone) {
    StartWithTracks(Tracks(30), true);
    MakeCurrent(15);
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "delay 40"));
    const SeenMenu menu = OpenContextMenu();
    EXPECT_LT(menu.shownAfterMs, 2 * 40 + 500 + 400u);
    const std::vector<SeenMenuItem> entries = Entries(menu);
    ASSERT_EQ(entries.size(), 15u);
    EXPECT_EQ(entries.front().wideText, L"11. Artist 11 - Song");
    EXPECT_EQ(entries.back().wideText, L"25.");
    EXPECT_TRUE(entries[4].checked);
}

// The playlist reversed between the menu and the choice: the chosen song
// plays at its new place.
TEST_F(PlaylistMenuTest, AChoiceAfterThePlaylistWasReorderedPlaysTheChosenSong) {
    StartWithTracks(Tracks(40));
    MakeCurrent(20);
    OpenContextMenu();
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "playlist-reverse"));
    Send(WM_COMMAND, 1040 + 6);  // "22. Artist 22 - Song", now the 19th
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40045", 1, 3000));
    EXPECT_EQ(Ask(125), 18);
    EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "USER", "21 121"), 0) << "played by its old place";
}

// Replaced by other songs: the chosen one is gone, and nothing plays.
TEST_F(PlaylistMenuTest, AChoiceFromAPlaylistSinceReplacedPlaysNothing) {
    StartWithTracks(Tracks(40));
    MakeCurrent(20);
    OpenContextMenu();
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "playlist Other - One|200;Other - Two|200"));
    ASSERT_EQ(Ask(124), 2);
    Send(WM_COMMAND, 1040 + 6);
    ASSERT_TRUE(WaitUntil([] { return !pluginState.commandBusy; }, 3000));
    PumpMessages(100);
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
    int entriesMadeCurrent = 0;
    for (const PlayerSimLogEntry& entry : log) entriesMadeCurrent += entry.kind == "SETPOS";
    EXPECT_EQ(entriesMadeCurrent, 1) << "only the test's own";
    EXPECT_EQ(CountPlayerSimLog(log, "COMMAND"), 0);
}

// A choice made while a press is still being sent waits for it, as the
// wheel's notches do, and is not dropped.
TEST_F(PlaylistMenuTest, AChoiceMadeWhileAPressIsSentWaitsForIt) {
    PlayerSimOptions slow;
    slow.playlist = Tracks(10);
    slow.state = PlayerSimState::Stopped;
    slow.commandDelayMs = 400;
    StartPlayer(slow);
    OpenContextMenu();
    pluginState.hotItem = 3;  // Stop
    StartCommand();
    ASSERT_TRUE(pluginState.commandBusy);
    Send(WM_COMMAND, 1040 + 5);
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40045", 1, 3000)) << "the choice was dropped";
    EXPECT_EQ(Ask(125), 5);
    EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "COMMAND", "40047"), 1);
}

// A stop while the choice is searched for in a reordered playlist: the
// search runs to its end, and the entry it found is not made current.
TEST_F(PlaylistMenuTest, AStopDuringTheSearchMakesNoEntryCurrent) {
    StartWithTracks(Tracks(40));
    MakeCurrent(20);
    OpenContextMenu();
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "playlist-reverse"));
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "delay 40"));
    const std::vector<PlayerSimLogEntry> before = ReadPlayerSimLog(sim.logPath);
    const int lengthsAsked = CountPlayerSimLog(before, "USER", "0 124");
    const int songTitleAsked = CountPlayerSimLog(before, "USER", "18 212");
    const WorkerWatch commandWorker(L"Pelorin command");
    ASSERT_TRUE(commandWorker.Active());
    Send(WM_COMMAND, 1040 + 6);  // "22. Artist 22 - Song", now the 19th: the seventh looked at
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "USER", "0 124", lengthsAsked + 1, 3000)) << "no search";
    StopWorkerThreads();
    EXPECT_TRUE(commandWorker.WorkerEnded(5000));
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
    EXPECT_EQ(CountPlayerSimLog(log, "USER", "18 212"), songTitleAsked + 1) << "the search did not reach the song";
    EXPECT_EQ(CountPlayerSimLog(log, "SETPOS"), 1) << "only the test's own";
    EXPECT_EQ(CountPlayerSimLog(log, "COMMAND"), 0);
}

// A 64-bit player answers with addresses cut to 32 bits on their way here,
// and a player whose bitness cannot be told (an elevated one, which cannot
// be asked) may be one: no address is asked of either. A bitness learnt is
// asked once for its window, one not learnt at every menu.
int bitnessQuestions = 0;
BOOL WINAPI EveryOtherProcessIs64Bit(HANDLE process, BOOL* underWow64) {
    const bool ours = GetProcessId(process) == GetCurrentProcessId();
    bitnessQuestions += !ours;
    *underWow64 = ours;
    return TRUE;
}
BOOL WINAPI NoOtherProcessCanBeAsked(HANDLE process, BOOL* underWow64) {
    if (GetProcessId(process) == GetCurrentProcessId()) {
        *underWow64 = TRUE;
        return TRUE;
    }
    ++bitnessQuestions;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

struct BitnessCase {
    const char* name;
    decltype(&IsWow64Process) answer;
    int questionsInTwoMenus;
};
void PrintTo(const BitnessCase& bitness, std::ostream* out) { *out << bitness.name; }

class UnreadablePlayerTest : public PlaylistMenuTest, public ::testing::WithParamInterface<BitnessCase> {};

TEST_P(UnreadablePlayerTest, IsAskedNoAddressAndItsPlaylistIsGreyed) {
    decltype(&IsWow64Process) real = nullptr;
    const auto patch = PatchTyped(GetModuleHandleA(nullptr), "kernel32.dll", "IsWow64Process", GetParam().answer, &real);
    ASSERT_TRUE(patch->active());
    bitnessQuestions = 0;
    StartWithTracks(Tracks(5));
    for (int menu = 1; menu <= 2; ++menu) {
        const SeenMenu seen = OpenContextMenu();
        ASSERT_EQ(seen.Ids(), kRunningMenu);
        EXPECT_TRUE(seen.Item(CMD_PLAYLIST)->grayed);
        EXPECT_FALSE(seen.items[2].grayed) << "shuffle is no address";
    }
    EXPECT_TRUE(TitlesAsked().empty());
    EXPECT_EQ(bitnessQuestions, GetParam().questionsInTwoMenus);
}

INSTANTIATE_TEST_SUITE_P(Bitness, UnreadablePlayerTest,
                         ::testing::Values(BitnessCase{"SixtyFourBit", EveryOtherProcessIs64Bit, 1},
                                           BitnessCase{"Unknown", NoOtherProcessCanBeAsked, 2}),
                         [](const ::testing::TestParamInfo<BitnessCase>& bitness) {
                             return std::string(bitness.param.name);
                         });

}  // namespace
