// Files dropped on the control. The host's thread only copies the names out
// of the drop, releases it, and notes Shift; a drop worker then waits while
// a launch under way has not brought the player up, and starts the player
// once per file, with the command line the player's state calls for as
// that file is handed over, each start only once the player has taken the
// one before (a slow start must not be overtaken by the next). The taskbar
// stays live however long the player takes. A drop that arrives meanwhile waits behind the running one,
// and dropBusy keeps the control's own input and the command thread out
// until the last has ended.
#include "player/launch.h"

#include "player/bounded_send.h"
#include "player/drop_commands.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "player/player_start.h"
#include "plugin/state/plugin_state.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kDropStepMs = 250;
constexpr UINT kFileCountQuery = 0xFFFFFFFF;
constexpr int32_t kAnswerPlaying = 1;

// What one drop hands over: the names in order, and Shift as it was.
struct DroppedFiles {
    std::vector<std::string> names;
    bool shiftHeld = false;
};

struct DropJob {
    DropJob() = default;
    DropJob(const DropJob&) = delete;
    DropJob& operator=(const DropJob&) = delete;
    ~DropJob() {
        if (launch) CloseHandle(launch);
    }
    DroppedFiles files;
    PlayerProgram program = {};
    HANDLE launch = nullptr;  // the launch under way when the drop began
};

HANDLE dropThread = nullptr;
std::deque<DroppedFiles> queuedDrops;

bool ShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

// Each name at its full length: the player, not a buffer of ours, decides
// what it can open.
std::vector<std::string> ReadDroppedNames(HDROP drop) {
    const UINT count = DragQueryFileA(drop, kFileCountQuery, nullptr, 0);
    std::vector<std::string> names;
    names.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::string name(length + 1, '\0');
        name.resize(DragQueryFileA(drop, i, name.data(), length + 1));
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

HANDLE DuplicateForWorker(HANDLE thread) {
    HANDLE copy = nullptr;
    if (thread) DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

void BeginDrop(DroppedFiles files) {
    pluginState.dropBusy = true;
    StartLaunch();
    auto job = std::make_unique<DropJob>();
    job->files = std::move(files);
    job->program = PlayerProgramNow();
    job->launch = DuplicateForWorker(pluginState.launchThread);
    dropThread = StartWorkerThread(PassDroppedFiles, job.get());
    if (dropThread) {
        job.release();  // the worker owns it now
    } else {
        pluginState.dropBusy = false;
    }
}

// A running player's second instance hands its command line over and ends;
// a first one becomes the player. Either way the player has the file only
// then: a window alone may belong to the player from before. False when
// the plug-in is stopping.
bool WaitForHandOver(const WorkerLink& link, const StartedProgram& start) {
    const DWORD started = GetTickCount();
    while (StartSucceeded(start.result) && GetTickCount() - started < launchTiming.startLimitMs) {
        if (StopRequestedWithin(link, kDropStepMs)) return false;
        const HWND player = PlayerWindowNow();
        if (!player) continue;
        if (start.process == nullptr || WaitForSingleObject(start.process, 0) == WAIT_OBJECT_0) return true;
        DWORD owner = 0;
        GetWindowThreadProcessId(player, &owner);
        if (owner == GetProcessId(start.process)) return true;
    }
    return true;
}

// The player's state as it takes the file: a playing player adds, any
// other opens (or, with Shift, the other way round).
int PlayerStatusNow() {
    const HWND player = PlayerWindowNow();
    if (!player) return PLAYER_NOT_RUNNING;
    const std::optional<int32_t> state = SendToPlayerBounded(player, PLAYER_QUERY, 0, QUERY_PLAY_STATE);
    return state && *state == kAnswerPlaying ? PLAYER_PLAYING : PLAYER_STOPPED;
}

// False when the plug-in is stopping.
bool PassFiles(const WorkerLink& link, const DropJob& job) {
    // A player still on its way up would take a file for a second instance
    // of itself: let the launch bring it up (or see it gone) first.
    if (job.launch && !PlayerWindowNow() && !WaitUnlessStopped(link, job.launch, launchTiming.startLimitMs))
        return false;
    const std::vector<std::string>& names = job.files.names;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool append = i > 0 || FirstFileAppends(PlayerStatusNow(), job.files.shiftHeld);
        const std::string parameters = DropCommandLine(names[i], append);
        const StartedProgram start = StartPlayerProgram(job.program, parameters.c_str());
        const bool carriedOn = WaitForHandOver(link, start);
        if (start.process) CloseHandle(start.process);
        if (!carriedOn) return false;
        if (!PlayerWindowNow()) PostToControl(link, MSG_DROP_FAILED, 0, 0);
    }
    return true;
}

}  // namespace

void PassDroppedFiles(const WorkerLink& link, void* parameter) {
    const std::unique_ptr<DropJob> job(static_cast<DropJob*>(parameter));
    if (PassFiles(link, *job)) PostToControl(link, MSG_DROP_DONE, GetCurrentThreadId(), 0);
}

void AcceptDroppedFiles(HDROP drop) {
    DroppedFiles files{ReadDroppedNames(drop), ShiftHeld()};
    // The drag source may wait for this; nothing of the drop is needed after.
    DragFinish(drop);
    if (dropThread) {
        queuedDrops.push_back(std::move(files));
        return;
    }
    BeginDrop(std::move(files));
}

void OnDropWorkerPost(UINT message, WPARAM poster) {
    if (message == MSG_DROP_FAILED) {
        ShowLaunchFailure();
        return;
    }
    if (dropThread == nullptr || GetThreadId(dropThread) != poster) return;
    CloseHandle(dropThread);
    dropThread = nullptr;
    if (queuedDrops.empty()) {
        pluginState.dropBusy = false;
        return;
    }
    DroppedFiles next = std::move(queuedDrops.front());
    queuedDrops.pop_front();
    BeginDrop(std::move(next));
}

void ForgetDrops() {
    queuedDrops.clear();
    if (dropThread) CloseHandle(dropThread);
    dropThread = nullptr;
    pluginState.dropBusy = false;
}
