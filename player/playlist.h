// The part of the player's playlist the context menu shows: a window of
// entries around the current one, read by the menu's worker, with titles
// taken from the player's own memory and made fit for a menu item.
#pragma once

#include <windows.h>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// WM_USER codes. 121 makes entry wParam current; 124 answers the length,
// 125 the current entry; 212 and 213 answer the address, in the player's
// memory, of entry wParam's title in the system's code page or in UTF-16
// (0 from players that do not know 213).
constexpr LPARAM QUERY_SET_PLAYLIST_POSITION = 121;
constexpr LPARAM QUERY_PLAYLIST_LENGTH = 124;
constexpr LPARAM QUERY_PLAYLIST_POSITION = 125;
constexpr LPARAM QUERY_PLAYLIST_TITLE = 212;
constexpr LPARAM QUERY_PLAYLIST_TITLE_WIDE = 213;

constexpr int kPlaylistWindowSize = 15;
constexpr int kPlaylistEntriesBefore = 4;
// Longer is taken for a wrong answer rather than a playlist.
constexpr int32_t kPlaylistMaxLength = 100000;
constexpr size_t kTitleReadMax = 1024;
constexpr size_t kTitleShownMax = 64;

constexpr size_t DecimalDigits(uint32_t number) { return number < 10 ? 1 : 1 + DecimalDigits(number / 10); }
// The longest label: the highest number and ". ", then a title of exactly
// kTitleShownMax "&"s, each shown as "&&" (longer than one cut to one less
// and "…"), and the terminator.
constexpr size_t kPlaylistLabelSize = DecimalDigits(kPlaylistMaxLength) + 2 + 2 * kTitleShownMax + 1;

struct PlaylistSpan {
    int32_t first;  // 0-based
    int32_t count;
};

// Pure: the entries shown for a playlist of `length` with `current`
// playing, or nothing when the answers make no playlist (empty, too long,
// or a current entry outside it).
std::optional<PlaylistSpan> SpanAround(int32_t length, int32_t current);

using PlaylistLabel = std::array<wchar_t, kPlaylistLabelSize>;

// Pure: "N. Title" for the 0-based index, zero-terminated. Control
// characters become blanks, so that nothing reaches the accelerator
// column; a title over kTitleShownMax characters keeps its first 63 and
// "…"; each "&" is doubled, so that no letter is underlined. An empty
// title (one that could not be read) gives "N." alone.
PlaylistLabel EntryLabel(int32_t index, std::wstring_view title);

// An entry's title as the menu read it, kept to find the entry again: a
// hash of the whole UTF-16 title (the label holds only its start).
struct TitleMark {
    bool read;
    uint64_t hash;
};

// Pure: a 64-bit hash of a whole UTF-16 text (FNV-1a over its units).
uint64_t TextHash(std::wstring_view text);
// Pure: the mark of a title read in full.
inline TitleMark MarkOf(std::wstring_view title) { return {true, TextHash(title)}; }

// What the menu's worker learnt of the playlist for one menu.
struct PlaylistPart {
    bool answered;  // the length and the current entry came in time and fit
    HWND player;    // the window that answered
    int32_t length;
    PlaylistSpan span;
    int32_t current;
    std::array<PlaylistLabel, kPlaylistWindowSize> labels;  // span.count of them
    std::array<TitleMark, kPlaylistWindowSize> marks;
    bool narrowTitles;  // titles came in the code page alone: the player knows no UTF-16 ones
};

// Worker thread: the length, the current entry and the window's titles,
// all by deadline (a GetTickCount value); entries whose titles did not
// come in time read "N.".
PlaylistPart AskPlaylist(HWND player, bool askWide, DWORD deadline);

// An entry chosen in the menu, as the menu showed it.
struct PlaylistChoice {
    HWND player;
    int32_t index;
    TitleMark title;
    bool askWide;
};

// The longest a choice looks for its entry in a playlist that changed.
constexpr DWORD kChoiceSearchMs = 500;

// Pure: the step-th entry (from 0) looked at for one shown at `shown` in a
// playlist of `length`: the shown one, then outward, the one after before
// the one before; -1 once every entry has been looked at.
int32_t SearchOrderAt(int32_t shown, int32_t step, int32_t length);

// Worker thread: the entry the choice stands for now, or nothing. The
// player's window must be the one the menu asked. The shown entry serves
// when its title still reads as the menu read it; otherwise the nearest
// entry with that title does, searched for kChoiceSearchMs at most. An
// entry whose title the menu could not read serves by its index alone.
// What comes back is always inside the playlist.
std::optional<int32_t> FindChosenEntry(const PlaylistChoice& choice);

// Copies size bytes at address in source to out; false when any of them
// cannot be read.
using MemoryReader = bool (*)(HANDLE source, uintptr_t address, void* out, size_t size);

// The zero-terminated text at address, in units of 1 (the system's code
// page) or 2 (UTF-16) bytes, at most kTitleReadMax units, copied to out
// (room for kTitleReadMax + 1 units) by read, a page at a time, so that a
// text that ends just before an unreadable page still reads. The units
// read, or nothing when the text cannot be read.
std::optional<size_t> ReadText(MemoryReader read, HANDLE source, uintptr_t address, size_t unit, void* out);
// ReadText from another process's memory, opened with PROCESS_VM_READ.
std::optional<size_t> ReadProcessText(HANDLE process, uintptr_t address, size_t unit, void* out);
