// What tests may change while the stand-in player runs.
#include "testbed/player/sim_control.h"

#include "testbed/player/sim_values.h"

#include <vector>

namespace player_sim {

PlayerRuntime InitialRuntime(const SimOptions& options, uint32_t now) {
  PlayerRuntime runtime;
  runtime.model = InitialModel(options, now);
  runtime.captionSuffix = options.captionSuffix;
  runtime.rawCaption = options.rawCaption;
  runtime.unicodeWindow = options.unicodeWindow;
  runtime.scrollMs = options.scrollMs;
  runtime.answerDelayMs = options.answerDelayMs;
  runtime.commandDelayMs = options.commandDelayMs;
  runtime.pendingHangMs = options.firstQueryHangMs;
  runtime.reportsPosition = options.reportsPosition;
  runtime.titlePointers = options.titlePointers;
  runtime.wideFileNames = options.wideFileNames;
  runtime.quietQuestions = options.quietQuestions;
  return runtime;
}

namespace {

// The player's own scrolling puts this between the end and the next start.
constexpr std::string_view kScrollSeparator = " *** ";

bool StartsCharacter(char byte, bool utf8) { return !utf8 || (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

}  // namespace

std::string RotateCaption(std::string_view text, size_t steps, bool utf8) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    if (StartsCharacter(text[i], utf8)) starts.push_back(i);
  }
  if (starts.empty()) return std::string(text);
  const size_t cut = starts[steps % starts.size()];
  return std::string(text.substr(cut)) + std::string(text.substr(0, cut));
}

std::string CurrentCaption(const PlayerRuntime& runtime) {
  std::string caption = runtime.rawCaption ? *runtime.rawCaption : ComposeCaption(runtime.model, runtime.captionSuffix);
  if (runtime.scrollMs <= 0) return caption;
  caption += kScrollSeparator;
  return RotateCaption(caption, runtime.scrollStep, runtime.unicodeWindow);
}

std::optional<PlayerRuntime> ApplyControl(PlayerRuntime runtime, std::string_view command, uint32_t now) {
  const size_t space = command.find(' ');
  const std::string_view verb = command.substr(0, space);
  // The argument is taken as written: a caption may begin or end in blanks.
  const std::string_view argument = space == std::string_view::npos ? std::string_view() : command.substr(space + 1);
  runtime.model = Settle(runtime.model, now);

  if (verb == "caption") {
    runtime.rawCaption = std::string(argument);
    return runtime;
  }
  if (verb == "caption-auto" && argument.empty()) {
    runtime.rawCaption.reset();
    return runtime;
  }
  // Edits of the playlist a user may make between a menu and a choice.
  if (verb == "playlist-reverse" && argument.empty()) {
    runtime.model = ReversePlaylist(std::move(runtime.model));
    return runtime;
  }
  if (verb == "playlist") {
    runtime.model = RewritePlaylist(std::move(runtime.model), ParseTrackEntryList(argument), now);
    return runtime;
  }
  // Retitling and resizing act on the current entry: none, nothing to change.
  Track* current = CurrentTrack(runtime.model);
  if (verb == "title") {
    if (!current) return std::nullopt;
    current->title = std::string(argument);
    return runtime;
  }
  // No path: the entry names no file from now on.
  if (verb == "file") {
    if (!current) return std::nullopt;
    current->file = std::string(argument);
    return runtime;
  }
  if (verb == "positions" && (argument == "on" || argument == "off")) {
    runtime.reportsPosition = argument == "on";
    return runtime;
  }
  if (verb == "state") {
    PlayState state = PlayState::Stopped;
    if (!ParseState(argument, &state)) return std::nullopt;
    runtime.model = SetState(runtime.model, state, now);
    return runtime;
  }

  int number = 0;
  if (!ParseInt(argument, &number)) return std::nullopt;
  if (verb == "hang" && (number >= 0 || number == kHangForever)) {
    runtime.pendingHangMs = number;
  } else if (verb == "delay" && number >= 0) {
    runtime.answerDelayMs = number;
  } else if (verb == "clear-delay" && number >= 0) {
    runtime.clearDelayMs = number;
  } else if (verb == "length" && current) {
    current->lengthSec = number;
  } else if (verb == "position") {
    runtime.model = SeekTo(runtime.model, number, now);
  } else if (verb == "play" && number >= 0 && static_cast<size_t>(number) < runtime.model.playlist.size()) {
    // As a double-click on the entry in the player's own playlist.
    runtime.model = PlayCurrent(SelectEntry(std::move(runtime.model), number), now);
  } else {
    return std::nullopt;
  }
  return runtime;
}

}  // namespace player_sim
