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
// WM_DROPFILES: takes the names and releases the drop at once; a drop
// worker hands them to the player, behind any drop still running.
void AcceptDroppedFiles(HDROP drop);
// The drop worker: waits for a launch under way, then starts the player
// once per file. Its parameter is the drop's job.
DWORD WINAPI PassDroppedFiles(LPVOID job);
// What the drop worker posts: MSG_DROP_FAILED shows the failure box;
// MSG_DROP_DONE, with the worker's thread id, starts the next queued drop
// or ends dropBusy.
void OnDropWorkerPost(UINT message, WPARAM poster);
// Stop: forgets queued drops and the running one (the stop has ended it).
void ForgetDrops();
