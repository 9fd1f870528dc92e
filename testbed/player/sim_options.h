// The stand-in player's options, read from the INI text that tests and the
// demo write: what it plays at start, how its caption reads, how slowly (or
// never) it answers, whether it takes its command line, when it ends by
// itself, and where it logs; and how the launcher that shares the file
// starts it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testbed/player/player_model.h"

namespace player_sim {

enum class TitlePointers { Kept, Garbage };

struct SimOptions {
  std::vector<Track> playlist;  // empty: the built-in playlist
  size_t current = 0;           // 0-based, clamped to the playlist
  PlayState state = PlayState::Playing;
  int positionMs = 0;
  int volume = 200;
  std::string captionSuffix = " - Winamp";
  std::optional<std::string> rawCaption;  // set: shown instead of the composed one
  bool unicodeWindow = false;             // texts are UTF-8, set as UTF-16
  int scrollMs = 0;                       // 0: the caption stands still
  int answerDelayMs = 0;
  int commandDelayMs = 0;
  int firstQueryHangMs = 0;  // kHangForever: the first query never returns
  int startDelayMs = 0;
  int forwardDelayMs = 0;  // a second instance, before it hands over its arguments
  std::string forwardDelayFor;  // ...when they hold this text (empty: always)
  std::string logPath;
  bool ignoreCommandLine = false;  // every start is a player of its own
  int exitAfterMs = -1;            // 0 or more: ends this long after its window showed
  bool exitAtStart = false;        // ends before making any window
  bool reportsPosition = true;     // off: position and length read 0, seeks are ignored
  bool shuffle = false;
  bool repeat = false;
  TitlePointers titlePointers = TitlePointers::Kept;
  bool wideFileNames = true;  // off: 214 answers 0 even on a Unicode window
  bool quietQuestions = false;
  bool launcherWindowlessChild = false;  // the launcher starts a windowless child first
  int launcherPlayerAfterMs = 0;         // ...and the player this long after it
  bool launcherMiddleProcess = false;    // the player is started by a process between, which ends at once
};

constexpr int kHangForever = -1;

SimOptions ParseSimOptions(std::string_view iniText);

// The model the player starts with, its clock starting at `now`.
PlayerModel InitialModel(const SimOptions& options, uint32_t now);

}  // namespace player_sim
