// Starting the player and handing it dropped files.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Release of a cell: a command when the player runs, else a launch for
// On/Off, Play and Open with the cell remembered.
void ActivateCell();
void StartLaunch();
// The launch thread: starts the player unless it runs, waits for its
// window, then posts MSG_LAUNCH_DONE with its own thread id.
DWORD WINAPI LaunchPlayer(LPVOID unused);
// MSG_LAUNCH_DONE, with the message's wParam (tells stale posts apart).
void FinishLaunch(WPARAM wParam);
// TIMER_STARTUP callback.
void CALLBACK StartupLaunch(HWND window, UINT message, UINT_PTR id, DWORD time);
// WM_DROPFILES.
void AcceptDroppedFiles(HDROP drop);
