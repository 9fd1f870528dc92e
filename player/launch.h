// Starting the player.
#pragma once

#include <windows.h>

// Release of a cell: a command when the player runs, else a launch for
// On/Off, Play and Open with the cell remembered.
void ActivateCell();
// Starts the player on the launch thread unless a launch is under way; a
// watchdog gives up on it after the start limit.
void StartLaunch();
// MSG_LAUNCH_DONE: the poster's thread id (0 for the watchdog, which tells
// stale posts apart) and how the launch ended.
void FinishLaunch(WPARAM poster, LPARAM end);
// TIMER_STARTUP callback.
void CALLBACK StartupLaunch(HWND window, UINT message, UINT_PTR id, DWORD time);
