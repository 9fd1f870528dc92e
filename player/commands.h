// Player commands: the command thread and the operations the control
// window runs on its own thread.
#pragma once

#include <windows.h>

// Starts the command thread for the cell in hotItem unless one exists.
void StartCommand();
// MSG_COMMAND_DONE: closes the finished thread's handle.
void FinishCommand();
void TogglePlayerWindow();
void SeekPlayer();
void OpenPlayerPreferences();
