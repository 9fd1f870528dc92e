// The context menu as the window procedure builds it (captured at
// TrackPopupMenuEx through the import table, so no menu loop runs) and its
// commands as the host and the store see them.
#include "tests/control_window/control_fixture.h"

#include "control/control_handlers.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

class ContextMenuTest : public ControlWindowTest {
protected:
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
    Send(WM_COMMAND, 1032);
    EXPECT_TRUE(host.setupRequests.empty());
    EXPECT_FALSE(pluginState.hideOnMinimize);
    EXPECT_EQ(pluginState.launchThread, nullptr);
}

}  // namespace
