// The plug-in's worker threads and the library's lifetime. The host frees
// the library as soon as DoneModule returns, but a worker may sit in a call
// that nothing can cut short (a command to a hung player, a start that
// waits on a security prompt). So every worker holds its own reference on
// the library from before it starts until its very last instruction, stays
// known until it has ended, and waits only on the stop signal, so that a
// stop ends its waits at once.
#pragma once

#include <windows.h>

// How long DoneModule waits, in all, for the workers to end. Long enough
// for a live player to take a volume burst, short enough that a hung one
// does not hold up the shell's exit noticeably.
constexpr DWORD kWorkerStopWaitMs = 2000;

// Host's thread. Runs proc(parameter) on a new thread that keeps the
// library loaded; proc must end with EndWorkerThread on every path.
// nullptr when no thread could be started.
HANDLE StartWorkerThread(LPTHREAD_START_ROUTINE proc, LPVOID parameter);
// A worker's last call: gives up its reference on the library, which may
// unload it, and ends the thread without returning into its code.
[[noreturn]] void EndWorkerThread();

// A worker's sleep: false when it lasted waitMs, true when the plug-in is
// stopping and the worker should end.
bool StopRequestedWithin(DWORD waitMs);
// A worker's wait for another thread to end: true when it ended or waitMs
// passed, false when the plug-in is stopping first.
bool ThreadEndedUnlessStopped(HANDLE thread, DWORD waitMs);

// Host's thread, at start: clears the signal the last stop left.
void ArmWorkerStop();
// Host's thread, at stop: signals every worker, waits for them within
// kWorkerStopWaitMs, and forgets them. A worker still running after that
// keeps the library mapped by itself.
void StopWorkerThreads();
// Library unload: every worker has ended by then, since each held the library.
void ReleaseWorkerStop();

// Waits until every non-null handle is signalled or timeoutMs have passed;
// true when all ended. Messages other threads send to this thread's
// windows are served meanwhile; posted messages and timers wait.
bool WaitForWorkerThreads(const HANDLE* threads, int count, DWORD timeoutMs);
