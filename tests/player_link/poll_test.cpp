// The once-a-second poll against the stand-in player: what it asks, what it
// makes of the answers, and how it treats a player that does not answer.
#include "tests/player_link/player_link_fixture.h"

#include "player/commands.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"

namespace {

using Queries = std::vector<std::string>;

class PlayerPollTest : public PlayerLinkTest {
protected:
    void SetUp() override {
        PlayerLinkTest::SetUp();
        // A usable path keeps the path lookup out of what is counted here.
        PublishPlayerPath(PlayerSimExePath().c_str());
    }
};

}  // namespace

TEST_F(PlayerPollTest, WithoutThePlayerTheControlShowsNotRunningAndKeepsTheBar) {
    pluginState.playerStatus = PLAYER_PLAYING;
    pluginState.blinkPhase = pluginState.buttonDown = true;
    songLengthSec = 200;
    positionPercent = 40;
    Poll();
    EXPECT_EQ(pluginState.playerStatus, PLAYER_NOT_RUNNING);
    EXPECT_EQ(pluginState.drawnPlayerStatus, PLAYER_NOT_RUNNING);
    EXPECT_FALSE(pluginState.blinkPhase);
    EXPECT_FALSE(pluginState.buttonDown);
    EXPECT_EQ(songLengthSec, 200);
    EXPECT_EQ(positionPercent, 40);
}

TEST_F(PlayerPollTest, AStoppedPlayerIsAskedOnlyForPositionAndState) {
    StartPlayer(PlayerSimState::Stopped);
    pluginState.positionUnchanged = true;
    Poll();
    EXPECT_EQ(pluginState.playerStatus, PLAYER_STOPPED);
    EXPECT_EQ(positionPercent, -1);
    EXPECT_FALSE(pluginState.positionUnchanged);
    EXPECT_EQ(LoggedSinceMark("USER"), (Queries{"0 105", "0 104"}));
}

TEST_F(PlayerPollTest, APausedTrackGivesItsPercentageFromFourQueriesAndBlinks) {
    StartPlayer(PlayerSimState::Paused, 61500, 200);
    Poll();
    EXPECT_EQ(pluginState.playerStatus, PLAYER_PAUSED);
    EXPECT_EQ(pluginState.drawnPlayerStatus, PLAYER_PAUSED);
    EXPECT_EQ(songLengthSec, 200);
    EXPECT_EQ(positionPercent, 31);
    EXPECT_EQ(LoggedSinceMark("USER"), (Queries{"0 105", "0 104", "1 105", "0 105"}));
    const bool phase = pluginState.blinkPhase;
    Poll();
    EXPECT_NE(pluginState.blinkPhase, phase);
    EXPECT_TRUE(pluginState.positionUnchanged);
}

// While the player plays, one question more: its entry. A song that
// changed under the same caption is counted; one that plays on is not.
TEST_F(PlayerPollTest, APlayingPlayerIsAskedItsEntryAndAnotherSongIsNoticed) {
    StartPlayer(PlayerSimState::Playing, 61500, 200);
    Poll();
    EXPECT_EQ(LoggedSinceMark("USER"), (Queries{"0 105", "0 104", "1 105", "0 105", "0 125"}));
    const uint32_t before = songChangesNoticed;
    Poll();
    EXPECT_EQ(songChangesNoticed, before) << "the song playing on";
    ASSERT_TRUE(SendPlayerSimPlaylist(sim.window, {{"A - One", 200}, {"B - Two", 200}}));
    Poll();
    EXPECT_EQ(songChangesNoticed, before + 1) << "the playlist replaced, at the same entry";
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "play 1"));
    Poll();
    EXPECT_EQ(songChangesNoticed, before + 2) << "another entry";
}

TEST_F(PlayerPollTest, APlayingPlayerWhosePositionMovesIsPlaying) {
    StartPlayer(PlayerSimState::Playing, 10000);
    Poll();
    Sleep(300);
    Poll();
    EXPECT_EQ(pluginState.playerStatus, PLAYER_PLAYING);
    EXPECT_FALSE(pluginState.positionUnchanged);
}

