// Player commands: the command worker and the operations the control
// window runs on its own thread.
#pragma once

#include "player/command_plan.h"
#include "player/playlist.h"
#include "plugin/workers.h"

#include <windows.h>
#include <optional>

// Opens the player's preferences; not a button, so not in the table.
constexpr int kPreferencesCommand = 40012;

// One press's or wheel burst's work, decided on the host's thread: the
// plan is sent `times` times in a row (a wheel burst sends one per notch).
struct CommandJob {
    HWND player;
    CommandPlan plan;
    int times;
    bool repaint;  // false when files being dropped own the player
    // An entry chosen in the menu: found and made current before the plan
    // is sent, and nothing is sent when it cannot be found.
    std::optional<PlaylistChoice> choice = std::nullopt;
};

// What MSG_COMMAND_DONE's lParam asks of the standstill flag: the command
// worker posts its plan's effect, and the host's thread applies it.
constexpr LPARAM kStandstillKept = 0;
constexpr LPARAM kStandstillCleared = 1;
constexpr LPARAM kStandstillSet = 2;
constexpr LPARAM StandstillEffect(const CommandPlan& plan) {
    if (!plan.setsPositionUnchanged) return kStandstillKept;
    return plan.positionUnchanged ? kStandstillSet : kStandstillCleared;
}

// Shift as the user holds it now: it turns Prev and Next into rewind and
// fast-forward, and a drop's add into replace.
bool ShiftHeld();

// Sends the table row's command and waits for the player to handle it.
// Command worker only.
void SendPlayerCommand(HWND player, int row);

// Host's thread. The command worker, from start to stop: it waits for a
// job, sends it, asks for a repaint and posts MSG_COMMAND_DONE with its
// thread id and the standstill effect. False when it cannot run.
bool StartCommandWorker();
// Host's thread: wakes the worker with job unless it is still sending;
// false when it was not handed.
bool HandCommandToWorker(const CommandJob& job);
// Host's thread: whether the worker has a job out (pluginState.commandBusy).
// A worker whose thread ended lets go of it here; a job it never took is
// told to the control as a done post from no worker (wParam 0), so that
// what waited for it goes out.
bool CommandWorkerBusy();
// Hands the worker the cell in hotItem unless it is still sending.
void StartCommand();
// MSG_COMMAND_DONE: the worker is free again, and its standstill effect is
// applied; a post from any other thread is ignored.
void FinishCommand(WPARAM poster, LPARAM effect);
// True when the player's window is hidden or minimised, so that showing it
// is what TogglePlayerWindow would do.
bool PlayerWindowNeedsRestore();
void TogglePlayerWindow();
void SeekPlayer();
void OpenPlayerPreferences();
