// Drawing the stand-in player's face: the caption and the transport line,
// so screenshots of tests and the demo show what the player is doing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "testbed/player/sim_control.h"

namespace player_sim {

void PaintPlayer(HDC dc, const RECT& area, const PlayerRuntime& runtime, uint32_t now);

}  // namespace player_sim
