// Starting the player's program, following it until its window exists,
// and the failure message.
#include "player/player_start.h"

#include "player/launch_timing.h"
#include "plugin/descriptor.h"
#include "plugin/error_box.h"
#include "plugin/state/plugin_state.h"

#include <shellapi.h>

namespace {

// Shown in English whatever the user-interface language.
constexpr char kLaunchFailureText[] = "Error loading player!\r";
// Short: a press waits this long at most for the player's window to be
// seen, and a player that went away is noticed at once by its process.
constexpr DWORD kFollowStepMs = 50;

}  // namespace

PlayerProgram PlayerProgramNow() {
    PlayerProgram program = {};
    CopyPlayerPath(program.path, sizeof program.path);
    if (!FileExists(program.path)) program.path[0] = '\0';
    program.show = pluginState.runMinimized ? SW_MINIMIZE : SW_SHOW;
    return program;
}

StartedProgram StartPlayerProgram(const PlayerProgram& program, const char* parameters) {
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    // As ShellExecuteA: no error box of the shell's own; the caller says it.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    // An empty operation runs the file's default action, which for a
    // program is to start it.
    start.lpVerb = "";
    start.lpFile = program.path;
    start.lpParameters = parameters;
    start.nShow = program.show;
    ShellExecuteExA(&start);
    return {reinterpret_cast<INT_PTR>(start.hInstApp), start.hProcess};
}

HWND PlayerWindowNow() { return FindWindowA(kPlayerWindowClass, nullptr); }

StartEnd FollowStartedPlayer(const WorkerLink& link, HANDLE process) {
    const DWORD started = GetTickCount();
    for (;;) {
        if (PlayerWindowNow()) return StartEnd::SawWindow;
        // Looked at again after the process's end: a second instance that
        // handed its command line over ends once a player's window exists.
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return PlayerWindowNow() ? StartEnd::SawWindow : StartEnd::ProcessEnded;
        if (GetTickCount() - started >= launchTiming.startLimitMs) return StartEnd::TimedOut;
        const bool stopped = process ? !WaitUnlessStopped(link, process, kFollowStepMs)
                                     : StopRequestedWithin(link, kFollowStepMs);
        if (stopped) return StartEnd::Stopped;
    }
}

void ShowLaunchFailure() {
    char text[sizeof kLaunchFailureText - 1 + kPlayerPathSize];
    lstrcpynA(text, kLaunchFailureText, sizeof text);
    constexpr int kPathAt = sizeof kLaunchFailureText - 1;
    CopyPlayerPath(text + kPathAt, sizeof text - kPathAt);
    ShowErrorBoxApart(kPluginName, text);
}
