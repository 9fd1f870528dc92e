// The plug-in's worker threads and the library's lifetime. The host frees
// the library as soon as DoneModule returns, and DoneModule must not wait:
// a worker may sit in a call that nothing can cut short (a command to a
// hung player, a start that waits on a security prompt). So every worker
// holds its own reference on the library from before it starts until its
// very last instruction, and its own handle on the stop signal of the start
// that made it. After that start has stopped, a worker posts nothing and
// touches no state: a second start never sees the first one's workers.
#pragma once

#include <windows.h>

// What a running worker knows of the start that made it.
struct WorkerLink {
    HANDLE stop;     // that start's stop signal, the worker's own handle
    HWND control;    // that start's control window: the only one it posts to
};

// A worker's procedure. It owns parameter, and returns to end the thread.
using WorkerBody = void (*)(const WorkerLink& link, void* parameter);

// Host's thread. Runs body(link, parameter) on a new thread that keeps the
// library loaded until it has ended. nullptr when no thread could be
// started; parameter then stays the caller's.
HANDLE StartWorkerThread(WorkerBody body, void* parameter);
// Host's thread. Runs body(parameter) on a new thread that keeps the
// library loaded until it has ended, whether or not the plug-in still runs
// by then: for work that belongs to no start. nullptr when no thread could
// be started; parameter then stays the caller's.
using LibraryThreadBody = void (*)(void* parameter);
HANDLE StartLibraryThread(LibraryThreadBody body, void* parameter);
// The body a thread started by StartWorkerThread runs, or nullptr for any
// other thread (tests tell the workers apart with it).
WorkerBody WorkerBodyOf(LPTHREAD_START_ROUTINE start, LPVOID parameter);

// A worker's sleep: false when it lasted waitMs, true when its start has
// stopped and the worker should end.
bool StopRequestedWithin(const WorkerLink& link, DWORD waitMs);
// A worker's wait for a handle: true when it was signalled or waitMs
// passed, false when the start stopped first.
bool WaitUnlessStopped(const WorkerLink& link, HANDLE handle, DWORD waitMs);
// Posts to the worker's own control window, unless its start has stopped.
void PostToControl(const WorkerLink& link, UINT message, WPARAM wParam, LPARAM lParam);
// Marks the worker's control for painting and returns at once: painting at
// once would wait for the host's thread.
void RequestRepaint(const WorkerLink& link);

// Host's thread, at start: a new stop signal for this start's workers.
void ArmWorkerStop();
// Host's thread, at stop and at unload: signals this start's workers and
// returns; a worker still running ends by itself, holding the library
// until then.
void StopWorkerThreads();
