// Finding the player's window, learning its executable, and the once-a-
// second status poll.
#pragma once

#include <windows.h>
#include <cstdint>
#include <optional>

constexpr const char* kPlayerWindowClass = "Winamp v1.x";

// Player window messages.
constexpr UINT PLAYER_QUERY = WM_USER;         // 1024
constexpr LPARAM QUERY_PLAY_STATE = 104;       // wParam 0
constexpr LPARAM QUERY_POSITION_OR_LENGTH = 105;  // wParam 0 ms, 1 length s
constexpr LPARAM QUERY_JUMP_TO = 106;          // wParam ms
constexpr WPARAM POSITION_MS = 0;
constexpr WPARAM LENGTH_SECONDS = 1;

constexpr int kPlayerPathSize = 262;  // 260 characters and the terminator

// The player's executable. Read from the store at start and relearned by
// FindPlayer, which may run on the launch thread: other threads take a
// consistent copy with CopyPlayerPath.
extern char playerPath[kPlayerPathSize];
void CopyPlayerPath(char* out, int size);

extern int32_t songLengthSec;
// The whole seconds played, as the last poll of a loaded track read them.
extern int32_t songPositionSec;
extern int32_t positionPercent;

// Refreshes pluginState.playerWindow; learns and stores playerPath when the
// stored one names no file. True when the player's window exists.
bool FindPlayer();

// The player's state with the standstill rule applied (3 for a "playing"
// player whose position stood still), -1 without a player window, nothing
// when the player did not answer in time.
std::optional<int32_t> QueryPlayStatus();

// TIMER_POLL callback.
void CALLBACK PollPlayer(HWND window, UINT message, UINT_PTR id, DWORD time);
