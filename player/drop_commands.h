// The command lines that hand dropped files to the player, one start per
// file: "/ADD " before a quoted name appends the file to the playlist, a
// quoted name alone opens it in the playlist's place.
#pragma once

#include "plugin/state/plugin_state.h"

#include <string>
#include <string_view>
#include <vector>

constexpr std::string_view kAppendPrefix = "/ADD ";

// Whether the first file is appended, by [player playing][Shift held]: a
// plain drop adds to what a playing player plays and replaces what any
// other player holds; Shift turns that round.
constexpr bool kFirstFileAppends[2][2] = {
    /* not playing */ {false, true},
    /* playing */ {true, false},
};

constexpr bool FirstFileAppends(int playerStatus, bool shiftHeld) {
    return kFirstFileAppends[playerStatus == PLAYER_PLAYING][shiftHeld];
}

// The parameter text that appends name, or opens it in the playlist's place.
std::string DropCommandLine(std::string_view name, bool append);
