// Finding the player's window, learning its executable, and the once-a-
// second status poll, whose questions a worker asks.
#pragma once

#include <windows.h>
#include <cstdint>

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
// FindPlayer, both on the host's thread; CopyPlayerPath copies it whole
// and terminated.
extern char playerPath[kPlayerPathSize];
void CopyPlayerPath(char* out, int size);
// Puts path (cut to 260 characters) into playerPath, zero-filled behind it.
void PublishPlayerPath(const char* path);

extern int32_t songLengthSec;
// The whole seconds played, as the last poll of a loaded track read them.
extern int32_t songPositionSec;
extern int32_t positionPercent;
// How often the poll has seen the playing song change (its playlist entry
// moved, or it started over), whether the caption changed or not. The
// title tip has the cover looked for again as it grows. 0 at every start.
extern uint32_t songChangesNoticed;

// The player's window as it is now. Workers look with this rather than
// FindPlayer, which keeps what it finds for the host's thread.
HWND PlayerWindowNow();

// Refreshes pluginState.playerWindow; learns and stores playerPath when the
// stored one names no file. True when the player's window exists.
bool FindPlayer();

// Host's thread, at start: the worker that puts each poll's questions to
// the player, from start to stop.
void StartPollWorker();

// TIMER_POLL callback: finds the player and, unless a poll is still out,
// has the worker ask it; the answers come back as MSG_POLL_DONE.
void CALLBACK PollPlayer(HWND window, UINT message, UINT_PTR id, DWORD time);
// MSG_POLL_DONE, whose wParam is the poll worker's thread id: applies the
// answers to the status, the position bar and the blink.
void FinishPoll(WPARAM poster);
