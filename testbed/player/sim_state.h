// The one record of the stand-in player process: what it plays, how it
// behaves, and the caption last set on its window.
#pragma once

#include <windows.h>

#include <string>

#include "testbed/player/sim_control.h"

namespace player_sim {

struct SimState {
  PlayerRuntime runtime;
  std::string shownCaption;
};

extern SimState simState;

}  // namespace player_sim
