// The start limits in force: both are the program's own 20 seconds.
#include "player/launch_timing.h"

#include "plugin/state/plugin_state.h"

LaunchTiming launchTiming = {LAUNCH_WATCHDOG_MS, LAUNCH_WATCHDOG_MS};
