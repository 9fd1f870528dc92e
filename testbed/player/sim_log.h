// The stand-in player's log: one line per message that matters, with the
// tick it arrived at, appended and flushed at once so tests can read it
// while the player runs. Every instance appends to the same file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace player_sim {

// "<tick> <kind> <text>\n"; line breaks inside the text become blanks so a
// message stays on one line.
std::string FormatLogLine(uint32_t tick, std::string_view kind, std::string_view text);

void OpenSimLog(const std::string& path);
void LogEvent(std::string_view kind, std::string_view text);
void CloseSimLog();

}  // namespace player_sim
