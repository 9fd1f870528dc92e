// The mouse wheel over the control against the stand-in player: notches
// become Vol + and Vol - presses, counted from the player's own log.
#include "tests/control_window/control_fixture.h"

#include "control/wheel.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_client.h"

namespace {

constexpr char kVolumeUp[] = "40058";
constexpr char kVolumeDown[] = "40059";

class Wheel : public ControlWindowTest {
protected:
    void TearDown() override {
        Settle();
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

    void Turn(int delta, bool shift = false) {
        Send(WM_MOUSEWHEEL, MAKEWPARAM(shift ? MK_SHIFT : 0, delta), MAKELPARAM(120, 750));
    }

    // Until every command thread the wheel started has finished.
    void Settle() { EXPECT_TRUE(WaitUntil([] { return pluginState.commandThread == nullptr; }, 15000)); }

    int Sent(const char* command) { return CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "COMMAND", command); }

    PlayerSimProcess sim;
};

TEST_F(Wheel, NotchesArePressesOfTheVolumeButtonsWithTheirStepsAndShift) {
    StartPlayer(5);
    Turn(kWheelNotch);
    Settle();
    EXPECT_EQ(Sent(kVolumeUp), 6);
    Turn(-2 * kWheelNotch);
    Settle();
    EXPECT_EQ(Sent(kVolumeDown), 12);
    Turn(kWheelNotch, true);
    Settle();
    EXPECT_EQ(Sent(kVolumeUp), 6 + 5);

    pluginState.volumeSteps = 1;
    Turn(kWheelNotch);
    Settle();
    EXPECT_EQ(Sent(kVolumeUp), 6 + 5 + 1);
    Turn(-kWheelNotch, true);
    Settle();
    EXPECT_EQ(Sent(kVolumeDown), 12);
    EXPECT_FALSE(pluginState.buttonDown);
}

TEST_F(Wheel, PartsOfANotchAddUpAndTheRestIsKept) {
    StartPlayer(1);
    Turn(60);
    Settle();
    EXPECT_EQ(Sent(kVolumeUp), 0);
    Turn(90);  // 150: one notch, 30 kept
    Settle();
    EXPECT_EQ(Sent(kVolumeUp), 1);
    Turn(90);
    Settle();
    EXPECT_EQ(Sent(kVolumeUp), 2);
}

TEST_F(Wheel, NotchesDuringASlowCommandFollowInOneBurstOfAtMostTwenty) {
    StartPlayer(1, 100);
    Turn(kWheelNotch);
    ASSERT_NE(pluginState.commandThread, nullptr);
    for (int i = 0; i < 25; ++i) Turn(kWheelNotch);
    for (int i = 0; i < 3; ++i) Turn(-kWheelNotch);
    Settle();
    EXPECT_EQ(Sent(kVolumeUp), 1 + 20);
    EXPECT_EQ(Sent(kVolumeDown), 0);
}

TEST_F(Wheel, IgnoredWithoutAPlayerAndWhileFilesAreDropped) {
    StartPlayer(1);
    pluginState.playerStatus = PLAYER_NOT_RUNNING;
    Turn(kWheelNotch);
    pluginState.playerStatus = PLAYER_PLAYING;
    pluginState.dropBusy = true;
    Turn(kWheelNotch);
    pluginState.dropBusy = false;
    EXPECT_EQ(pluginState.commandThread, nullptr);
    EXPECT_EQ(pluginState.launchThread, nullptr);
    Turn(60);  // nothing of the ignored turns was kept toward a notch
    PumpMessages(300);
    EXPECT_EQ(Sent(kVolumeUp), 0);
}

}  // namespace
