// What the system's process list tells of the player: which executable
// owns a window, how FindPlayer learns the player's path when the stored
// one names no file; and what a program started, how a launch follows a
// launcher to the player it started.
#pragma once

#include <windows.h>

// A process that parent (ended or not) started and that still runs, opened
// to wait on; nullptr when there is none. The caller closes it.
HANDLE OpenRunningChildOf(HANDLE parent);

// Writes the executable of the process owning window into out (at most
// size - 1 characters and a terminator); "" when it cannot be told.
void LearnPlayerPath(HWND window, char* out, int size);
