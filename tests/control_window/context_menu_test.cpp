// The context menu as the window procedure builds it (captured at
// TrackPopupMenuEx through the import table, so no menu loop runs) and its
// commands as the host, the store and the stand-in player see them.
#include "tests/control_window/control_fixture.h"

#include "control/control_handlers.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_client.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

class ContextMenuTest : public ControlWindowTest {
protected:
    void TearDown() override {
        WaitUntil([] { return pluginState.modesThread == nullptr; }, 3000);
        StopPlayerSim(&sim);
        ControlWindowTest::TearDown();
    }

    void StartPlayer() {
        sim = StartPlayerSim(PlayerSimOptions{});
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

const std::vector<UINT> kRunningMenu = {1029, 1031, 1032, 1033, 0, 1026, 0, 1028};

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

// A player that answers each message 300 ms late still has the change out
// when the next menu is asked for: that menu waits for it and shows it.
TEST_F(ContextMenuTest, AClickSetsTheOppositeAndTheNextMenuShowsIt) {
    StartPlayer();
    SetModes(false, true);
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "delay 300"));
    OpenContextMenu(300, 700, CMD_SHUFFLE);
    EXPECT_NE(pluginState.modesThread, nullptr) << "the change went from the host's thread or not at all";
    SeenMenu menu = OpenContextMenu(300, 700, CMD_REPEAT);
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_TRUE(menu.items[2].checked && menu.items[3].checked);
    menu = OpenContextMenu();
    ASSERT_EQ(menu.Ids(), kRunningMenu);
    EXPECT_TRUE(menu.items[2].checked && !menu.items[3].checked);
    // Nothing else: SetModes' two, one change each, and three menus' questions.
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
    EXPECT_EQ(CountPlayerSimLog(log, "USER", "1 252") + CountPlayerSimLog(log, "USER", "0 253"), 2);
    EXPECT_EQ(CountPlayerSimLog(log, "USER"), 2 + 2 + 3 * 2);
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
        EXPECT_EQ(item.grayed, item.id == 1032 || item.id == 1033) << item.id;
    }
    EXPECT_FALSE(menu.items[2].checked || menu.items[3].checked);
    EXPECT_EQ(pluginState.modesThread, nullptr) << "a greyed item was chosen";
    EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "USER", "0 251"), 0) << "asked after a question ran out";
}

}  // namespace
