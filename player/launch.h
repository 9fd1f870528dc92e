// Starting the player.
#pragma once

#include "plugin/workers.h"

#include <windows.h>

// Release of a cell: a command when the player runs, else a launch for
// On/Off, Play and Open with the cell remembered.
void ActivateCell();
void StartLaunch();
// The launch thread, with its PlayerProgram: starts the player unless it
// runs, follows it until its window exists or it has gone, then posts
// MSG_LAUNCH_DONE with its own thread id and how it ended (a StartEnd).
void LaunchPlayer(const WorkerLink& link, void* program);
// MSG_LAUNCH_DONE: the poster's thread id (0 for the watchdog, which tells
// stale posts apart) and how the launch ended.
void FinishLaunch(WPARAM poster, LPARAM end);
// TIMER_STARTUP callback.
void CALLBACK StartupLaunch(HWND window, UINT message, UINT_PTR id, DWORD time);
