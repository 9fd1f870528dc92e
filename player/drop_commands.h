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

// One parameter text per name, in order. Every file after the first is
// always appended.
std::vector<std::string> DropCommandLines(const std::vector<std::string_view>& names, int playerStatus,
                                          bool shiftHeld);
