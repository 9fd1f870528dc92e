// Which executable owns a window: how FindPlayer learns the player's path
// when the stored one names no file.
#pragma once

#include <windows.h>

// Writes the executable of the process owning window into out (at most
// size - 1 characters and a terminator); "" when it cannot be told.
void LearnPlayerPath(HWND window, char* out, int size);
