// The decisions of the status poll as pure functions of the player's
// answers: the standstill rule, the mapping to PlayerStatus, the position
// bar's percentage, the seek target, and whether the song may have changed
// under a caption that did not.
#pragma once

#include <cstdint>
#include <optional>

// What one status query concludes, and the values it leaves for the next.
struct StatusReading {
    int32_t answer;           // the player's state, 3 when "playing" stands still
    bool positionUnchanged;
    int32_t lastPositionMs;
};

// A player that keeps answering "playing" while its position stands still
// (a stalled stream, a stuck decoder) is reported as paused. Only a player
// known to report positions (positionKnown) can be seen standing still:
// some players answer 0 to every position query.
StatusReading ReadStatus(int32_t positionMs, int32_t stateAnswer, int32_t lastPositionMs, bool positionKnown);

// The state the control shows for the player's answer: "playing" while its
// position stands still reads as paused.
int32_t StateShown(int32_t stateAnswer, bool positionUnchanged);

// The player's answer as PlayerStatus: 0 -> stopped, 1 -> playing,
// 3 -> paused; anything else is kept as received.
int32_t MapPlayStatus(int32_t answer);

// positionMs in whole seconds, rounded half away from zero: what the poll
// keeps as the time played and what the time tips show.
int32_t WholeSeconds(int32_t positionMs);

// Whole seconds of positionMs against lengthSec, 0..100. A stream answers
// a length of -1 and a track not yet read 0: both give 0.
int32_t PositionPercent(int32_t positionMs, int32_t lengthSec);

// Milliseconds to jump to for percent of a track of lengthSec; nothing for a
// stream or an unknown length, where no position can be named.
std::optional<int32_t> SeekTargetMs(int32_t lengthSec, int32_t percent);

// One poll of a playing player, as far as it tells songs apart: its
// playlist entry, its position, and the tick at which the position was asked.
struct SongReading {
    int32_t entry;
    int32_t positionMs;
    uint32_t askedAt;
};

// Pure: whether the song now may be another than at the reading before:
// its playlist entry moved, or it started over (its position went back to
// no further than a song begun since that reading can have played). A seek
// back near the start looks the same; asking once more costs little.
bool SongMayHaveChanged(const SongReading& before, const SongReading& now);
