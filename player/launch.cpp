// Starting the player when a press, a drop, the context menu or the
// start-up timer needs it: a launch thread that starts the program and
// follows it and every process it and theirs started, until the player's
// window exists or they have all gone, a watchdog that gives up on it
// after the start limit, the replay of the press that asked for the start,
// and the one message that says it failed.
#include "player/launch.h"

#include "host/host_services.h"
#include "player/commands.h"
#include "player/control_repaint.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "player/process_image.h"
#include "plugin/com_apartment.h"
#include "plugin/descriptor.h"
#include "plugin/error_box.h"
#include "plugin/state/plugin_state.h"
#include "plugin/worker_slot.h"

#include <shellapi.h>
#include <memory>

namespace {

// Shown in English whatever the user-interface language.
constexpr char kLaunchFailureText[] = "Error loading player!\r";
// Short: a press waits this long at most for the player's window to be
// seen, and a player that went away is noticed at once by its process.
constexpr DWORD kFollowStepMs = 50;

// What a start needs, taken on the host's thread so that a worker reads
// nothing a later start may change.
struct PlayerProgram {
    char path[kPlayerPathSize];  // empty when the stored path names no file
    int show;                    // minimised or normal, as the user set
};
struct StartedProgram {
    INT_PTR result;  // as ShellExecuteA's: 32 or less is a failure
    HANDLE process;  // the caller closes it; nullptr when none is known
};

constexpr bool StartSucceeded(INT_PTR result) { return result > 32; }

// How a start of the player ended. A launch posts it with MSG_LAUNCH_DONE;
// the watchdog's post carries 0, a give-up.
enum class StartEnd : LPARAM {
    TimedOut = 0,  // launchTiming.startLimitMs passed without a window
    SawWindow,     // the player's window exists
    ProcessEnded,  // every process the start made, and theirs, ended, leaving no player's window
    StartFailed,   // no usable path, or the program could not be started
    Stopped,       // the plug-in is stopping
};

// Host's thread.
PlayerProgram PlayerProgramNow() {
    PlayerProgram program = {};
    CopyPlayerPath(program.path, sizeof program.path);
    if (!FileExists(program.path)) program.path[0] = '\0';
    program.show = pluginState.runMinimized ? SW_MINIMIZE : SW_SHOW;
    return program;
}

// Runs the program with no parameters, keeping the started process.
StartedProgram StartPlayerProgram(const PlayerProgram& program) {
    // ShellExecuteEx may hand the start to a shell extension or handler
    // that needs COM on the calling thread, as its documentation says.
    const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    // As ShellExecuteA: no error box of the shell's own; the caller says it.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    // An empty operation runs the file's default action, which for a
    // program is to start it.
    start.lpVerb = "";
    start.lpFile = program.path;
    start.nShow = program.show;
    ShellExecuteExA(&start);
    return {reinterpret_cast<INT_PTR>(start.hInstApp), start.hProcess};
}

// Looks at once, then in short steps, until the player's window exists or
// everything the launch started has ended (when it is known), within the
// start limit. A player's window may come and go while the start is still
// under way, never seen here. A launcher ends before the player it started
// has a window, and so may a process between them (cmd's start, a script
// host) that starts the player and ends at once: only a look while it ran
// ties the player to the family. So each step looks for new descendants
// of every member, and the launch ends as "came and went" only once no
// member runs.
StartEnd FollowStartedPlayer(const WorkerLink& link, HANDLE process) {
    const DWORD started = GetTickCount();
    LaunchedFamily family(process);
    for (;;) {
        if (PlayerWindowNow()) return StartEnd::SawWindow;
        const HANDLE running = family.RunningMember();
        // Looked at again after the last end: a second instance that handed
        // its command line over ends once a player's window exists.
        if (family.Follows() && !running) return PlayerWindowNow() ? StartEnd::SawWindow : StartEnd::ProcessEnded;
        if (GetTickCount() - started >= launchTiming.startLimitMs) return StartEnd::TimedOut;
        // A member's end ends the step early, to look again at once.
        if (WaitInWorker(link, running, kFollowStepMs) == WaitEnd::Stopped) return StartEnd::Stopped;
    }
}

// "Error loading player!", a carriage return and the player path.
void ShowLaunchFailure() {
    char text[sizeof kLaunchFailureText - 1 + kPlayerPathSize];
    lstrcpynA(text, kLaunchFailureText, sizeof text);
    constexpr int kPathAt = sizeof kLaunchFailureText - 1;
    CopyPlayerPath(text + kPathAt, sizeof text - kPathAt);
    ShowErrorBoxApart(kPluginName, text);
}

// The watchdog's MSG_LAUNCH_DONE carries 0; the launch thread's carries its
// thread id, which is never 0.
constexpr WPARAM kWatchdogPost = 0;

WorkerSlot launchWorker(L"Pelorin launch", nullptr, &pluginState.launchThread);

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
    return launchWorker.Posted(poster);
}

StartEnd StartUnlessRunning(const WorkerLink& link, const PlayerProgram& program) {
    if (PlayerWindowNow()) return StartEnd::SawWindow;
    if (program.path[0] == '\0') return StartEnd::StartFailed;
    const StartedProgram started = StartPlayerProgram(program);
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

// The launch thread: starts the player unless it runs, follows it, then
// posts MSG_LAUNCH_DONE with its own thread id and how it ended.
void LaunchPlayer(const WorkerLink& link, void* raw) {
    const std::unique_ptr<PlayerProgram> program(static_cast<PlayerProgram*>(raw));
    RequestRepaint(link);
    const StartEnd end = StartUnlessRunning(link, *program);
    if (end != StartEnd::Stopped)
        PostToControl(link, MSG_LAUNCH_DONE, GetCurrentThreadId(), static_cast<LPARAM>(end));
}

}  // namespace

void ActivateCell() {
    const int cell = pluginState.hotItem;
    if (cell < 0 || cell == HOT_DISPLAY) return;
    // The window the poll knows, still there, needs no second look at the
    // path: the press goes to the player at once.
    const bool known = pluginState.playerWindow != nullptr && PlayerWindowNow() == pluginState.playerWindow;
    if (known || FindPlayer()) {
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
    if (launchWorker.Start(LaunchPlayer, program.get())) program.release();
}

void FinishLaunch(WPARAM poster, LPARAM end) {
    if (!IsCurrentLaunchPost(poster)) return;
    StopTimer(pluginState.controlWindow, &pluginState.launchWatchdogTimer);
    // A thread the watchdog gave up on goes on by itself.
    launchWorker.Release();
    // The failure box shows on a thread of its own and this returns at
    // once: a press made while it is up may start a new launch, whose
    // pending cell is its own.
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
