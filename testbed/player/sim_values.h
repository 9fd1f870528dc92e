// Turning the text of options and test commands into values: whole
// integers, state names and "Artist - Title|lengthSec[|file]" playlist
// entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "testbed/player/player_model.h"

namespace player_sim {

// The whole text must be a decimal integer (optionally signed) that fits.
bool ParseInt(std::string_view text, int* value);

// "playing", "paused" or "stopped".
bool ParseState(std::string_view text, PlayState* state);
const char* StateName(PlayState state);

// "Artist - Title|lengthSec", optionally followed by "|<file>". The length
// is the part after the last '|' when that part is a whole number, so
// titles may hold the character themselves and every entry written before
// files could be named reads as it did; otherwise a file name, which cannot
// hold '|', is the part after the last one and the length the part before
// it. (A file name that is a bare number is therefore read as a length.)
// No readable length gives kDefaultTrackLengthSec with the whole text as
// the title and no file.
constexpr int kDefaultTrackLengthSec = 200;
Track ParseTrackEntry(std::string_view text);
// Entries separated by ';', which no entry may hold; empty ones are skipped.
std::vector<Track> ParseTrackEntryList(std::string_view text);

// UTF-8 as UTF-16, for the texts of a Unicode window.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// The system's ANSI code page both ways; what it lacks becomes '?'.
std::wstring WideFromAnsi(std::string_view text);
std::string AnsiFromWide(std::wstring_view text);

}  // namespace player_sim
