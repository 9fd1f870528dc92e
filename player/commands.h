// Player commands: the command thread and the operations the control
// window runs on its own thread.
#pragma once

#include "player/command_plan.h"

#include <windows.h>

// Opens the player's preferences; not a button, so not in the table.
constexpr int kPreferencesCommand = 40012;

// Sends the table row's command and waits for the player to handle it.
// Command thread only.
void SendPlayerCommand(int row);
// The command thread; its parameter is the cell the press was on. Ends
// with EndWorkerThread.
DWORD WINAPI RunPlayerCommand(LPVOID cell);

// Starts the command thread for the cell in hotItem unless one exists.
void StartCommand();
// MSG_COMMAND_DONE, whose wParam is the posting thread's id: closes the
// finished thread's handle; a post from any other thread is ignored.
void FinishCommand(WPARAM poster);
// True when the player's window is hidden or minimised, so that showing it
// is what TogglePlayerWindow would do.
bool PlayerWindowNeedsRestore();
void TogglePlayerWindow();
void SeekPlayer();
void OpenPlayerPreferences();
