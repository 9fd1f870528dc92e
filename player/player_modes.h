// The player's shuffle and repeat, which the context menu shows and
// changes. Both the questions and the change go to the player from a
// worker, so the host's thread never waits for the player; each send is
// bounded like the poll's questions.
#pragma once

#include "plugin/workers.h"

#include <windows.h>
#include <cstdint>

// WM_USER codes: the two questions answer 1 (on) or 0 (off); the two
// settings take 1 or 0 in wParam. Players that do not know them answer 0.
constexpr LPARAM QUERY_SHUFFLE = 250;
constexpr LPARAM QUERY_REPEAT = 251;
constexpr LPARAM SET_SHUFFLE = 252;
constexpr LPARAM SET_REPEAT = 253;

enum class ModeAnswer : uint8_t { Unanswered, Off, On };

struct PlayerModes {
    ModeAnswer shuffle;
    ModeAnswer repeat;
};

// Pure: both answers in one message parameter, and back; 0 is both
// unanswered.
LPARAM PackModes(PlayerModes modes);
PlayerModes UnpackModes(LPARAM packed);

// Host's thread. A worker in slot asks the player for shuffle, then
// repeat, and posts MSG_MODES_DONE with its thread id and the packed
// answers; a player that does not answer the first is not asked the
// second. False when no worker could start.
bool StartModeQuestions(WorkerSlot& slot, HWND player);
// Host's thread. A worker in slot sets one mode (SET_SHUFFLE or
// SET_REPEAT) and posts MSG_MODES_DONE with its thread id and no answers.
bool StartModeChange(WorkerSlot& slot, HWND player, LPARAM setting, bool on);
