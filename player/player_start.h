// Starting the player's program and waiting for its window: what the launch
// thread and the drop share, and the one message that says it went wrong.
#pragma once

#include <windows.h>

// Runs the program at path with these parameters (nullptr for none), shown
// minimised or normally as the user set. Returns ShellExecuteA's result.
INT_PTR StartPlayerProgram(const char* path, const char* parameters);

// The same start for a dropped file, keeping the started process so that
// the wait can tell when the player has taken the file.
struct StartedProgram {
    INT_PTR result;  // as ShellExecuteA's
    HANDLE process;  // the caller closes it; nullptr when none is known
};
StartedProgram StartPlayerWithFile(const char* path, const char* parameters);

// ShellExecuteA reports failure with a value of 32 or less.
constexpr bool StartSucceeded(INT_PTR result) { return result > 32; }

// A worker's wait, in steps of stepMs and at least one, until the player's
// window exists (and, given the process started, that process has handed
// its command line over or become the player), the start failed, or
// launchTiming.startLimitMs has passed: a program that never opens the
// player's window must not hold a thread for good. False when the plug-in
// is stopping.
bool WaitForPlayerWindow(DWORD stepMs, INT_PTR startResult, HANDLE startedProcess = nullptr);

// "Error loading player!", a carriage return and the player path, as a
// topmost error box with no owner. Host's thread only.
void ShowLaunchFailure();
