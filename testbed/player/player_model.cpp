// The stand-in player's playlist, transport state and clock.
#include "testbed/player/player_model.h"

#include <algorithm>
#include <utility>

#include "testbed/player/player_sim_protocol.h"

namespace player_sim {
namespace {

bool HasEnd(const Track& track) { return track.lengthSec > 0; }

// Wide, so a test's huge length cannot overflow.
long long EndMs(const Track& track) { return track.lengthSec * 1000LL; }

PlayerModel StartTrackAt(PlayerModel model, int index, uint32_t now) {
  model.current = index;
  model.state = PlayState::Playing;
  model.anchorPositionMs = 0;
  model.anchorTick = now;
  return model;
}

}  // namespace

PlayerModel MakeDefaultModel() {
  PlayerModel model;
  model.playlist = {{"Northwind Choir - Harbour Lights", 200},
                    {"Ada Fenwick - Paper Boats", 245},
                    {"The Quiet Engines - Slow Signal", 187}};
  return model;
}

int PositionMs(const PlayerModel& model, uint32_t now) {
  switch (model.state) {
    case PlayState::Playing:
      return model.anchorPositionMs + static_cast<int>(now - model.anchorTick);
    case PlayState::Paused:
      return model.anchorPositionMs;
    case PlayState::Stopped:
      break;
  }
  return 0;
}

const Track* CurrentTrack(const PlayerModel& model) {
  if (model.current < 0 || static_cast<size_t>(model.current) >= model.playlist.size()) return nullptr;
  return &model.playlist[static_cast<size_t>(model.current)];
}

Track* CurrentTrack(PlayerModel& model) {
  return const_cast<Track*>(CurrentTrack(static_cast<const PlayerModel&>(model)));
}

int CurrentLengthSec(const PlayerModel& model) {
  const Track* track = CurrentTrack(model);
  return track ? track->lengthSec : -1;
}

PlayerModel Settle(PlayerModel model, uint32_t now) {
  while (model.state == PlayState::Playing) {
    const Track* track = CurrentTrack(model);
    if (!track) return Stop(std::move(model));
    if (!HasEnd(*track) || PositionMs(model, now) <= EndMs(*track)) break;
    const uint32_t endTick = model.anchorTick + static_cast<uint32_t>(EndMs(*track) - model.anchorPositionMs);
    const bool last = static_cast<size_t>(model.current) + 1 >= model.playlist.size();
    if (last && !model.repeat) return Stop(std::move(model));
    const int next = last ? 0 : model.current + 1;
    model = StartTrackAt(std::move(model), next, endTick);
  }
  return model;
}

PlayerModel Play(PlayerModel model, uint32_t now) {
  if (model.state == PlayState::Paused) {
    model.state = PlayState::Playing;
    model.anchorTick = now;
    return model;
  }
  // From stopped the track starts; while playing it starts over.
  return PlayCurrent(std::move(model), now);
}

PlayerModel TogglePause(PlayerModel model, uint32_t now) {
  if (model.state == PlayState::Playing) {
    model.anchorPositionMs = PositionMs(model, now);
    model.state = PlayState::Paused;
  } else if (model.state == PlayState::Paused) {
    model = Play(std::move(model), now);
  }
  return model;
}

PlayerModel Stop(PlayerModel model) {
  model.state = PlayState::Stopped;
  model.anchorPositionMs = 0;
  return model;
}

PlayerModel SetState(PlayerModel model, PlayState state, uint32_t now) {
  if (state == model.state) return model;
  switch (state) {
    case PlayState::Playing:
      return Play(std::move(model), now);
    case PlayState::Paused:
      // A stopped player cannot pause; tests asking for it get a paused
      // player at the start of the track, if there is one.
      if (!CurrentTrack(model)) return model;
      model.anchorPositionMs = PositionMs(model, now);
      model.state = PlayState::Paused;
      return model;
    case PlayState::Stopped:
      break;
  }
  return Stop(std::move(model));
}

PlayerModel SeekTo(PlayerModel model, int positionMs, uint32_t now) {
  const Track* track = CurrentTrack(model);
  if (model.state == PlayState::Stopped || !track) return model;
  int target = std::max(positionMs, 0);
  if (HasEnd(*track) && target > EndMs(*track)) target = static_cast<int>(EndMs(*track));
  model.anchorPositionMs = target;
  model.anchorTick = now;
  return model;
}

PlayerModel ReplacePlaylist(PlayerModel model, std::vector<Track> tracks, uint32_t now) {
  if (tracks.empty()) return model;
  model.playlist = std::move(tracks);
  return StartTrackAt(std::move(model), 0, now);
}

PlayerModel ReversePlaylist(PlayerModel model) {
  std::reverse(model.playlist.begin(), model.playlist.end());
  if (CurrentTrack(model)) model.current = static_cast<int>(model.playlist.size()) - 1 - model.current;
  return model;
}

PlayerModel RewritePlaylist(PlayerModel model, std::vector<Track> tracks, uint32_t now) {
  if (tracks.empty()) return ClearPlaylist(std::move(model));
  model.playlist = std::move(tracks);
  model.current = 0;
  model.anchorPositionMs = 0;
  model.anchorTick = now;
  return model;
}

PlayerModel AppendTracks(PlayerModel model, const std::vector<Track>& tracks) {
  model.playlist.insert(model.playlist.end(), tracks.begin(), tracks.end());
  return model;
}

PlayerModel ClearPlaylist(PlayerModel model) {
  model.playlist.clear();
  model.current = kNoEntry;
  return Stop(std::move(model));
}

PlayerModel SelectEntry(PlayerModel model, int index) {
  if (index < 0 || static_cast<size_t>(index) >= model.playlist.size()) return model;
  model.current = index;
  return Stop(std::move(model));
}

PlayerModel PlayCurrent(PlayerModel model, uint32_t now) {
  if (!CurrentTrack(model)) return model;
  const int current = model.current;
  return StartTrackAt(std::move(model), current, now);
}

namespace {

// From no entry, either way leads to the first.
PlayerModel StepTrack(PlayerModel model, int delta, uint32_t now) {
  if (model.playlist.empty()) return model;
  const long last = static_cast<long>(model.playlist.size()) - 1;
  const int index = static_cast<int>(std::clamp(static_cast<long>(model.current) + delta, 0L, last));
  if (model.state == PlayState::Stopped) {
    model.current = index;
    return model;
  }
  return StartTrackAt(std::move(model), index, now);
}

PlayerModel SkipBy(PlayerModel model, int deltaMs, uint32_t now) {
  const int target = PositionMs(model, now) + deltaMs;
  return SeekTo(std::move(model), target, now);
}

PlayerModel ChangeVolume(PlayerModel model, int delta) {
  model.volume = std::clamp(model.volume + delta, 0, kVolumeMax);
  return model;
}

long StatusAnswer(const PlayerModel& model) {
  switch (model.state) {
    case PlayState::Playing:
      return kAnswerPlaying;
    case PlayState::Paused:
      return kAnswerPaused;
    case PlayState::Stopped:
      break;
  }
  return kAnswerStopped;
}

}  // namespace

PlayerModel ApplyCommand(PlayerModel model, int commandId, uint32_t now) {
  // Moved all the way: a long playlist would make every command slow.
  model = Settle(std::move(model), now);
  switch (commandId) {
    case kCmdPlay:
      return Play(std::move(model), now);
    case kCmdPause:
      return TogglePause(std::move(model), now);
    case kCmdStop:
      return Stop(std::move(model));
    case kCmdPrev:
      return StepTrack(std::move(model), -1, now);
    case kCmdNext:
      return StepTrack(std::move(model), 1, now);
    case kCmdRewind5s:
      return SkipBy(std::move(model), -kSkipMs, now);
    case kCmdForward5s:
      return SkipBy(std::move(model), kSkipMs, now);
    case kCmdVolumeUp:
      return ChangeVolume(std::move(model), kVolumeStep);
    case kCmdVolumeDown:
      return ChangeVolume(std::move(model), -kVolumeStep);
    default:
      return model;
  }
}

QueryResult AnswerQuery(PlayerModel model, int32_t wParam, int32_t code, uint32_t now) {
  model = Settle(std::move(model), now);
  long answer = 0;
  switch (code) {
    case kQueryStatus:
      answer = StatusAnswer(model);
      break;
    case kQueryTime:
      if (wParam == static_cast<int32_t>(kTimePosition)) answer = PositionMs(model, now);
      if (wParam == static_cast<int32_t>(kTimeLength)) answer = CurrentLengthSec(model);
      break;
    case kSeek:
      // A stopped player has nothing to seek in and says so.
      answer = model.state == PlayState::Stopped ? -1 : 0;
      model = SeekTo(std::move(model), wParam, now);
      break;
    case kVolume:
      if (wParam == static_cast<int32_t>(kVolumeQuery)) answer = model.volume;
      break;
    case kClearPlaylist:
      model = ClearPlaylist(std::move(model));
      break;
    case kPlayCurrent:
      model = PlayCurrent(std::move(model), now);
      break;
    case kSetPlaylistPosition:
      model = SelectEntry(std::move(model), wParam);
      break;
    case kPlaylistLength:
      answer = static_cast<long>(model.playlist.size());
      break;
    case kPlaylistPosition:
      answer = model.current;
      break;
    case kShuffleQuery:
      answer = model.shuffle ? 1 : 0;
      break;
    case kRepeatQuery:
      answer = model.repeat ? 1 : 0;
      break;
    case kSetShuffle:
      model.shuffle = wParam != 0;
      break;
    case kSetRepeat:
      model.repeat = wParam != 0;
      break;
    default:
      break;
  }
  return {std::move(model), answer};
}

namespace {

std::string BareName(std::string_view suffix) {
  const size_t start = suffix.find_first_not_of(" -");
  return start == std::string_view::npos ? std::string("Winamp") : std::string(suffix.substr(start));
}

}  // namespace

std::string ComposeCaption(const PlayerModel& model, std::string_view suffix) {
  const Track* track = CurrentTrack(model);
  if (!track) return BareName(suffix);
  std::string caption = std::to_string(model.current + 1) + ". " + track->title;
  caption += suffix;
  if (model.state == PlayState::Paused) caption += " [Paused]";
  if (model.state == PlayState::Stopped) caption += " [Stopped]";
  return caption;
}

}  // namespace player_sim
