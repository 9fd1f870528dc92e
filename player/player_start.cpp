// Starting the player's program, waiting for its window, and the failure
// message.
#include "player/player_start.h"

#include "host/host_services.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "plugin/descriptor.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"

#include <shellapi.h>

namespace {

// Shown in English whatever the user-interface language.
constexpr char kLaunchFailureText[] = "Error loading player!\r";

}  // namespace

INT_PTR StartPlayerProgram(const char* path, const char* parameters) {
    const int show = pluginState.runMinimized ? SW_MINIMIZE : SW_SHOW;
    // An empty operation runs the file's default action, which for a
    // program is to start it.
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "", path, parameters, nullptr, show));
}

bool WaitForPlayerWindow(DWORD stepMs, INT_PTR startResult) {
    const DWORD started = GetTickCount();
    do {
        if (StopRequestedWithin(stepMs)) return false;
    } while (!FindPlayer() && StartSucceeded(startResult) && GetTickCount() - started < launchTiming.startLimitMs);
    return true;
}

void ShowLaunchFailure() {
    // No allocation: this runs inside a window procedure that must not throw.
    char text[sizeof kLaunchFailureText - 1 + kPlayerPathSize];
    lstrcpynA(text, kLaunchFailureText, sizeof text);
    constexpr int kPathAt = sizeof kLaunchFailureText - 1;
    CopyPlayerPath(text + kPathAt, sizeof text - kPathAt);
    ShowPluginMessage(hostContext, nullptr, kPluginName, text, MB_ICONERROR, false);
}
