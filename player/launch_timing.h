// How long a start of the player may take. The product never changes these;
// tests that link the plug-in's core shorten them so that a give-up can be
// watched in seconds rather than in tens of seconds.
#pragma once

#include <windows.h>

struct LaunchTiming {
    UINT watchdogMs;     // period of TIMER_LAUNCH_WATCHDOG, read when a launch starts
    DWORD startLimitMs;  // longest wait for the player's window after one start
};

extern LaunchTiming launchTiming;
