// The control window against the stand-in player: what presses, releases,
// double and middle clicks and the menu's player commands make the player
// do, read from the player's own log and window state; and that a click on
// the bar lands where its time tip said.
#include "tests/control_window/control_fixture.h"

#include "control/control_handlers.h"
#include "player/commands.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_client.h"

#include <shellapi.h>
#include <shlobj.h>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

class ControlPlayerTest : public ControlWindowTest {
protected:
    void SetUp() override {
        ControlWindowTest::SetUp();
        PlayerSimOptions playing;
        playing.state = PlayerSimState::Playing;
        sim = StartPlayerSim(playing);
        ASSERT_NE(sim.window, nullptr) << sim.failure;
        ASSERT_TRUE(FindPlayer());
        pluginState.playerStatus = PLAYER_PLAYING;
    }

    void TearDown() override {
        // Let a command thread finish before the player goes.
        WaitUntil([] { return !pluginState.commandBusy; }, 3000);
        StopPlayerSim(&sim);
        ControlWindowTest::TearDown();
    }

    int Commands(const char* number = "") { return CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "COMMAND", number); }

    PlayerSimProcess sim;
};

TEST_F(ControlPlayerTest, PressOnPlayReleaseOnStopSendsStop) {
    PointAt(CellCentre(1));
    Send(WM_LBUTTONDOWN);
    ASSERT_EQ(pluginState.hotItem, 1);
    PointAt(CellCentre(3));
    Send(WM_LBUTTONUP);
    EXPECT_FALSE(pluginState.buttonDown);
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40047", 1, 3000));
    EXPECT_TRUE(WaitUntil([] { return !pluginState.commandBusy; }, 3000));
    EXPECT_EQ(Commands(), 1);
}

TEST_F(ControlPlayerTest, PressReleasedOutsideSendsNothing) {
    PointAt(CellCentre(1));
    Send(WM_MOUSEMOVE);
    Send(WM_LBUTTONDOWN);
    PointAway();
    Tick();
    EXPECT_FALSE(pluginState.buttonDown);
    PumpMessages(300);
    EXPECT_EQ(Commands(), 0);
    EXPECT_FALSE(pluginState.commandBusy);
}

TEST_F(ControlPlayerTest, ReleaseOnTheBarSeeksWhereThePressWas) {
    songLengthSec = 200;
    PointAt(kBarEighth);
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    // 13 % of 200 s, in milliseconds.
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "USER", "26000 106", 1, 3000));
}

TEST_F(ControlPlayerTest, AClickWhereTheBarTipSaidATimeJumpsToThatTime) {
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "length 296"));
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "state paused"));
    Poll();
    ASSERT_EQ(pluginState.playerStatus, PLAYER_PAUSED);
    pluginState.buttonTips = true;
    PointAt({18, 1});  // 27.5 % along the bar
    Tick();
    const std::string promised = TooltipText();
    EXPECT_EQ(promised, "1:23 / 4:56");

    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "USER", "82880 106", 1, 3000));
    Poll();
    PointAt(CellCentre(HOT_DISPLAY));
    Tick();
    EXPECT_EQ(TooltipText(), promised) << "the time played after the jump";
}

TEST_F(ControlPlayerTest, DoubleClickOnNoCellTogglesThePlayerWindowButNotOnAButton) {
    ASSERT_FALSE(IsIconic(sim.window));
    PointAt(CellCentre(1));
    Tick();
    Send(WM_LBUTTONDBLCLK);
    PumpMessages(100);
    EXPECT_FALSE(IsIconic(sim.window));

    PointAt(kNoCell);
    Tick();
    Send(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(sim.window) != FALSE; }, 2000));
}

TEST_F(ControlPlayerTest, MiddleReleaseTogglesWhateverIsUnderThePointer) {
    PointAt(CellCentre(3));
    Tick();
    Send(WM_MBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(sim.window) != FALSE; }, 2000));
    Send(WM_MBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(sim.window); }, 2000));
    EXPECT_EQ(Commands(), 0);
}

TEST_F(ControlPlayerTest, MenuOfARunningPlayer) {
    SeenMenu menu = OpenContextMenu();
    EXPECT_EQ(menu.Ids(), (std::vector<UINT>{1029, 1031, 1032, 1033, 1039, 0, 1026, 0, 1028}));
    ASSERT_EQ(menu.items.size(), 9u);
    EXPECT_EQ(menu.items[0].text, "Hide Winamp");
    EXPECT_EQ(menu.items[1].text, "Hide on minimize");
    EXPECT_FALSE(menu.items[1].checked);
    EXPECT_EQ(menu.items[6].text, "Winamp preferences");

    pluginState.hideOnMinimize = true;
    ShowWindow(sim.window, SW_MINIMIZE);
    menu = OpenContextMenu();
    ASSERT_EQ(menu.items.size(), 9u);
    EXPECT_EQ(menu.items[0].text, "Show Winamp");
    EXPECT_TRUE(menu.items[1].checked);
}

