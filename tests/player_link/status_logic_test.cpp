// The poll's decisions on their own: standstill, status mapping, the bar's
// percentage, the seek target, and another song under the same caption.
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"

#include <gtest/gtest.h>

#include <climits>

TEST(StatusLogic, APlayerThatAnswersPlayingWhileStandingStillIsPaused) {
    const StatusReading moving = ReadStatus(12000, 1, 11000, true);
    EXPECT_EQ(MapPlayStatus(moving.answer), PLAYER_PLAYING);
    EXPECT_FALSE(moving.positionUnchanged);
    EXPECT_EQ(moving.lastPositionMs, 12000);

    const StatusReading still = ReadStatus(12000, 1, 12000, true);
    EXPECT_EQ(MapPlayStatus(still.answer), PLAYER_PAUSED);
    EXPECT_TRUE(still.positionUnchanged);

    const StatusReading stopped = ReadStatus(0, 0, 0, true);
    EXPECT_EQ(MapPlayStatus(stopped.answer), PLAYER_STOPPED);
    EXPECT_FALSE(stopped.positionUnchanged);

    EXPECT_EQ(MapPlayStatus(ReadStatus(5000, 3, 4000, true).answer), PLAYER_PAUSED);
    EXPECT_EQ(MapPlayStatus(7), 7);
}

TEST(StatusLogic, APlayerNotKnownToReportPositionsIsNeverSeenStandingStill) {
    const StatusReading zero = ReadStatus(0, 1, 0, false);
    EXPECT_EQ(MapPlayStatus(zero.answer), PLAYER_PLAYING);
    EXPECT_FALSE(zero.positionUnchanged) << "so Pause sends Pause";
}

TEST(StatusLogic, PercentageRoundsSecondsThenPercentHalfAwayAndStaysOnTheBar) {
    EXPECT_EQ(PositionPercent(61500, 200), 31);  // 62 s
    EXPECT_EQ(PositionPercent(61499, 200), 31);  // 61 s: 30.5 rounds up
    EXPECT_EQ(PositionPercent(60499, 200), 30);
    EXPECT_EQ(PositionPercent(2000, 3), 67);
    EXPECT_EQ(PositionPercent(200600, 200), 100);  // past the rounded-down length
    EXPECT_EQ(PositionPercent(-5000, 200), 0);
    // A stream answers -1 for its length, a track not yet read 0.
    EXPECT_EQ(PositionPercent(61500, -1), 0);
    EXPECT_EQ(PositionPercent(61500, 0), 0);
}

TEST(StatusLogic, SeekTargetIsLengthTimesPercentAndNothingWithoutALength) {
    EXPECT_EQ(SeekTargetMs(200, 31), 62000);
    EXPECT_EQ(SeekTargetMs(200, 0), 0);
    EXPECT_EQ(SeekTargetMs(INT_MAX, 100), INT_MAX);
    EXPECT_FALSE(SeekTargetMs(-1, 31).has_value());
    EXPECT_FALSE(SeekTargetMs(0, 31).has_value());
    EXPECT_FALSE(SeekTargetMs(200, -1).has_value());
}

TEST(StatusLogic, AnotherSongIsAnotherEntryOrTheSongStartedOver) {
    const SongReading before{3, 61500, 10000};
    struct Case {
        const char* what;
        SongReading before;
        SongReading now;
        bool changed;
    };
    const Case cases[] = {
        {"playing on", before, {3, 62500, 11000}, false},
        {"another entry", before, {4, 62500, 11000}, true},
        {"started over since", before, {3, 400, 11000}, true},
        {"started over as it was last read", before, {3, 1200, 11000}, true},
        {"sought back to the middle", before, {3, 30000, 11000}, false},
        {"a player that answers 0 for every position", {3, 0, 10000}, {3, 0, 11000}, false},
        {"started over across the tick count's wrap", {3, 61500, 0xFFFFFE00u}, {3, 400, 0x300}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(SongMayHaveChanged(c.before, c.now), c.changed) << c.what;
}
