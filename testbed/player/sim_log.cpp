// The stand-in player's log file.
#include "testbed/player/sim_log.h"

#include <windows.h>

namespace player_sim {
namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;

}  // namespace

std::string FormatLogLine(uint32_t tick, std::string_view kind, std::string_view text) {
  std::string line = std::to_string(tick);
  line += ' ';
  line += kind;
  if (!text.empty()) {
    line += ' ';
    for (char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
  }
  line += '\n';
  return line;
}

void OpenSimLog(const std::string& path) {
  if (path.empty()) return;
  // Append-only access makes each line one write at the end of the file,
  // so lines from two instances never overwrite each other.
  logFile = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void LogEvent(std::string_view kind, std::string_view text) {
  if (logFile == INVALID_HANDLE_VALUE) return;
  const std::string line = FormatLogLine(GetTickCount(), kind, text);
  DWORD written = 0;
  WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void CloseSimLog() {
  if (logFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(logFile);
  logFile = INVALID_HANDLE_VALUE;
}

}  // namespace player_sim