TEST_F(ControlPlayerTest, MenuCommandsReachThePlayer) {
    Send(WM_COMMAND, CMD_TOGGLE_PLAYER_WINDOW);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(sim.window) != FALSE; }, 2000));

    Send(WM_COMMAND, CMD_PLAYER_PREFERENCES);
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40012", 1, 3000));
    EXPECT_EQ(host.modalMessages, (std::vector<UINT>{HM_MODAL_BEGIN, HM_MODAL_END}));

    Send(WM_COMMAND, CMD_RUN_PLAYER);  // it runs already: nothing to start
    EXPECT_EQ(pluginState.launchThread, nullptr);
    EXPECT_EQ(pluginState.launchWatchdogTimer, 0u);
}

// A drop of these files, as the shell hands it over: a DROPFILES header
// and the names one after another, ending with an empty name.
HDROP MakeDrop(const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files) names += file + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(ControlPlayerTest, DroppedFileReachesThePlayer) {
    PostMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\music\\a.mp3"})), 0);
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "ENQUEUE", "\"C:\\music\\a.mp3\"", 1, 10000));
    EXPECT_TRUE(WaitUntil([] { return !pluginState.dropBusy && pluginState.launchThread == nullptr; }, 5000));
}

// The command worker's wait that wakes for a job fails: the job is lost
// with the worker, and the next press, or the next wheel notch, is the
// first to find that out; it still reaches the player.
TEST_F(ControlPlayerTest, AJobLostWithTheCommandWorkerLeavesPressesAndTheWheelAnswering) {
    WorkerWatch commandWorker(L"Pelorin command");
    ASSERT_TRUE(commandWorker.Active());
    pluginState.volumeSteps = 1;
    const auto pressStop = [this] {
        PointAt(CellCentre(HOT_STOP));
        Send(WM_LBUTTONDOWN);
        Send(WM_LBUTTONUP);
    };
    const auto turnUp = [this] { Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)); };
    const std::pair<std::function<void()>, const char*> nexts[] = {{pressStop, "40047"}, {turnUp, "40058"}};
    for (const auto& [next, command] : nexts) {
        SCOPED_TRACE(command);
        commandWorker.FailNextWake();
        pluginState.hotItem = HOT_NEXT;
        StartCommand();
        ASSERT_TRUE(commandWorker.WorkerEnded(3000));
        next();
        EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", command, 1, 3000)) << "the control stays deaf";
        EXPECT_TRUE(WaitUntil([] { return !pluginState.commandBusy; }, 3000));
    }
    EXPECT_EQ(Commands("40048"), 0) << "a lost Next reached the player";
}

// The player is not running; the plug-in starts it itself.
class ControlLaunchTest : public ControlWindowTest {
protected:
    void SetUp() override {
        ControlWindowTest::SetUp();
        ASSERT_EQ(FindPlayerSimWindow(), nullptr) << "a player from an earlier test still runs";
        PlayerSimOptions playing;
        files = ConfigurePlayerSim(playing);
        lstrcpynA(playerPath, PlayerSimExePath().c_str(), kPlayerPathSize);
    }

    void TearDown() override {
        WaitUntil([] { return pluginState.launchThread == nullptr; }, 5000);
        if (HWND window = FindPlayerSimWindow()) {
            PlayerSimProcess started;
            GetWindowThreadProcessId(window, &started.processId);
            started.process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, started.processId);
            StopPlayerSim(&started);
        }
        ControlWindowTest::TearDown();
    }

    PlayerSimFiles files;
};

TEST_F(ControlLaunchTest, RunFromTheMenuStartsThePlayerAndTheLaunchEnds) {
    Send(WM_COMMAND, CMD_RUN_PLAYER);
    EXPECT_NE(pluginState.launchThread, nullptr);
    // The launch thread's end message comes back through the window
    // procedure, which hands it to the launch.
    EXPECT_TRUE(WaitUntil([] { return pluginState.launchThread == nullptr; }, 15000));
    EXPECT_EQ(pluginState.launchWatchdogTimer, 0u);
    EXPECT_NE(FindPlayerSimWindow(), nullptr);
    EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(files.logPath), "START"), 1);
}

}  // namespace
