// Reading the stand-in player's command line: the program name, the optional
// "--config=<path>" first argument, and the files to open or append
// ("/ADD" before a file appends it; a bare file replaces the playlist).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "testbed/player/player_model.h"

namespace player_sim {

// Tokens split at blanks outside double quotes, with the quotes removed.
std::vector<std::string> SplitArguments(std::string_view text);

// What follows the program name and the blanks after it.
std::string_view ArgumentsOf(std::string_view commandLine);

struct ConfigSplit {
  std::string configPath;  // empty when the first argument names no config
  std::string_view rest;   // the arguments after it, as written
};
ConfigSplit SplitConfigArgument(std::string_view arguments);

// A file's playlist entry: titled by its name without folder and
// extension, and naming the file as given.
Track TrackForFile(std::string_view path);

struct FileRequest {
  std::vector<Track> opened;  // replace the playlist and play
  std::vector<Track> added;   // appended, state unchanged
};
FileRequest ParseFileArguments(std::string_view arguments);

PlayerModel ApplyFileArguments(PlayerModel model, std::string_view arguments, uint32_t now);

}  // namespace player_sim
