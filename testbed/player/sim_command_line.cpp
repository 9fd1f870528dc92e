// Reading the stand-in player's command line.
#include "testbed/player/sim_command_line.h"

#include "testbed/player/player_sim_protocol.h"

namespace player_sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view text, size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

// Reads one token starting at `at` (no leading blanks); returns the offset
// just past it.
size_t ReadToken(std::string_view text, size_t at, std::string* token) {
  bool quoted = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '"') {
      quoted = !quoted;
    } else if (IsBlank(c) && !quoted) {
      break;
    } else {
      token->push_back(c);
    }
  }
  return at;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> tokens;
  for (size_t at = SkipBlanks(text, 0); at < text.size(); at = SkipBlanks(text, at)) {
    std::string token;
    at = ReadToken(text, at, &token);
    tokens.push_back(std::move(token));
  }
  return tokens;
}

std::string_view ArgumentsOf(std::string_view commandLine) {
  size_t at = SkipBlanks(commandLine, 0);
  // The program name ends at its closing quote, or at a blank when unquoted:
  // quotes inside an unquoted name do not group.
  if (at < commandLine.size() && commandLine[at] == '"') {
    const size_t close = commandLine.find('"', at + 1);
    at = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (at < commandLine.size() && !IsBlank(commandLine[at])) ++at;
  }
  return commandLine.substr(SkipBlanks(commandLine, at));
}

ConfigSplit SplitConfigArgument(std::string_view arguments) {
  const std::string_view prefix = kConfigArgPrefix;
  const size_t start = SkipBlanks(arguments, 0);
  std::string token;
  const size_t end = ReadToken(arguments, start, &token);
  if (token.compare(0, prefix.size(), prefix) != 0) return {std::string(), arguments.substr(start)};
  return {token.substr(prefix.size()), arguments.substr(SkipBlanks(arguments, end))};
}

Track TrackForFile(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return {std::string(name), kOpenedFileLengthSec, std::string(path)};
}

FileRequest ParseFileArguments(std::string_view arguments) {
  FileRequest request;
  bool adding = false;
  for (const std::string& token : SplitArguments(arguments)) {
    if (EqualsNoCase(token, "/ADD")) {
      adding = true;
    } else if (!token.empty() && token[0] != '/') {
      (adding ? request.added : request.opened).push_back(TrackForFile(token));
    }
  }
  return request;
}

PlayerModel ApplyFileArguments(PlayerModel model, std::string_view arguments, uint32_t now) {
  FileRequest request = ParseFileArguments(arguments);
  model = ReplacePlaylist(std::move(model), std::move(request.opened), now);
  return AppendTracks(std::move(model), request.added);
}

}  // namespace player_sim
