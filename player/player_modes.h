// The player's shuffle and repeat, which the context menu shows and
// changes. Both the questions and the change go to the player from a
// worker, so the host's thread never waits for the player; each send is
// bounded like the poll's questions.
#pragma once

#include <windows.h>
#include <cstdint>

struct PlaylistPart;

// WM_USER codes: the two questions answer 1 (on) or 0 (off); the two
// settings take 1 or 0 in wParam. Players that do not know them answer 0.
constexpr LPARAM QUERY_SHUFFLE = 250;
constexpr LPARAM QUERY_REPEAT = 251;
constexpr LPARAM SET_SHUFFLE = 252;
constexpr LPARAM SET_REPEAT = 253;

// The menu waits for its questions' answers this long at most: shuffle,
// repeat and the playlist share it.
constexpr DWORD kMenuQuestionsBoundMs = 500;

enum class ModeAnswer : uint8_t { Unanswered, Off, On };

struct PlayerModes {
    ModeAnswer shuffle;
    ModeAnswer repeat;
};

// Pure: both answers in one message parameter, and back; 0 is both
// unanswered.
LPARAM PackModes(PlayerModes modes);
PlayerModes UnpackModes(LPARAM packed);

// Host's thread: the menu's worker asks or sets, one job at a time, so that
// a menu's questions never overtake a change.
bool ModesWorkerBusy();
// Host's thread. The menu's worker asks the player for shuffle, then
// repeat, then the playlist (player/playlist.h), all within
// kMenuQuestionsBoundMs; the playlist only from a player whose pointer
// answers are known to be readable (player/known_player.h). It posts MSG_MODES_DONE
// with its thread id and the packed answers; a player that does not answer
// the first is not asked the second. False when the worker is still busy
// or cannot run.
bool StartModeQuestions(HWND player);
// Host's thread. The menu's worker sets one mode (SET_SHUFFLE or
// SET_REPEAT) and posts MSG_MODES_DONE with its thread id and no answers.
bool StartModeChange(HWND player, LPARAM setting, bool on);
// Host's thread, at MSG_MODES_DONE: the playlist the job read (not
// answered after a setting), and the worker free again, when the post is
// from the menu's worker busy with a job; else nullptr. It stays readable
// until the next job is handed.
const PlaylistPart* FinishModesJob(WPARAM poster);