TEST_F(PlayerPollTest, WhileTheButtonIsHeldOnlyTheLengthIsRefreshed) {
    StartPlayer(PlayerSimState::Paused, 61500, 200);
    pluginState.buttonDown = true;
    positionPercent = 77;
    Poll();
    EXPECT_EQ(songLengthSec, 200);
    EXPECT_EQ(positionPercent, 77);
    EXPECT_TRUE(pluginState.drawnButtonDown);
}

TEST_F(PlayerPollTest, AStreamGivesAnEmptyBarAndCannotBeSought) {
    StartPlayer(PlayerSimState::Paused, 61500, -1);
    positionPercent = 50;
    Poll();
    EXPECT_EQ(songLengthSec, -1);
    EXPECT_EQ(positionPercent, 0);
    positionPercent = 31;
    MarkLog();
    SeekPlayer();
    EXPECT_EQ(LoggedSinceMark("USER"), Queries{});
}

TEST_F(PlayerPollTest, AMinimisedPlayerIsHiddenOnlyWhenAskedTo) {
    StartPlayer(PlayerSimState::Paused);
    ShowWindow(sim.window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(sim.window) != FALSE; }, 3000));
    Poll();
    PumpMessages(100);
    EXPECT_TRUE(IsWindowVisible(sim.window));
    pluginState.hideOnMinimize = true;
    Poll();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(sim.window); }, 3000));
}

TEST_F(PlayerPollTest, AHungPlayerCostsOneBoundedWaitAndTheNextPollRecovers) {
    StartPlayer(PlayerSimState::Paused, 61500, 200);
    Poll();
    ASSERT_EQ(positionPercent, 31);
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "hang 3000"));
    const DWORD start = GetTickCount();
    Poll();
    EXPECT_LT(GetTickCount() - start, 1500u);
    EXPECT_EQ(pluginState.playerStatus, PLAYER_PAUSED);
    EXPECT_EQ(positionPercent, 31);
    EXPECT_EQ(songLengthSec, 200);

    ASSERT_TRUE(SendPlayerSimControl(sim.window, "state stopped"));
    Poll();
    EXPECT_EQ(pluginState.playerStatus, PLAYER_STOPPED);
    EXPECT_EQ(positionPercent, -1);
}

// A player that answers each question 400 ms late: the tick only asks the
// worker, a tick while the poll is out asks nothing more, and the answers
// arrive as one poll.
TEST_F(PlayerPollTest, ASlowPlayerNeverHoldsTheTickAndOnePollIsOutAtATime) {
    StartPlayer(PlayerSimState::Paused, 61500, 200);
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "delay 400"));
    MarkLog();
    DWORD start = GetTickCount();
    PollPlayer(nullptr, 0, 0, 0);
    EXPECT_LT(GetTickCount() - start, 200u) << "the tick waited for the player";
    start = GetTickCount();
    PollPlayer(nullptr, 0, 0, 0);
    EXPECT_LT(GetTickCount() - start, 200u);
    ASSERT_TRUE(WaitUntil([] { return positionPercent == 31; }, 5000));
    EXPECT_EQ(pluginState.playerStatus, PLAYER_PAUSED);
    PumpMessages(500);
    EXPECT_EQ(LoggedSinceMark("USER"), (Queries{"0 105", "0 104", "1 105", "0 105"}));
}

// Some players answer 0 to every position query and ignore the seek; their
// standing still says nothing about a pause.
TEST_F(PlayerPollTest, APlayerThatKnowsNoPositionStaysPlayingAndPauseSendsPause) {
    StartPlayer(PlayerSimState::Playing);
    ASSERT_TRUE(SendPlayerSimControl(sim.window, "positions off"));
    Poll();
    Poll();
    EXPECT_EQ(pluginState.playerStatus, PLAYER_PLAYING);
    MarkLog();
    Press(HOT_PAUSE);
    EXPECT_EQ(LoggedSinceMark("COMMAND"), Queries{"40046"});
}
