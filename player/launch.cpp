// Starting the player when a press, the context menu or the start-up timer
// needs it: a launch thread that starts the program and follows it until
// its window exists or it has gone, a watchdog that gives up on it after
// the start limit, and the replay of the press that asked for the start.
#include "player/launch.h"

#include "host/host_services.h"
#include "player/commands.h"
#include "player/control_repaint.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "player/player_start.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"

#include <memory>

namespace {

// The watchdog's MSG_LAUNCH_DONE carries 0; the launch thread's carries its
// thread id, which is never 0.
constexpr WPARAM kWatchdogPost = 0;

void CALLBACK LaunchWatchdog(HWND, UINT, UINT_PTR, DWORD) {
    PostMessageA(pluginState.controlWindow, MSG_LAUNCH_DONE, kWatchdogPost, static_cast<LPARAM>(StartEnd::TimedOut));
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

StartEnd StartUnlessRunning(const WorkerLink& link, const PlayerProgram& program) {
    if (PlayerWindowNow()) return StartEnd::SawWindow;
    if (program.path[0] == '\0') return StartEnd::StartFailed;
    const StartedProgram started = StartPlayerProgram(program, nullptr);
    if (!StartSucceeded(started.result)) return StartEnd::StartFailed;
    const StartEnd end = FollowStartedPlayer(link, started.process);
    if (started.process) CloseHandle(started.process);
    return end;
}

// Only a start that could not be made, or a player that did not show up in
// time, failed to load; one that came and went (closed at once, or ended at
// its start) is the user's or the player's doing.
bool LoadFailed(WPARAM poster, LPARAM end) {
    if (poster == kWatchdogPost) return true;
    const auto how = static_cast<StartEnd>(end);
    return how == StartEnd::StartFailed || how == StartEnd::TimedOut;
}

}  // namespace

void LaunchPlayer(const WorkerLink& link, void* raw) {
    const std::unique_ptr<PlayerProgram> program(static_cast<PlayerProgram*>(raw));
    RequestRepaint(link);
    const StartEnd end = StartUnlessRunning(link, *program);
    if (end != StartEnd::Stopped)
        PostToControl(link, MSG_LAUNCH_DONE, GetCurrentThreadId(), static_cast<LPARAM>(end));
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
    auto program = std::make_unique<PlayerProgram>(PlayerProgramNow());
    pluginState.launchThread = StartWorkerThread(LaunchPlayer, program.get());
    if (pluginState.launchThread) program.release();
}

void FinishLaunch(WPARAM poster, LPARAM end) {
    if (!IsCurrentLaunchPost(poster)) return;
    StopTimer(pluginState.controlWindow, &pluginState.launchWatchdogTimer);
    // A thread the watchdog gave up on goes on by itself.
    if (pluginState.launchThread != nullptr) {
        CloseHandle(pluginState.launchThread);
        pluginState.launchThread = nullptr;
    }
    // Cleared before the failure box: a press made inside the box's modal
    // loop may start a new launch, and its pending cell must outlive the box.
    const int pending = pluginState.pendingCommand;
    pluginState.pendingCommand = HOT_NONE;
    if (!FindPlayer()) {
        if (LoadFailed(poster, end)) ShowLaunchFailure();
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
