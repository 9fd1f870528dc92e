// Turning the text of options and test commands into values: whole
// integers, state names and "Artist - Title|lengthSec" playlist entries.
#pragma once

#include <string>
#include <string_view>

#include "testbed/player/player_model.h"

namespace player_sim {

// The whole text must be a decimal integer (optionally signed) that fits.
bool ParseInt(std::string_view text, int* value);

// "playing", "paused" or "stopped".
bool ParseState(std::string_view text, PlayState* state);
const char* StateName(PlayState state);

// Splits at the last '|' so titles may hold the character themselves; a
// missing or unreadable length gives kDefaultTrackLengthSec with the whole
// text as the title.
constexpr int kDefaultTrackLengthSec = 200;
Track ParseTrackSpec(std::string_view text);

// UTF-8 as UTF-16, for the texts of a Unicode window.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// The system's ANSI code page both ways; what it lacks becomes '?'.
std::wstring WideFromAnsi(std::string_view text);
std::string AnsiFromWide(std::wstring_view text);

}  // namespace player_sim
