// Presses carried out by the command thread against the stand-in player,
// counted in the player's own log, and the operations the control runs on
// its own thread: seek, show or hide, preferences.
#include "tests/player_link/player_link_fixture.h"

#include "player/commands.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_protocol.h"

namespace {

using Commands = std::vector<std::string>;

Commands Repeated(const char* number, int times) { return Commands(static_cast<size_t>(times), number); }

class PlayerCommandTest : public PlayerLinkTest {
protected:
    void SetUp() override {
        PlayerLinkTest::SetUp();
        StartPlayer(PlayerSimState::Paused, 61500, 200);
        pluginState.playerWindow = sim.window;
    }
};

}  // namespace

TEST_F(PlayerCommandTest, PlaySendsOnceClearsTheStandstillAndFinishes) {
    pluginState.positionUnchanged = true;
    Press(1);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40045"});
    EXPECT_FALSE(pluginState.positionUnchanged);
    EXPECT_EQ(repaintsFromOtherThreads, 1);
    EXPECT_EQ(commandDoneCount, 1);
    EXPECT_EQ(pluginState.commandThread, nullptr);
}

TEST_F(PlayerCommandTest, PauseTwiceWithinOnePollPausesThenPlays) {
    pluginState.positionUnchanged = false;
    Press(2);
    EXPECT_TRUE(pluginState.positionUnchanged);
    EXPECT_EQ(pluginState.hotItem, 2);
    Press(2);
    EXPECT_FALSE(pluginState.positionUnchanged);
    EXPECT_EQ(pluginState.hotItem, 1);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), (Commands{"40046", "40045"}));
}

TEST_F(PlayerCommandTest, PauseAfterThePollSawAStandstillResumes) {
    PollPlayer(nullptr, 0, 0, 0);
    PollPlayer(nullptr, 0, 0, 0);
    ASSERT_TRUE(pluginState.positionUnchanged);
    MarkLog();
    Press(2);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40045"});
}

TEST_F(PlayerCommandTest, VolumeRepeatsItsCommandByTheSteps) {
    pluginState.volumeSteps = 5;
    Press(4);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Repeated("40058", 6));
    MarkLog();
    pluginState.volumeSteps = 1;
    Press(4);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Repeated("40058", 1));
    MarkLog();
    pluginState.volumeSteps = 3;
    Press(9);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Repeated("40059", 4));
}

TEST_F(PlayerCommandTest, ShiftSkipsOnPrevAndNextAndSilencesPlayAndShortensVolume) {
    ScopedShift shift;
    ASSERT_TRUE(WaitUntil([] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }, 2000));
    pluginState.positionUnchanged = true;
    Press(7);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40061"});
    MarkLog();
    Press(8);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40060"});
    MarkLog();
    Press(1);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{});
    EXPECT_TRUE(pluginState.positionUnchanged);
    MarkLog();
    pluginState.volumeSteps = 5;
    Press(4);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Repeated("40058", 5));
    MarkLog();
    pluginState.volumeSteps = 1;
    Press(4);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{});
    EXPECT_EQ(commandDoneCount, 5);
}

TEST_F(PlayerCommandTest, AReleaseOverTheBarSendsNothingButRepaintsAndFinishes) {
    Press(HOT_POSITION_BAR);
    EXPECT_EQ(repaintsFromTestThread, 1);
    EXPECT_EQ(repaintsFromOtherThreads, 1);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{});
    EXPECT_EQ(commandDoneCount, 1);
}

TEST_F(PlayerCommandTest, ASecondPressWhileACommandRunsOnlyRepaints) {
    pluginState.hotItem = 1;
    StartCommand();
    const HANDLE first = pluginState.commandThread;
    ASSERT_NE(first, nullptr);
    pluginState.hotItem = 3;
    StartCommand();
    EXPECT_EQ(pluginState.commandThread, first);
    ASSERT_TRUE(WaitForCommandDone());
    EXPECT_EQ(repaintsFromTestThread, 2);
    EXPECT_EQ(repaintsFromOtherThreads, 1);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40045"});
    EXPECT_EQ(commandDoneCount, 1);
}

TEST_F(PlayerCommandTest, WhileFilesAreDroppedAPressOnlyFinishes) {
    pluginState.dropBusy = true;
    Press(1);
    EXPECT_EQ(repaintsFromTestThread, 1);
    EXPECT_EQ(repaintsFromOtherThreads, 0);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{});
    EXPECT_EQ(commandDoneCount, 1);
}

TEST_F(PlayerCommandTest, SeekJumpsToLengthTimesPercent) {
    songLengthSec = 200;
    positionPercent = 31;
    SeekPlayer();
    EXPECT_EQ(LoggedSinceMark("USER"), Commands{"62000 106"});
    LRESULT position = 0;
    ASSERT_TRUE(QueryPlayerSim(sim.window, 0, player_sim::kQueryTime, 2000, &position));
    EXPECT_EQ(position, 62000);
}

TEST_F(PlayerCommandTest, ToggleMinimisesAndHidesThenRestores) {
    pluginState.hideOnMinimize = true;
    ASSERT_TRUE(IsWindowVisible(sim.window));
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
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Commands{"40012"});
    EXPECT_TRUE(WaitUntil([] { return FindWindowA(player_sim::kPrefsWindowClass, nullptr) != nullptr; }, 3000));
}
