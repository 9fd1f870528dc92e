// The stand-in player's titles in its own memory.
#include "testbed/player/sim_titles.h"

#include <windows.h>

#include <map>
#include <string>

#include "testbed/player/sim_values.h"

namespace player_sim {
namespace {

// Keyed by the title as the playlist holds it; map nodes never move.
std::map<std::string, std::string> narrowTitles;
std::map<std::string, std::wstring> wideTitles;

// Addresses nothing is mapped at. (Under Wine a reserved page reads as
// zeros, which would make an empty title rather than an unreadable one.)
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

}  // namespace

uintptr_t TitleAddress(const PlayerRuntime& runtime, int32_t index, bool wide) {
  const auto& playlist = runtime.model.playlist;
  if (index < 0 || static_cast<size_t>(index) >= playlist.size()) return 0;
  if (wide && !runtime.unicodeWindow) return 0;
  if (runtime.titlePointers == TitlePointers::Garbage) return Unreadable(index);
  // A Unicode window's texts are UTF-8; the others' are in the code page.
  const std::string& title = playlist[static_cast<size_t>(index)].title;
  auto narrow = narrowTitles.find(title);
  if (narrow == narrowTitles.end()) {
    narrow = narrowTitles.emplace(title, runtime.unicodeWindow ? AnsiFromWide(WideFromUtf8(title)) : title).first;
  }
  auto widened = wideTitles.find(title);
  if (wide && widened == wideTitles.end()) widened = wideTitles.emplace(title, WideFromUtf8(title)).first;
  return wide ? reinterpret_cast<uintptr_t>(widened->second.c_str()) : reinterpret_cast<uintptr_t>(narrow->second.c_str());
}

}  // namespace player_sim
