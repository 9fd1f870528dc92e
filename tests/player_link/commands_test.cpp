// Presses carried out by the command worker, counted in the stand-in
// player's own log, and the operations the control runs on its own thread:
// seek, show or hide, preferences.
#include "tests/player_link/player_link_fixture.h"

#include "player/commands.h"
#include "player/control_repaint.h"
#include "player/player_link.h"
#include "plugin/stop_signal.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_protocol.h"

namespace {

using Commands = std::vector<std::string>;

Commands Times(int count, const char* number) { return Commands(static_cast<size_t>(count), number); }

class PlayerCommandTest : public PlayerLinkTest {
protected:
    void SetUp() override {
        PlayerLinkTest::SetUp();
        StartPlayer(PlayerSimState::Paused, 61500, 200);
        pluginState.playerWindow = sim.window;
    }
    // The commands the player received for one press.
    Commands PressAndLog(int cell) {
        MarkLog();
        Press(cell);
        return LoggedSinceMark("COMMAND");
    }
};

}  // namespace

TEST_F(PlayerCommandTest, PlaySendsOnceClearsTheStandstillRepaintsAndFinishes) {
    pluginState.positionUnchanged = true;
    EXPECT_EQ(PressAndLog(1), Commands{"40045"});
    EXPECT_FALSE(pluginState.positionUnchanged);
    EXPECT_EQ(repaintsFromOtherThreads, 1);
    EXPECT_EQ(commandDoneCount, 1);
    EXPECT_FALSE(pluginState.commandBusy);
}

TEST_F(PlayerCommandTest, PauseTogglesAndResumesAStandstillThePollSaw) {
    EXPECT_EQ(PressAndLog(2), Commands{"40046"});
    EXPECT_TRUE(pluginState.positionUnchanged);
    EXPECT_EQ(PressAndLog(2), Commands{"40045"});
    EXPECT_EQ(pluginState.hotItem, 1);

    // Play started the track again: standing at 0 it would look like a
    // player that knows no position, which never stands still.
    SendPlayerSimControl(sim.window, "state paused");
    SendPlayerSimControl(sim.window, "position 30000");
    Poll();
    Poll();
    ASSERT_TRUE(pluginState.positionUnchanged);
    EXPECT_EQ(PressAndLog(2), Commands{"40045"});
}

TEST_F(PlayerCommandTest, VolumeRepeatsByTheStepsAndShiftTakesOneAway) {
    pluginState.volumeSteps = 5;
    EXPECT_EQ(PressAndLog(4), Times(6, "40058"));
    EXPECT_EQ(PressAndLog(9), Times(6, "40059"));
    pluginState.volumeSteps = 1;
    EXPECT_EQ(PressAndLog(4), Times(1, "40058"));

    ScopedShift shift;
    ASSERT_TRUE(WaitUntil([] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }, 2000));
    EXPECT_EQ(PressAndLog(4), Commands{});
    pluginState.volumeSteps = 5;
    EXPECT_EQ(PressAndLog(4), Times(5, "40058"));
}

TEST_F(PlayerCommandTest, ShiftSkipsOnPrevAndNextAndSilencesPlay) {
    ScopedShift shift;
    ASSERT_TRUE(WaitUntil([] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }, 2000));
    pluginState.positionUnchanged = true;
    EXPECT_EQ(PressAndLog(7), Commands{"40061"});
    EXPECT_EQ(PressAndLog(8), Commands{"40060"});
    EXPECT_EQ(PressAndLog(1), Commands{});
    EXPECT_TRUE(pluginState.positionUnchanged);
    EXPECT_EQ(repaintsFromOtherThreads, 3);
    EXPECT_EQ(commandDoneCount, 3);
}

TEST_F(PlayerCommandTest, AReleaseOverTheBarSendsNothingButRepaints) {
    EXPECT_EQ(PressAndLog(HOT_POSITION_BAR), Commands{});
    EXPECT_EQ(repaintsFromTestThread, 1);
    EXPECT_EQ(repaintsFromOtherThreads, 1);
}

