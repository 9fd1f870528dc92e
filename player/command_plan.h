// The player's command numbers by button row, and what one press sends:
// a pure function of the cell, Shift, the standstill flag and the volume
// steps, so the command worker only carries the plan out.
#pragma once

#include "plugin/state/plugin_state.h"

#include <array>
#include <cstdint>

// WM_COMMAND numbers indexed by row: rows 0..9 are the cells of the same
// HotItem number, rows 10 and 11 are Prev and Next with Shift held.
inline constexpr std::array<int32_t, 12> PlayerCommandTable = {
    40001,  // 0 On/Off: closes the player
    40045,  // 1 Play
    40046,  // 2 Pause
    40047,  // 3 Stop
    40058,  // 4 Vol +
    0,      // 5 Display: no command
    40029,  // 6 Open: the player's file dialog
    40044,  // 7 Prev
    40048,  // 8 Next
    40059,  // 9 Vol -
    40061,  // 10 Prev with Shift: back 5 seconds
    40060,  // 11 Next with Shift: forward 5 seconds
};

// Rows 0..9 are the cells' own HotItem numbers (plugin/state/plugin_state.h).
constexpr int ROW_REWIND = 10;
constexpr int ROW_FAST_FORWARD = 11;

constexpr int kMaxVolumeSteps = 10;
// One volume press: the plain send and up to kMaxVolumeSteps repeats.
constexpr int kMaxCommandSends = 1 + kMaxVolumeSteps;

struct Press {
    int cell;                // HotItem held when the press started
    bool shift;
    bool positionUnchanged;
    int volumeSteps;
};

struct CommandPlan {
    std::array<int, kMaxCommandSends> rows{};  // table rows, in sending order
    int count = 0;
    bool playInsteadOfPause = false;  // show the Play cell as the current one
    bool setsPositionUnchanged = false;
    bool positionUnchanged = false;   // the new value when setsPositionUnchanged
};

CommandPlan PlanCommand(const Press& press);
