// The mouse wheel over the control against the stand-in player: notches
// become Vol + and Vol - presses, counted in the player's own log.
#include "tests/control_window/control_fixture.h"

#include "control/wheel.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_client.h"

namespace {

class Wheel : public ControlWindowTest {
protected:
    void TearDown() override {
        StopPlayerSim(&sim);
        ControlWindowTest::TearDown();
    }

    void StartPlayer(int volumeSteps, int commandDelayMs = 0) {
        PlayerSimOptions slowOrNot;
        slowOrNot.commandDelayMs = commandDelayMs;
        sim = StartPlayerSim(slowOrNot);
        ASSERT_NE(sim.window, nullptr) << sim.failure;
        ASSERT_TRUE(FindPlayer());
        pluginState.playerStatus = PLAYER_PLAYING;
        pluginState.volumeSteps = volumeSteps;
    }

    void Turn(int delta, bool shift = false) { Send(WM_MOUSEWHEEL, MAKEWPARAM(shift ? MK_SHIFT : 0, delta)); }

    // Volume commands (up, down) at the player once every command thread
    // the wheel started has finished.
    std::pair<int, int> Sent() {
        EXPECT_TRUE(WaitUntil([] { return !pluginState.commandBusy; }, 15000));
        const auto log = ReadPlayerSimLog(sim.logPath);
        return {CountPlayerSimLog(log, "COMMAND", "40058"), CountPlayerSimLog(log, "COMMAND", "40059")};
    }

    PlayerSimProcess sim;
};

TEST_F(Wheel, NotchesArePressesOfTheVolumeButtonsWithTheirStepsAndShift) {
    StartPlayer(5);
    Turn(kWheelNotch);
    EXPECT_EQ(Sent(), std::make_pair(6, 0));
    Turn(-2 * kWheelNotch);
    EXPECT_EQ(Sent(), std::make_pair(6, 12));
    Turn(kWheelNotch, true);
    EXPECT_EQ(Sent(), std::make_pair(6 + 5, 12));
    pluginState.volumeSteps = 1;
    Turn(kWheelNotch);
    Turn(-kWheelNotch, true);
    EXPECT_EQ(Sent(), std::make_pair(6 + 5 + 1, 12));
}

TEST_F(Wheel, PartsOfANotchAddUpAndTheRestIsKept) {
    StartPlayer(1);
    Turn(60);
    EXPECT_EQ(Sent(), std::make_pair(0, 0));
    Turn(90);  // 150: one notch, 30 kept
    EXPECT_EQ(Sent(), std::make_pair(1, 0));
    Turn(90);
    EXPECT_EQ(Sent(), std::make_pair(2, 0));
}

TEST_F(Wheel, NotchesDuringASlowCommandFollowInOneBurstOfAtMostTwenty) {
    StartPlayer(1, 100);
    Turn(kWheelNotch);
    ASSERT_TRUE(pluginState.commandBusy);
    for (int i = 0; i < 25; ++i) Turn(kWheelNotch);
    for (int i = 0; i < 3; ++i) Turn(-kWheelNotch);
    EXPECT_EQ(Sent(), std::make_pair(1 + 20, 0));
}

TEST_F(Wheel, IgnoredWithoutAPlayerAndWhileFilesAreDropped) {
    StartPlayer(1);
    pluginState.playerStatus = PLAYER_NOT_RUNNING;
    Turn(kWheelNotch);
    pluginState.playerStatus = PLAYER_PLAYING;
    pluginState.dropBusy = true;
    Turn(kWheelNotch);
    pluginState.dropBusy = false;
    EXPECT_EQ(pluginState.launchThread, nullptr);
    Turn(60);  // nothing of the ignored turns was kept toward a notch
    PumpMessages(300);
    EXPECT_EQ(Sent(), std::make_pair(0, 0));
}

}  // namespace