TEST_F(PlayerCommandTest, ASecondPressWhileACommandRunsOnlyRepaints) {
    pluginState.hotItem = 1;
    StartCommand();
    ASSERT_TRUE(pluginState.commandBusy);
    pluginState.hotItem = 3;
    StartCommand();
    ASSERT_TRUE(WaitForCommandDone());
    EXPECT_EQ(repaintsFromTestThread, 2);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40045"});
    EXPECT_EQ(commandDoneCount, 1);
}

// Without a control nothing is repainted, and a post that is not the
// current thread's own (another thread's, late) ends nothing.
TEST_F(PlayerCommandTest, AThreadOutlivingTheControlNeitherRepaintsTheDesktopNorEndsTheNextThread) {
    const HWND control = pluginState.controlWindow;
    pluginState.controlWindow = nullptr;
    RepaintControlNow();
    EXPECT_EQ(repaintsFromTestThread, 0) << "RedrawWindow without a window repaints the whole desktop";
    pluginState.controlWindow = control;

    pluginState.hotItem = 1;
    StartCommand();
    ASSERT_TRUE(pluginState.commandBusy);
    PostMessageA(control, MSG_COMMAND_DONE, GetCurrentThreadId(), 0);  // another thread's late post
    ASSERT_TRUE(WaitForCommandDone());
    EXPECT_EQ(commandDoneCount, 2);
    EXPECT_FALSE(pluginState.commandBusy) << "only the worker's own post frees it";
}

// The worker lives from start to stop; a stop in the middle of a long
// press ends what it sends.
TEST_F(PlayerCommandTest, AStopWhileTheWorkerSendsSendsNothingMore) {
    StopPlayerSim(&sim);
    PlayerSimOptions slow;
    slow.commandDelayMs = 200;
    sim = StartPlayerSim(slow);
    ASSERT_NE(sim.window, nullptr) << sim.failure;
    pluginState.playerWindow = sim.window;
    MarkLog();
    pluginState.volumeSteps = 5;
    pluginState.hotItem = 4;  // Vol +: six commands
    StartCommand();
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40058", 1, 3000));
    StopWorkerThreads();
    PumpMessages(1500);
    EXPECT_LE(LoggedSinceMark("COMMAND").size(), 2u) << "commands went on after the stop";
}

TEST_F(PlayerCommandTest, WhileFilesAreDroppedAPressOnlyFinishes) {
    pluginState.dropBusy = true;
    EXPECT_EQ(PressAndLog(1), Commands{});
    EXPECT_EQ(repaintsFromOtherThreads, 0);
    EXPECT_EQ(commandDoneCount, 1);
}

TEST_F(PlayerCommandTest, SeekJumpsToLengthTimesPercent) {
    songLengthSec = 200;
    positionPercent = 31;
    SeekPlayer();
    ASSERT_TRUE(WaitForPlayerSimLog(sim.logPath, "USER", "62000 106", 1, 3000));
    EXPECT_EQ(LoggedSinceMark("USER"), Commands{"62000 106"});
    LRESULT position = 0;
    ASSERT_TRUE(QueryPlayerSim(sim.window, 0, player_sim::kQueryTime, 2000, &position));
    EXPECT_EQ(position, 62000);
}

TEST_F(PlayerCommandTest, ToggleMinimisesAndHidesThenRestores) {
    pluginState.hideOnMinimize = true;
    EXPECT_FALSE(PlayerWindowNeedsRestore());
    TogglePlayerWindow();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(sim.window) && IsIconic(sim.window); }, 3000));
    EXPECT_TRUE(PlayerWindowNeedsRestore());
    TogglePlayerWindow();
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(sim.window) && !IsIconic(sim.window); }, 3000));
}

TEST_F(PlayerCommandTest, PreferencesOpenInsideTheHostsModalBracket) {
    OpenPlayerPreferences();
    EXPECT_EQ(host.modalMessages, (std::vector<UINT>{HM_MODAL_BEGIN, HM_MODAL_END}));
    // Posted, so the player handles it after the bracket.
    EXPECT_TRUE(WaitUntil([] { return FindWindowA(player_sim::kPrefsWindowClass, nullptr) != nullptr; }, 3000));
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40012"});
}
