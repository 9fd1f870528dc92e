// The stand-in player's options, read from INI text.
#include "testbed/player/sim_options.h"

#include <algorithm>

#include "testbed/player/player_sim_protocol.h"
#include "testbed/player/sim_values.h"

namespace player_sim {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

void ReadInt(std::string_view value, int* target) {
  int parsed = 0;
  if (ParseInt(TrimBlanks(value), &parsed)) *target = parsed;
}

// 0 or 1.
void ReadFlag(std::string_view value, bool* target) {
  int parsed = 0;
  if (ParseInt(TrimBlanks(value), &parsed) && (parsed == 0 || parsed == 1)) *target = parsed == 1;
}

void ApplyOption(SimOptions* options, std::string_view key, std::string_view value) {
  if (key == kKeyState) {
    ParseState(TrimBlanks(value), &options->state);
  } else if (key == kKeyTrack) {
    options->playlist.push_back(ParseTrackEntry(value));
  } else if (key == kKeyCurrent) {
    int oneBased = 1;
    ReadInt(value, &oneBased);
    options->current = static_cast<size_t>(std::max(oneBased, 1) - 1);
  } else if (key == kKeyPositionMs) {
    ReadInt(value, &options->positionMs);
  } else if (key == kKeyVolume) {
    ReadInt(value, &options->volume);
  } else if (key == kKeyCaptionSuffix) {
    options->captionSuffix = std::string(value);
  } else if (key == kKeyRawCaption) {
    options->rawCaption = std::string(value);
  } else if (key == kKeyUtf8Caption) {
    options->rawCaption = std::string(value);
    options->unicodeWindow = true;
  } else if (key == kKeyScrollMs) {
    ReadInt(value, &options->scrollMs);
  } else if (key == kKeyAnswerDelayMs) {
    ReadInt(value, &options->answerDelayMs);
  } else if (key == kKeyCommandDelayMs) {
    ReadInt(value, &options->commandDelayMs);
  } else if (key == kKeyHangMs) {
    ReadInt(value, &options->firstQueryHangMs);
  } else if (key == kKeyStartDelayMs) {
    ReadInt(value, &options->startDelayMs);
  } else if (key == kKeyForwardDelayMs) {
    ReadInt(value, &options->forwardDelayMs);
  } else if (key == kKeyForwardDelayFor) {
    options->forwardDelayFor = std::string(value);
  } else if (key == kKeyLog) {
    options->logPath = std::string(TrimBlanks(value));
  } else if (key == kKeyIgnoreCommandLine) {
    ReadFlag(value, &options->ignoreCommandLine);
  } else if (key == kKeyExitAfterMs) {
    ReadInt(value, &options->exitAfterMs);
  } else if (key == kKeyExitAtStart) {
    ReadFlag(value, &options->exitAtStart);
  } else if (key == kKeyShuffle) {
    ReadFlag(value, &options->shuffle);
  } else if (key == kKeyRepeat) {
    ReadFlag(value, &options->repeat);
  } else if (key == kKeyTitlePointers) {
    const std::string_view kind = TrimBlanks(value);
    if (kind == "garbage") options->titlePointers = TitlePointers::Garbage;
  } else if (key == kKeyWideFileNames) {
    ReadFlag(value, &options->wideFileNames);
  } else if (key == kKeyQuietQuestions) {
    ReadFlag(value, &options->quietQuestions);
  } else if (key == kKeyLauncherWindowlessChild) {
    ReadFlag(value, &options->launcherWindowlessChild);
  } else if (key == kKeyLauncherPlayerAfterMs) {
    ReadInt(value, &options->launcherPlayerAfterMs);
  } else if (key == kKeyLauncherMiddleProcess) {
    ReadFlag(value, &options->launcherMiddleProcess);
  } else if (key == kKeyPositions) {
    const std::string_view onOff = TrimBlanks(value);
    if (onOff == "on" || onOff == "off") options->reportsPosition = onOff == "on";
  }
}

}  // namespace

SimOptions ParseSimOptions(std::string_view iniText) {
  SimOptions options;
  while (!iniText.empty()) {
    const size_t newline = iniText.find('\n');
    std::string_view line = iniText.substr(0, newline);
    iniText.remove_prefix(newline == std::string_view::npos ? iniText.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t equals = line.find('=');
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    // Section headers and comments have no key of ours and fall through.
    if (equals == std::string_view::npos || key.empty() || key[0] == ';' || key[0] == '#') continue;
    ApplyOption(&options, key, line.substr(equals + 1));
  }
  return options;
}

PlayerModel InitialModel(const SimOptions& options, uint32_t now) {
  PlayerModel model = MakeDefaultModel();
  if (!options.playlist.empty()) model.playlist = options.playlist;
  model.current = static_cast<int>(std::min(options.current, model.playlist.size() - 1));
  model.volume = std::clamp(options.volume, 0, kVolumeMax);
  model.shuffle = options.shuffle;
  model.repeat = options.repeat;
  model = SetState(model, options.state, now);
  // Stopped players stand at 0 whatever the option says.
  return SeekTo(model, options.positionMs, now);
}

}  // namespace player_sim
