// The stand-in player's titles in its own memory.
#include "testbed/player/sim_titles.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "testbed/player/sim_values.h"

namespace player_sim {
namespace {

constexpr size_t kPage = 4096;

// Keyed by the title as the playlist holds it; map nodes never move.
std::map<std::string, std::string> narrowTitles;
std::map<std::string, std::wstring> wideTitles;
std::map<std::pair<std::string, bool>, uintptr_t> pageEndTitles;

// A page of its own with the text's terminating zero in its last bytes,
// and a reserved page after it that cannot be read.
uintptr_t AtPageEnd(const void* text, size_t bytes) {
  if (bytes > kPage) return 0;
  auto* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE, PAGE_NOACCESS));
  if (!pages || !VirtualAlloc(pages, kPage, MEM_COMMIT, PAGE_READWRITE)) return 0;
  std::memcpy(pages + kPage - bytes, text, bytes);
  return reinterpret_cast<uintptr_t>(pages + kPage - bytes);
}

uintptr_t Unreadable(int32_t index) {
  static char* reserved = static_cast<char*>(VirtualAlloc(nullptr, kPage, MEM_RESERVE, PAGE_NOACCESS));
  switch (index % 4) {
    case 0:
      return reinterpret_cast<uintptr_t>(reserved) + static_cast<uintptr_t>(index % 64);
    case 1:
      return 0x10;
    case 2:
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
  if (runtime.titlePointers == TitlePointers::PageEnd) {
    const auto key = std::make_pair(title, wide);
    auto placed = pageEndTitles.find(key);
    if (placed == pageEndTitles.end()) {
      const uintptr_t address = wide ? AtPageEnd(widened->second.c_str(), (widened->second.size() + 1) * 2)
                                     : AtPageEnd(narrow->second.c_str(), narrow->second.size() + 1);
      placed = pageEndTitles.emplace(key, address).first;
    }
    return placed->second;
  }
  return wide ? reinterpret_cast<uintptr_t>(widened->second.c_str()) : reinterpret_cast<uintptr_t>(narrow->second.c_str());
}

}  // namespace player_sim
