// Stopping with worker threads still running. A command or launch thread
// may sit in a SendMessage to a hung player for as long as the player
// hangs; the library must not be unloaded under it.
#pragma once

#include <windows.h>

// How long DoneModule waits, in all, for the worker threads to end. Long
// enough for a live player to take a volume burst, short enough that a
// hung one does not hold up the shell's exit noticeably.
constexpr DWORD kWorkerStopWaitMs = 2000;

// Waits until every non-null handle is signalled or timeoutMs have passed;
// true when all ended. Messages other threads send to this thread's
// windows are served meanwhile (a worker repainting the control must not
// deadlock against us); posted messages and timers wait.
bool WaitForWorkerThreads(const HANDLE* threads, int count, DWORD timeoutMs);

// Keeps this library mapped until the process ends, whatever FreeLibrary
// calls follow, so a worker that outlived DoneModule returns into code.
void KeepLibraryLoaded();
