// Finding and reading the INI file a start of the stand-in player, or of
// its launcher, takes its options from.
#pragma once

#include <string>

#include "testbed/player/sim_options.h"

namespace player_sim {

// The options of the file a first "--config=" argument names (its path as
// SplitConfigArgument gives it), or, when there is none, of the file
// PELORIN_SIM_CONFIG names; the defaults when neither can be read.
SimOptions LoadSimOptions(const std::string& configArgumentPath);

}  // namespace player_sim
