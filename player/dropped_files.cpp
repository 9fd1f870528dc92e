// Files dropped on the control. The host's thread only copies the names out
// of the drop, releases it, and fixes each file's command line (from the
// player's state and Shift as they are at the drop); a drop worker then
// waits for a launch under way and starts the player once per file, each
// start only once the player has taken the one before (a slow start must
// not be overtaken by the next). The taskbar stays live however long the
// player takes. A drop that arrives meanwhile waits behind the running one,
// and dropBusy keeps the control's own input and the command thread out
// until the last has ended.
#include "player/launch.h"

#include "player/drop_commands.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "player/player_start.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kDropSettleMs = 500;
constexpr DWORD kDropStepMs = 250;
constexpr UINT kFileCountQuery = 0xFFFFFFFF;

using CommandLines = std::vector<std::string>;

struct DropJob {
    DropJob() = default;
    DropJob(const DropJob&) = delete;
    DropJob& operator=(const DropJob&) = delete;
    ~DropJob() {
        if (launch) CloseHandle(launch);
    }
    CommandLines commandLines;
    HANDLE launch = nullptr;  // the launch under way when the drop began
};

HANDLE dropThread = nullptr;
std::deque<CommandLines> queuedDrops;

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

CommandLines CommandLinesFor(const std::vector<std::string>& names) {
    const std::vector<std::string_view> views(names.begin(), names.end());
    return DropCommandLines(views, pluginState.playerStatus, ShiftHeld());
}

HANDLE DuplicateForWorker(HANDLE thread) {
    HANDLE copy = nullptr;
    if (thread) DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

void BeginDrop(CommandLines commandLines) {
    pluginState.dropBusy = true;
    StartLaunch();
    auto job = std::make_unique<DropJob>();
    job->commandLines = std::move(commandLines);
    job->launch = DuplicateForWorker(pluginState.launchThread);
    dropThread = StartWorkerThread(PassDroppedFiles, job.get());
    if (dropThread) {
        job.release();  // the worker owns it now
    } else {
        pluginState.dropBusy = false;
    }
}

// False when the plug-in is stopping.
bool PassFiles(const DropJob& job) {
    // Gives a launch that must start the player a head start.
    if (StopRequestedWithin(kDropSettleMs)) return false;
    // A player still on its way up would take a file for a second instance
    // of itself: let the launch finish first.
    if (job.launch && !FindPlayer() && !ThreadEndedUnlessStopped(job.launch, launchTiming.startLimitMs)) return false;
    for (const std::string& parameters : job.commandLines) {
        char path[kPlayerPathSize];
        CopyPlayerPath(path, sizeof path);
        const StartedProgram start = StartPlayerWithFile(path, parameters.c_str());
        const bool carriedOn = WaitForPlayerWindow(kDropStepMs, start.result, start.process);
        if (start.process) CloseHandle(start.process);
        if (!carriedOn) return false;
        if (!FindPlayer()) PostMessageA(pluginState.controlWindow, MSG_DROP_FAILED, 0, 0);
    }
    return true;
}

}  // namespace

DWORD WINAPI PassDroppedFiles(LPVOID parameter) {
    {
        std::unique_ptr<DropJob> job(static_cast<DropJob*>(parameter));
        PassFiles(*job);
    }
    PostMessageA(pluginState.controlWindow, MSG_DROP_DONE, GetCurrentThreadId(), 0);
    EndWorkerThread();
}

void AcceptDroppedFiles(HDROP drop) {
    CommandLines commandLines = CommandLinesFor(ReadDroppedNames(drop));
    // The drag source may wait for this; nothing of the drop is needed after.
    DragFinish(drop);
    if (dropThread) {
        queuedDrops.push_back(std::move(commandLines));
        return;
    }
    BeginDrop(std::move(commandLines));
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
    CommandLines next = std::move(queuedDrops.front());
    queuedDrops.pop_front();
    BeginDrop(std::move(next));
}

void ForgetDrops() {
    queuedDrops.clear();
    if (dropThread) CloseHandle(dropThread);
    dropThread = nullptr;
    pluginState.dropBusy = false;
}
