// What tests may change while the stand-in player runs, and the text
// commands that change it: "state paused", "caption <raw>", "caption-auto",
// "hang <ms>", "delay <ms>", "title <Artist - Title>", "file <path>",
// "length <s>", "position <ms>", "clear-delay <ms>", "playlist-reverse",
// "playlist <track>;<track>;...", "play <entry>" (0-based, made current and
// played).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "testbed/player/player_model.h"
#include "testbed/player/sim_options.h"

namespace player_sim {

struct PlayerRuntime {
  PlayerModel model;
  std::string captionSuffix;
  std::optional<std::string> rawCaption;
  bool unicodeWindow = false;  // captions are UTF-8
  int scrollMs = 0;
  size_t scrollStep = 0;  // characters the caption has turned so far
  int answerDelayMs = 0;  // each query, and each file handed over by message
  int commandDelayMs = 0;  // a slow player: each command takes this long
  int pendingHangMs = 0;  // the next query or file blocks this long; kHangForever
  int clearDelayMs = 0;   // a clear of the playlist is carried out this late
  bool reportsPosition = true;  // off: position and length read 0, seeks are ignored
  TitlePointers titlePointers = TitlePointers::Kept;
  bool wideFileNames = true;  // off: 214 answers 0
  bool quietQuestions = false;  // questions neither logged nor redrawn
};

PlayerRuntime InitialRuntime(const SimOptions& options, uint32_t now);

// The caption as the window shows it, turned by scrollStep in scrolling mode.
std::string CurrentCaption(const PlayerRuntime& runtime);

// The text read as a circle from its `steps`-th character on (characters
// are code points when utf8, bytes otherwise).
std::string RotateCaption(std::string_view text, size_t steps, bool utf8);

// The runtime after the command, or nothing when the command is not one of
// ours or its argument does not fit it.
std::optional<PlayerRuntime> ApplyControl(PlayerRuntime runtime, std::string_view command, uint32_t now);

}  // namespace player_sim
