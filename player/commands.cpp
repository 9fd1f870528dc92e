// Button presses become player commands on a short-lived command thread, so
// the host's thread never waits for the player to carry one out. What a
// press sends is decided on the host's thread; the thread only sends it and
// reports back, and the host's thread applies what the press changed. The
// seek, showing or hiding the player and its preferences are asked for on
// the host's thread, and posted or queued so that a hung player cannot
// hold it.
#include "player/commands.h"

#include "player/control_repaint.h"
#include "player/player_link.h"
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"

#include <memory>

namespace {

bool ShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

}  // namespace

void SendPlayerCommand(HWND player, int row) {
    if (row < 0 || row >= static_cast<int>(PlayerCommandTable.size())) return;
    SendMessageA(player, WM_COMMAND, static_cast<WPARAM>(PlayerCommandTable[row]), 0);
}

void RunPlayerCommand(const WorkerLink& link, void* raw) {
    const std::unique_ptr<CommandJob> job(static_cast<CommandJob*>(raw));
    for (int time = 0; time < job->times; ++time) {
        // A stop does not wait for the rest of a long burst.
        if (time > 0 && StopRequestedWithin(link, 0)) break;
        for (int i = 0; i < job->plan.count; ++i) SendPlayerCommand(job->player, job->plan.rows[i]);
    }
    if (job->repaint) RequestRepaint(link);
    // The thread names itself: one that outlived a stop must not close the
    // handle of the next start's command thread.
    PostToControl(link, MSG_COMMAND_DONE, GetCurrentThreadId(), StandstillEffect(job->plan));
}

void StartCommandThread(const CommandJob& job) {
    if (pluginState.commandThread != nullptr) return;
    auto owned = std::make_unique<CommandJob>(job);
    pluginState.commandThread = StartWorkerThread(RunPlayerCommand, owned.get());
    if (pluginState.commandThread) owned.release();
}

void StartCommand() {
    RepaintControlNow();
    if (pluginState.commandThread != nullptr) return;
    // Decided here, at the press: hotItem moves on with the pointer, and the
    // thread must not read state a later start may own.
    CommandJob job{pluginState.playerWindow, CommandPlan{}, 1, false};
    // Files being handed to the player own it until they are all in.
    if (!pluginState.dropBusy) {
        job.plan = PlanCommand(
            Press{pluginState.hotItem, ShiftHeld(), pluginState.positionUnchanged, pluginState.volumeSteps});
        job.repaint = true;
    }
    StartCommandThread(job);
    if (pluginState.commandThread && job.plan.playInsteadOfPause) pluginState.hotItem = HOT_PLAY;
}

void FinishCommand(WPARAM poster, LPARAM effect) {
    if (pluginState.commandThread == nullptr || GetThreadId(pluginState.commandThread) != poster) return;
    CloseHandle(pluginState.commandThread);
    pluginState.commandThread = nullptr;
    if (effect != kStandstillKept) pluginState.positionUnchanged = effect == kStandstillSet;
}

bool PlayerWindowNeedsRestore() {
    const HWND player = pluginState.playerWindow;
    return !IsWindowVisible(player) || IsIconic(player);
}

// ShowWindow on another process's window waits for that process; the
// asynchronous form queues the change, in order, and returns.
void TogglePlayerWindow() {
    const HWND player = pluginState.playerWindow;
    if (PlayerWindowNeedsRestore()) {
        ShowWindowAsync(player, SW_RESTORE);
        return;
    }
    ShowWindowAsync(player, SW_MINIMIZE);
    if (pluginState.hideOnMinimize) ShowWindowAsync(player, SW_HIDE);
}

void SeekPlayer() {
    const std::optional<int32_t> target = SeekTargetMs(songLengthSec, positionPercent);
    if (!target) return;
    // Posted: its answer is not used, and a send that ran out of time would
    // lose the seek besides holding the taskbar.
    PostMessageA(pluginState.playerWindow, PLAYER_QUERY, static_cast<WPARAM>(*target), QUERY_JUMP_TO);
}

void OpenPlayerPreferences() {
    SendMessageA(hostContext.hostWindow, HM_MODAL_BEGIN, 0, 0);
    // Posted: a send would hold the taskbar for as long as the player hangs,
    // and a send with a time-out that runs out is never delivered at all.
    PostMessageA(pluginState.playerWindow, WM_COMMAND, kPreferencesCommand, 0);
    SendMessageA(hostContext.hostWindow, HM_MODAL_END, 0, 0);
}
