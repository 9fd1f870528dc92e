// The poll's decisions on their own: standstill, the status mapping, the
// position bar's percentage and the seek target.
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ReadStatus, PlayingWithAMovingPositionStaysPlaying) {
    const StatusReading reading = ReadStatus(12000, 1, 11000);
    EXPECT_EQ(reading.answer, 1);
    EXPECT_FALSE(reading.positionUnchanged);
    EXPECT_EQ(reading.lastPositionMs, 12000);
}

TEST(ReadStatus, PlayingWhileStandingStillReadsAsPaused) {
    const StatusReading reading = ReadStatus(12000, 1, 12000);
    EXPECT_EQ(reading.answer, 3);
    EXPECT_TRUE(reading.positionUnchanged);
    EXPECT_EQ(MapPlayStatus(reading.answer), PLAYER_PAUSED);
}

TEST(ReadStatus, StoppedClearsTheStandstillEvenWhenThePositionDidNotMove) {
    const StatusReading reading = ReadStatus(0, 0, 0);
    EXPECT_EQ(reading.answer, 0);
    EXPECT_FALSE(reading.positionUnchanged);
}

TEST(ReadStatus, PausedKeepsItsAnswerAndNotesTheStandstill) {
    const StatusReading reading = ReadStatus(5000, 3, 5000);
    EXPECT_EQ(reading.answer, 3);
    EXPECT_TRUE(reading.positionUnchanged);
}

TEST(MapPlayStatus, MapsThePlayersAnswersAndKeepsUnknownOnes) {
    EXPECT_EQ(MapPlayStatus(0), PLAYER_STOPPED);
    EXPECT_EQ(MapPlayStatus(1), PLAYER_PLAYING);
    EXPECT_EQ(MapPlayStatus(3), PLAYER_PAUSED);
    EXPECT_EQ(MapPlayStatus(2), 2);
    EXPECT_EQ(MapPlayStatus(7), 7);
    EXPECT_EQ(MapPlayStatus(-1), PLAYER_NOT_RUNNING);
}

TEST(PositionPercent, RoundsTheSecondsThenThePercentageHalfAway) {
    EXPECT_EQ(PositionPercent(61500, 200), 31);  // 62 s of 200
    EXPECT_EQ(PositionPercent(61499, 200), 31);  // 61 s: 30.5 rounds up too
    EXPECT_EQ(PositionPercent(60499, 200), 30);  // 60 s
    EXPECT_EQ(PositionPercent(1000, 3), 33);
    EXPECT_EQ(PositionPercent(2000, 3), 67);
    EXPECT_EQ(PositionPercent(0, 200), 0);
    EXPECT_EQ(PositionPercent(200000, 200), 100);
}

TEST(PositionPercent, AStreamOrAnUnknownLengthGivesZero) {
    EXPECT_EQ(PositionPercent(61500, -1), 0);
    EXPECT_EQ(PositionPercent(61500, 0), 0);
    EXPECT_EQ(PositionPercent(61500, INT_MIN), 0);
}

TEST(PositionPercent, StaysOnTheBarPastTheRoundedLengthAndBeforeTheStart) {
    EXPECT_EQ(PositionPercent(200600, 200), 100);
    EXPECT_EQ(PositionPercent(INT_MAX, 1), 100);
    EXPECT_EQ(PositionPercent(-1, 200), 0);
    EXPECT_EQ(PositionPercent(-5000, 200), 0);
}

TEST(SeekTargetMs, IsLengthTimesPercentInMilliseconds) {
    EXPECT_EQ(SeekTargetMs(200, 31), 62000);
    EXPECT_EQ(SeekTargetMs(200, 0), 0);
    EXPECT_EQ(SeekTargetMs(200, 100), 200000);
}

TEST(SeekTargetMs, NamesNoPositionOnAStreamOrWithoutAPercentage) {
    EXPECT_FALSE(SeekTargetMs(-1, 31).has_value());
    EXPECT_FALSE(SeekTargetMs(0, 31).has_value());
    EXPECT_FALSE(SeekTargetMs(200, -1).has_value());
}

TEST(SeekTargetMs, AnEndlessLengthDoesNotOverflow) {
    EXPECT_EQ(SeekTargetMs(INT_MAX, 100), INT_MAX);
}
