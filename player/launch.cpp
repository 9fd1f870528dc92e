// Starting the player when a press, the context menu or the start-up timer
// needs it: a launch thread that starts the program and waits for its
// window, a watchdog that gives up on it after the start limit, and the
// replay of the press that asked for the start.
#include "player/launch.h"

#include "host/host_services.h"
#include "player/commands.h"
#include "player/control_repaint.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "player/player_start.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"

namespace {

constexpr DWORD kLaunchStepMs = 1000;
// The watchdog's MSG_LAUNCH_DONE carries 0; the launch thread's carries its
// thread id, which is never 0.
constexpr WPARAM kWatchdogPost = 0;

void StartPlayerUnlessRunning(INT_PTR* result) {
    if (FindPlayer()) return;
    // FindPlayer may be rewriting the path on another thread.
    char path[kPlayerPathSize];
    CopyPlayerPath(path, sizeof path);
    if (path[0] != '\0' && FileExists(path)) *result = StartPlayerProgram(path, nullptr);
}

void CALLBACK LaunchWatchdog(HWND, UINT, UINT_PTR, DWORD) {
    PostMessageA(pluginState.controlWindow, MSG_LAUNCH_DONE, kWatchdogPost, 0);
}

// A launch thread the watchdog wrote off still posts when it ends; by then
// a newer launch may be under way, whose handle and watchdog it must not
// end. Only the watchdog and the current thread speak for the current
// launch, and nobody does while no launch is under way.
bool IsCurrentLaunchPost(WPARAM poster) {
    const bool launching = pluginState.launchThread != nullptr || pluginState.launchWatchdogTimer != 0;
    if (!launching) return false;
    if (poster == kWatchdogPost) return true;
    return pluginState.launchThread != nullptr && poster == GetThreadId(pluginState.launchThread);
}

}  // namespace

DWORD WINAPI LaunchPlayer(LPVOID) {
    RequestControlRepaint();
    INT_PTR result = 0;
    StartPlayerUnlessRunning(&result);
    WaitForPlayerWindow(kLaunchStepMs, result);
    PostMessageA(pluginState.controlWindow, MSG_LAUNCH_DONE, GetCurrentThreadId(), 0);
    EndWorkerThread();
}

void ActivateCell() {
    const int cell = pluginState.hotItem;
    if (cell < 0 || cell == HOT_DISPLAY) return;
    if (FindPlayer()) {
        StartCommand();
        return;
    }
    if (!CellStartsPlayer(cell)) return;
    pluginState.pendingCommand = cell;
    StartLaunch();
}

void StartLaunch() {
    RepaintControlNow();
    if (pluginState.launchThread != nullptr) return;
    if (pluginState.launchWatchdogTimer == 0) {
        pluginState.launchWatchdogTimer = SetTimer(pluginState.controlWindow, TIMER_LAUNCH_WATCHDOG,
                                                   launchTiming.watchdogMs, LaunchWatchdog);
    }
    pluginState.launchThread = StartWorkerThread(LaunchPlayer, nullptr);
}

void FinishLaunch(WPARAM wParam) {
    if (!IsCurrentLaunchPost(wParam)) return;
    StopTimer(pluginState.controlWindow, &pluginState.launchWatchdogTimer);
    // A thread the watchdog gave up on goes on; the stop still knows it.
    if (pluginState.launchThread != nullptr) {
        CloseHandle(pluginState.launchThread);
        pluginState.launchThread = nullptr;
    }
    // Cleared before the failure box: a press made inside the box's modal
    // loop may start a new launch, and its pending cell must outlive the box.
    const int pending = pluginState.pendingCommand;
    pluginState.pendingCommand = HOT_NONE;
    if (!FindPlayer()) {
        ShowLaunchFailure();
        return;
    }
    // On/Off (0) asked only for the start itself.
    if (pending > 0) {
        pluginState.hotItem = pending;
        StartCommand();
    }
}

void CALLBACK StartupLaunch(HWND, UINT, UINT_PTR, DWORD) {
    if (!pluginState.startupPending) return;
    pluginState.startupPending = false;
    StopTimer(pluginState.controlWindow, &pluginState.startupTimer);
    if (pluginState.runAtStartup) StartLaunch();
}
