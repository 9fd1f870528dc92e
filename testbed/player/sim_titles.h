// Where the stand-in player keeps the texts of its playlist entries whose
// addresses it hands out, titles (212, 213) and file names (211, 214), as
// a real player points into its own playlist.
#pragma once

#include <cstdint>

#include "testbed/player/sim_control.h"

namespace player_sim {

enum class EntryText { Title, File };

// The address of entry index's title or file name in this process, in the
// system's code page or (wide) UTF-16; 0 for an entry outside the
// playlist, for the file name of an entry that names none, and for wide on
// a window that is not Unicode (or, for file names, one whose player knows
// no wide ones). A text handed out stays where it is for
// the player's life. With TitlePointers::Garbage, an address nothing can
// be read at.
uintptr_t EntryTextAddress(const PlayerRuntime& runtime, int32_t index, EntryText which, bool wide);

}  // namespace player_sim
