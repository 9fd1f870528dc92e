// The context menu as the window procedure builds it (captured at
// TrackPopupMenuEx through the import table, so no menu loop runs) and its
// commands as the host and the store see them.
#include "tests/control_window/control_fixture.h"

#include "control/control_handlers.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "tests/support/iat_patch.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct CapturedItem {
    UINT id;
    std::string text;
    bool checked;
    bool separator;
};

struct CapturedMenu {
    int calls = 0;
    std::vector<CapturedItem> items;
    UINT flags = 0;
    int x = 0;
    int y = 0;
    HWND owner = nullptr;
    TPMPARAMS params = {};
};
CapturedMenu captured;

BOOL WINAPI CapturingTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    ++captured.calls;
    captured.flags = flags;
    captured.x = x;
    captured.y = y;
    captured.owner = owner;
    if (params) captured.params = *params;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        captured.items.push_back({GetMenuItemID(menu, i), text, (state & MF_CHECKED) != 0, (state & MF_SEPARATOR) != 0});
    }
    return FALSE;  // as if the menu were dismissed
}

class ContextMenuTest : public ControlWindowTest {
protected:
    void SetUp() override {
        ControlWindowTest::SetUp();
        captured = CapturedMenu{};
    }

    void OpenMenu(short x = 300, short y = 700) {
        ScopedImportPatch patch(GetModuleHandleA(nullptr), "user32.dll", "TrackPopupMenuEx",
                                reinterpret_cast<void*>(&CapturingTrackPopupMenuEx));
        ASSERT_TRUE(patch.active());
        Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(x, y));
    }

    std::vector<UINT> Ids() const {
        std::vector<UINT> ids;
        for (const CapturedItem& item : captured.items) ids.push_back(item.separator ? 0 : item.id);
        return ids;
    }

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
    OpenMenu();
    ASSERT_EQ(captured.calls, 1);
    EXPECT_EQ(Ids(), (std::vector<UINT>{1028}));
    EXPECT_EQ(captured.items[0].text, "Setup Plug-in");
}

TEST_F(ContextMenuTest, UsableStoredPathOffersToRunThePlayer) {
    const std::string existing = BinDir() + "\\starter.dll";
    lstrcpynA(playerPath, existing.c_str(), kPlayerPathSize);
    OpenMenu();
    EXPECT_EQ(Ids(), (std::vector<UINT>{1027, 0, 1028}));
    EXPECT_EQ(captured.items[0].text, "Run Winamp");

    captured = CapturedMenu{};
    lstrcpynA(playerPath, (BinDir() + "\\no-such-player.exe").c_str(), kPlayerPathSize);
    OpenMenu();
    EXPECT_EQ(Ids(), (std::vector<UINT>{1028}));
}

TEST_F(ContextMenuTest, ShownAtTheSignedPointAvoidingTheTaskbar) {
    OpenMenu(-5, 700);
    EXPECT_EQ(captured.x, -5);
    EXPECT_EQ(captured.y, 700);
    EXPECT_EQ(captured.flags, static_cast<UINT>(TPM_RIGHTBUTTON));
    EXPECT_EQ(captured.owner, control);
    EXPECT_EQ(captured.params.cbSize, 20u);
    RECT taskbar;
    GetWindowRect(host.taskbarWindow, &taskbar);
    EXPECT_TRUE(EqualRect(&captured.params.rcExclude, &taskbar));
    EXPECT_EQ(GetFocus(), control);
}

TEST_F(ContextMenuTest, BusyDropShowsNoMenu) {
    pluginState.dropBusy = true;
    OpenMenu();
    EXPECT_EQ(captured.calls, 0);
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
