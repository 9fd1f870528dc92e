// Where the stand-in player keeps the titles whose addresses it hands out
// (212 and 213), as a real player points into its own playlist.
#pragma once

#include <cstdint>

#include "testbed/player/sim_control.h"

namespace player_sim {

// The address of entry index's title in this process, in the system's code
// page or (wide) UTF-16; 0 for an entry outside the playlist, and for
// wide on a window that is not Unicode. A title handed out stays where it
// is for the player's life. With TitlePointers::Garbage, an address
// nothing can be read at.
uintptr_t TitleAddress(const PlayerRuntime& runtime, int32_t index, bool wide);

}  // namespace player_sim
