// The stand-in player's playlist, transport state and clock as plain values:
// every operation takes the model and the current tick and returns the new
// model, so the window code stays thin and the rules can be tested directly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace player_sim {

enum class PlayState { Stopped, Playing, Paused };

// A length of -1 marks a stream; any length of 0 or less never ends.
struct Track {
  std::string title;  // "Artist - Title"
  int lengthSec = 0;
  // As written, in the same characters as the title; empty when the entry
  // names no file. Brace-initialised so entries written as {title, length}
  // need not name it.
  std::string file{};
};

// The current entry when there is none: after the playlist was cleared,
// until an entry is chosen. Nothing plays then.
constexpr int kNoEntry = -1;

struct PlayerModel {
  std::vector<Track> playlist;  // empty once cleared
  int current = 0;              // 0-based, or kNoEntry
  PlayState state = PlayState::Stopped;
  // While playing the position is anchorPositionMs plus the time since
  // anchorTick; paused or stopped it is anchorPositionMs (0 when stopped).
  int anchorPositionMs = 0;
  uint32_t anchorTick = 0;
  int volume = 200;
  bool shuffle = false;
  bool repeat = false;  // after the last track the first plays again
};

constexpr int kVolumeMax = 255;
constexpr int kVolumeStep = 3;  // about one percent of the range
constexpr int kSkipMs = 5000;
constexpr int kOpenedFileLengthSec = 180;

PlayerModel MakeDefaultModel();

int PositionMs(const PlayerModel& model, uint32_t now);
// nullptr when there is no current entry.
const Track* CurrentTrack(const PlayerModel& model);
Track* CurrentTrack(PlayerModel& model);
// -1 (as a stream's) when there is no current entry.
int CurrentLengthSec(const PlayerModel& model);

// Moves past tracks whose end the clock has passed; after the last track the
// player stops, as a real player without repeat does, or starts the first
// again with repeat on.
PlayerModel Settle(PlayerModel model, uint32_t now);

PlayerModel Play(PlayerModel model, uint32_t now);
PlayerModel TogglePause(PlayerModel model, uint32_t now);
PlayerModel Stop(PlayerModel model);
PlayerModel SetState(PlayerModel model, PlayState state, uint32_t now);
PlayerModel SeekTo(PlayerModel model, int positionMs, uint32_t now);
PlayerModel ReplacePlaylist(PlayerModel model, std::vector<Track> tracks, uint32_t now);
// The playlist in the opposite order; the current entry follows its song,
// which plays on as it did.
PlayerModel ReversePlaylist(PlayerModel model);
// The playlist replaced while the player runs, as an edit of it: entry 0
// becomes current, at its start, in the state the player was in; an empty
// playlist leaves no current entry, stopped.
PlayerModel RewritePlaylist(PlayerModel model, std::vector<Track> tracks, uint32_t now);
// Appending leaves the current entry as it was, none included.
PlayerModel AppendTracks(PlayerModel model, const std::vector<Track>& tracks);
PlayerModel ClearPlaylist(PlayerModel model);
// The entry becomes the current one, stopped at its start; an index
// outside the playlist changes nothing.
PlayerModel SelectEntry(PlayerModel model, int index);
// Starts the current entry from its start; nothing without one.
PlayerModel PlayCurrent(PlayerModel model, uint32_t now);

// Applies one of the player's WM_COMMAND numbers that change the model;
// others leave it as it is.
PlayerModel ApplyCommand(PlayerModel model, int commandId, uint32_t now);

// A WM_USER message (code in lParam) answered: the status, time, volume,
// playlist, shuffle and repeat queries, the seek, which also moves the
// clock, the playlist's clear, select and play, and shuffle and repeat set.
struct QueryResult {
  PlayerModel model;
  long answer = 0;
};
QueryResult AnswerQuery(PlayerModel model, int32_t wParam, int32_t code, uint32_t now);

// "N. Artist - Title<suffix>", then " [Paused]" or " [Stopped]"; with no
// current entry the player's bare name, as before anything has played:
// the suffix without its leading dash, or "Winamp" when it is empty.
std::string ComposeCaption(const PlayerModel& model, std::string_view suffix);

}  // namespace player_sim
