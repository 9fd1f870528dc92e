// Starting the player's program and following what was started: what the
// launch thread and the drop share, and the one message that says it went
// wrong.
#pragma once

#include "player/player_link.h"
#include "plugin/workers.h"

#include <windows.h>

// What a start needs, taken on the host's thread so that a worker reads
// nothing a later start may change.
struct PlayerProgram {
    char path[kPlayerPathSize];  // empty when the stored path names no file
    int show;                    // minimised or normal, as the user set
};
// Host's thread.
PlayerProgram PlayerProgramNow();

struct StartedProgram {
    INT_PTR result;  // as ShellExecuteA's: 32 or less is a failure
    HANDLE process;  // the caller closes it; nullptr when none is known
};
// Runs the program with these parameters (nullptr for none), keeping the
// started process.
StartedProgram StartPlayerProgram(const PlayerProgram& program, const char* parameters);

constexpr bool StartSucceeded(INT_PTR result) { return result > 32; }

// The player's window as it is now. Workers look with this rather than
// FindPlayer, which keeps what it finds for the host's thread.
HWND PlayerWindowNow();

// How a start of the player ended. A launch posts it with MSG_LAUNCH_DONE;
// the watchdog's post carries 0, a give-up.
enum class StartEnd : LPARAM {
    TimedOut = 0,  // launchTiming.startLimitMs passed without a window
    SawWindow,     // the player's window exists
    ProcessEnded,  // the started process ended and no player's window exists
    StartFailed,   // no usable path, or the program could not be started
    Stopped,       // the plug-in is stopping
};
// A worker's wait after a start: looks at once, then in short steps, until
// the player's window exists or the started process has ended (when it is
// known), within launchTiming.startLimitMs.
StartEnd FollowStartedPlayer(const WorkerLink& link, HANDLE process);

// "Error loading player!", a carriage return and the player path, as a
// topmost error box with no owner, on a thread of its own. Host's thread
// only.
void ShowLaunchFailure();
