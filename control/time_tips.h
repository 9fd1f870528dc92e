// The button tip's texts that tell the time: over the position bar, the
// place a click there would jump to; over the Display cell, the time
// played; each against the song's length, "1:23 / 4:56". Digits and the
// slash read the same in both languages.
#pragma once

#include "skin/geometry.h"

#include <cstdint>
#include <string>

// Pure: "m:ss" below an hour, "h:mm:ss" from an hour on; seconds >= 0.
std::string FormatPlayTime(int32_t seconds);

// Pure: "<at> / <length>" while the player plays or is paused in a song of
// known length, at kept within the song; "" otherwise: a stream answers a
// length of -1, a player that knows no positions 0.
std::string PlayTimeTip(int32_t atSec, int32_t lengthSec, int playerStatus);

// Pure: the time tip for the pointer at client x over the position bar:
// the whole second a click there seeks to.
std::string BarTimeTip(int x, const Geometry& geometry, int32_t lengthSec, int playerStatus);
