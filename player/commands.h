// Player commands: the command thread and the operations the control
// window runs on its own thread.
#pragma once

#include "player/command_plan.h"
#include "plugin/workers.h"

#include <windows.h>

// Opens the player's preferences; not a button, so not in the table.
constexpr int kPreferencesCommand = 40012;

// One command thread's work, decided on the host's thread at the press: the
// plan is sent `times` times in a row (a wheel burst sends one per notch).
struct CommandJob {
    HWND player;
    CommandPlan plan;
    int times;
    bool repaint;  // false when files being dropped own the player
};

// What MSG_COMMAND_DONE's lParam asks of the standstill flag: the command
// thread posts its plan's effect, and the host's thread applies it.
constexpr LPARAM kStandstillKept = 0;
constexpr LPARAM kStandstillCleared = 1;
constexpr LPARAM kStandstillSet = 2;
constexpr LPARAM StandstillEffect(const CommandPlan& plan) {
    if (!plan.setsPositionUnchanged) return kStandstillKept;
    return plan.positionUnchanged ? kStandstillSet : kStandstillCleared;
}

// Sends the table row's command and waits for the player to handle it.
// Command thread only.
void SendPlayerCommand(HWND player, int row);
// The command thread: carries its CommandJob out, asks for a repaint and
// posts MSG_COMMAND_DONE with its thread id and the standstill effect.
void RunPlayerCommand(const WorkerLink& link, void* job);

// Host's thread: starts a command thread for job unless one exists.
void StartCommandThread(const CommandJob& job);
// Starts the command thread for the cell in hotItem unless one exists.
void StartCommand();
// MSG_COMMAND_DONE: closes the finished thread's handle and applies its
// standstill effect; a post from any other thread is ignored.
void FinishCommand(WPARAM poster, LPARAM effect);
// True when the player's window is hidden or minimised, so that showing it
// is what TogglePlayerWindow would do.
bool PlayerWindowNeedsRestore();
void TogglePlayerWindow();
void SeekPlayer();
void OpenPlayerPreferences();
