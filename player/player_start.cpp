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

int ShowCommand() { return pluginState.runMinimized ? SW_MINIMIZE : SW_SHOW; }

// A running player's second instance hands its command line over and ends;
// a first one becomes the player. Either way the player has what it was
// started with only then: its window alone may belong to an earlier player.
bool PlayerTookStart(HANDLE startedProcess) {
    if (!FindPlayer()) return false;
    if (startedProcess == nullptr || WaitForSingleObject(startedProcess, 0) == WAIT_OBJECT_0) return true;
    DWORD owner = 0;
    GetWindowThreadProcessId(pluginState.playerWindow, &owner);
    return owner == GetProcessId(startedProcess);
}

}  // namespace

INT_PTR StartPlayerProgram(const char* path, const char* parameters) {
    // An empty operation runs the file's default action, which for a
    // program is to start it.
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "", path, parameters, nullptr, ShowCommand()));
}

StartedProgram StartPlayerWithFile(const char* path, const char* parameters) {
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    // As ShellExecuteA: no error box of the shell's own; the caller says it.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpVerb = "";
    start.lpFile = path;
    start.lpParameters = parameters;
    start.nShow = ShowCommand();
    ShellExecuteExA(&start);
    return {reinterpret_cast<INT_PTR>(start.hInstApp), start.hProcess};
}

bool WaitForPlayerWindow(DWORD stepMs, INT_PTR startResult, HANDLE startedProcess) {
    const DWORD started = GetTickCount();
    do {
        if (StopRequestedWithin(stepMs)) return false;
    } while (!PlayerTookStart(startedProcess) && StartSucceeded(startResult) &&
             GetTickCount() - started < launchTiming.startLimitMs);
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
