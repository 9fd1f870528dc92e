// Turning the text of options and test commands into values.
#include "testbed/player/sim_values.h"

#include <windows.h>

#include <climits>

namespace player_sim {

bool ParseInt(std::string_view text, int* value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  constexpr size_t kMaxDigits = 10;  // enough for any int, small enough for long long
  if (text.empty() || text.size() > kMaxDigits) return false;
  long long magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
  }
  const long long result = negative ? -magnitude : magnitude;
  if (result < INT_MIN || result > INT_MAX) return false;
  *value = static_cast<int>(result);
  return true;
}

bool ParseState(std::string_view text, PlayState* state) {
  for (PlayState candidate : {PlayState::Playing, PlayState::Paused, PlayState::Stopped}) {
    if (text == StateName(candidate)) {
      *state = candidate;
      return true;
    }
  }
  return false;
}

const char* StateName(PlayState state) {
  switch (state) {
    case PlayState::Playing:
      return "playing";
    case PlayState::Paused:
      return "paused";
    case PlayState::Stopped:
      break;
  }
  return "stopped";
}

namespace {

// "Artist - Title|lengthSec", split at the last '|'.
bool ParseTitleAndLength(std::string_view text, Track* track) {
  const size_t bar = text.rfind('|');
  int length = 0;
  if (bar == std::string_view::npos || !ParseInt(text.substr(bar + 1), &length)) return false;
  track->title = std::string(text.substr(0, bar));
  track->lengthSec = length;
  return true;
}

}  // namespace

Track ParseTrackEntry(std::string_view text) {
  Track track;
  if (ParseTitleAndLength(text, &track)) return track;
  const size_t bar = text.rfind('|');
  if (bar != std::string_view::npos && ParseTitleAndLength(text.substr(0, bar), &track)) {
    track.file = std::string(text.substr(bar + 1));
    return track;
  }
  return {std::string(text), kDefaultTrackLengthSec};
}

std::vector<Track> ParseTrackEntryList(std::string_view text) {
  std::vector<Track> tracks;
  while (!text.empty()) {
    const size_t semicolon = text.find(';');
    const std::string_view entry = text.substr(0, semicolon);
    text.remove_prefix(semicolon == std::string_view::npos ? text.size() : semicolon + 1);
    if (!entry.empty()) tracks.push_back(ParseTrackEntry(entry));
  }
  return tracks;
}

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
  const int length =
      WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &narrow[0], length, nullptr, nullptr);
  }
  return narrow;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string Utf8FromWide(std::wstring_view text) { return FromWide(CP_UTF8, text); }
std::wstring WideFromAnsi(std::string_view text) { return ToWide(CP_ACP, text); }
std::string AnsiFromWide(std::wstring_view text) { return FromWide(CP_ACP, text); }

}  // namespace player_sim
