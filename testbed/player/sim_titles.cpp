// The stand-in player's titles and file names in its own memory.
#include "testbed/player/sim_titles.h"

#include <windows.h>

#include <map>
#include <string>

#include "testbed/player/sim_values.h"

namespace player_sim {
namespace {

// Keyed by the text as the playlist holds it, so a title and a file name
// that read the same share one copy; map nodes never move.
std::map<std::string, std::string> narrowTexts;
std::map<std::string, std::wstring> wideTexts;

// Addresses nothing is mapped at. (Under Wine a reserved page reads as
// zeros, which would make an empty text rather than an unreadable one.)
uintptr_t Unreadable(int32_t index) {
  switch (index % 3) {
    case 0:
      return 0x10;
    case 1:
      return 0xFFFFFFF0u;
    default:
      return 0;
  }
}

// A Unicode window's texts are UTF-8; the others' are in the code page.
const char* KeptNarrow(const std::string& text, bool unicodeWindow) {
  auto kept = narrowTexts.find(text);
  if (kept == narrowTexts.end()) {
    kept = narrowTexts.emplace(text, unicodeWindow ? AnsiFromWide(WideFromUtf8(text)) : text).first;
  }
  return kept->second.c_str();
}

const wchar_t* KeptWide(const std::string& text) {
  auto kept = wideTexts.find(text);
  if (kept == wideTexts.end()) kept = wideTexts.emplace(text, WideFromUtf8(text)).first;
  return kept->second.c_str();
}

}  // namespace

uintptr_t EntryTextAddress(const PlayerRuntime& runtime, int32_t index, EntryText which, bool wide) {
  const auto& playlist = runtime.model.playlist;
  if (index < 0 || static_cast<size_t>(index) >= playlist.size()) return 0;
  if (wide && (!runtime.unicodeWindow || (which == EntryText::File && !runtime.wideFileNames))) return 0;
  const Track& track = playlist[static_cast<size_t>(index)];
  const std::string& text = which == EntryText::Title ? track.title : track.file;
  if (which == EntryText::File && text.empty()) return 0;
  if (runtime.titlePointers == TitlePointers::Garbage) return Unreadable(index);
  return wide ? reinterpret_cast<uintptr_t>(KeptWide(text))
              : reinterpret_cast<uintptr_t>(KeptNarrow(text, runtime.unicodeWindow));
}

}  // namespace player_sim
