// Starting the player and handing it dropped files.
#pragma once

#include "plugin/workers.h"

#include <windows.h>
#include <shellapi.h>

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
// WM_DROPFILES: takes the names and releases the drop at once, and starts
// the player when it is not running; a drop worker hands the files over,
// behind any drop still running.
void AcceptDroppedFiles(HDROP drop);
// The drop worker: waits until the player answers (or a launch under way
// has ended without one), then hands it the files by message. Its
// parameter is the drop's job.
void PassDroppedFiles(const WorkerLink& link, void* job);
// MSG_DROP_DONE, with the worker's thread id: starts the next queued drop
// or ends dropBusy, and names the files the player did not get.
void FinishDrop(WPARAM poster);
// Stop: forgets queued drops and the running one (the stop has ended it).
void ForgetDrops();
