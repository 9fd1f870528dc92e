// How dropped files reach a running player, as values: whether the drop
// adds to the playlist or takes its place, in which form each name can go
// to the player's window, and the messages that hand the files over.
#pragma once

#include "plugin/state/plugin_state.h"

#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

// Whether the drop is added to what the player holds, by [player playing]
// [Shift held]: a plain drop adds to what a playing player plays and takes
// the place of what any other player holds; Shift turns that round.
constexpr bool kDropAppends[2][2] = {
    /* not playing */ {false, true},
    /* playing */ {true, false},
};

constexpr bool DropAppends(int playerStatus, bool shiftHeld) {
    return kDropAppends[playerStatus == PLAYER_PLAYING][shiftHeld];
}

// A name as the player's window can take it.
struct NameForPlayer {
    enum Form { Ansi, Wide, None } form = None;
    std::string ansi;   // Ansi: the name, or its short name, in codePage
    std::wstring wide;  // Wide: the name as dropped
};

// The name itself in the code page when every character of it is there;
// else the UTF-16 name for a Unicode window; else the short name
// (shortName, empty when the file has none) with its extension in lower
// case, when the code page holds it; else nothing.
NameForPlayer ChooseNameForPlayer(std::wstring_view name, UINT codePage, bool unicodeWindow,
                                  std::wstring_view shortName);

// Winamp's playlist messages.
constexpr UINT PLAYER_IPC = WM_USER;
constexpr LPARAM IPC_CLEAR_PLAYLIST = 101;
constexpr LPARAM IPC_PLAY_CURRENT = 102;
constexpr LPARAM IPC_SET_PLAYLIST_POSITION = 121;
constexpr ULONG_PTR COPY_APPEND_FILE = 100;        // zero-terminated ANSI name
constexpr ULONG_PTR COPY_APPEND_FILE_WIDE = 1100;  // zero-terminated UTF-16 name

// One message of a hand-over: a WM_USER (lParam, wParam), or a file by
// WM_COPYDATA (the index of its name).
struct HandOverStep {
    enum Kind { Ipc, File } kind;
    LPARAM ipc;
    WPARAM argument;
    size_t file;
};

// The messages for fileCount files, in order. Taking the playlist's place
// clears it first, then makes the first entry the current one and plays
// it: after a clear a player has no current entry, and play alone would
// play nothing.
std::vector<HandOverStep> HandOverSteps(size_t fileCount, bool append);
