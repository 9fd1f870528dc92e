// A worker thread as it sees itself. The host frees the library as soon as
// DoneModule returns, and DoneModule must not wait: a worker may sit in a
// call that nothing can cut short (a command to a hung player, a start that
// waits on a security prompt). So every worker holds its own reference on
// the library from before it starts until its very last instruction, and
// its own handle on the stop signal of the start that made it. After that
// start has stopped, a worker posts nothing and touches no state: a second
// start never sees the first one's workers. docs/threads.md tells the
// whole story.
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
// library loaded until it has ended, linked to that start's control window
// and stop signal. nullptr when no start is armed (stop is nullptr) or no
// thread could be started; parameter then stays the caller's.
HANDLE StartWorkerThread(WorkerBody body, void* parameter, HWND control, HANDLE stop);

// How a worker's wait ended. A wait that fails reads as Stopped: a worker
// that cannot wait must end, not spin.
enum class WaitEnd { Signalled, TimedOut, Stopped };
// A worker's wait for handle, or only for its stop when handle is nullptr.
WaitEnd WaitInWorker(const WorkerLink& link, HANDLE handle, DWORD waitMs);
// A worker's sleep: true when its start has stopped and it should end.
inline bool StopRequestedWithin(const WorkerLink& link, DWORD waitMs) {
    return WaitInWorker(link, nullptr, waitMs) == WaitEnd::Stopped;
}
// Posts to the worker's own control window, unless its start has stopped.
void PostToControl(const WorkerLink& link, UINT message, WPARAM wParam, LPARAM lParam);
// Marks the worker's control for painting and returns at once: painting at
// once would wait for the host's thread.
void RequestRepaint(const WorkerLink& link);

// A copy of handle that a worker may wait on and closes itself; nullptr
// for nullptr.
HANDLE DuplicateToWaitOn(HANDLE handle);
// Closes a kernel handle kept in a std::unique_ptr<void, HandleCloser>.
struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
