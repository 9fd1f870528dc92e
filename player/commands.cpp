// Button presses become player commands on the command worker, which lives
// from start to stop, so the host's thread never waits for the player to
// carry one out, nor for a thread to start. What a press sends is decided
// on the host's thread; the worker only sends it and reports back, and the
// host's thread applies what the press changed. The seek, showing or
// hiding the player and its preferences are asked for on the host's
// thread, and posted or queued so that a hung player cannot hold it.
#include "player/commands.h"

#include "player/control_repaint.h"
#include "player/player_link.h"
#include "player/playlist.h"
#include "player/status_logic.h"
#include "plugin/job_worker.h"
#include "plugin/state/plugin_state.h"

namespace {

// Worker thread. A stop does not wait for the rest of a long burst:
// nothing more is sent. A chosen entry is made current, and played, in the
// window its search asked: job.player is only what the poll knew.
LPARAM CarryOut(const WorkerLink& link, CommandJob& job) {
    HWND player = job.player;
    if (job.choice) {
        // The playlist may have changed since the menu read it: only the
        // song the user picked plays, or nothing does.
        const std::optional<int32_t> entry = FindChosenEntry(*job.choice);
        // The search may take half a second, and a stop may have come.
        if (!entry || StopRequestedWithin(link, 0)) return kStandstillKept;
        player = job.choice->player;
        // Sent and waited for like the commands, so that the plan plays the
        // entry made current.
        SendMessageA(player, PLAYER_QUERY, static_cast<WPARAM>(*entry), QUERY_SET_PLAYLIST_POSITION);
    }
    for (int time = 0; time < job.times; ++time) {
        for (int i = 0; i < job.plan.count; ++i) {
            if (StopRequestedWithin(link, 0)) return StandstillEffect(job.plan);
            SendPlayerCommand(player, job.plan.rows[i]);
        }
    }
    if (job.repaint) RequestRepaint(link);
    return StandstillEffect(job.plan);
}

// A job lost with a worker whose wait failed is told to the control as a
// done post from no worker: nothing is finished, and what waited for the
// worker (a playlist choice, wheel notches) goes out as after any job.
constexpr WPARAM kNoWorker = 0;
void TellJobLost(CommandJob&) {
    PostMessageA(pluginState.controlWindow, MSG_COMMAND_DONE, kNoWorker, kStandstillKept);
}

JobWorker<CommandJob> commandWorker(L"Pelorin command", MSG_COMMAND_DONE, CarryOut, &pluginState.commandBusy,
                                    nullptr, TellJobLost);

}  // namespace

bool ShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

void SendPlayerCommand(HWND player, int row) {
    if (row < 0 || row >= static_cast<int>(PlayerCommandTable.size())) return;
    SendMessageA(player, WM_COMMAND, static_cast<WPARAM>(PlayerCommandTable[row]), 0);
}

bool StartCommandWorker() { return commandWorker.Ready(); }

bool HandCommandToWorker(const CommandJob& job) { return commandWorker.Hand(job); }

bool CommandWorkerBusy() { return commandWorker.Busy(); }

void StartCommand() {
    if (!CommandWorkerBusy()) {
        // Decided here, at the press: hotItem moves on with the pointer, and
        // the worker must not read state a later start may own.
        CommandJob job{pluginState.playerWindow, CommandPlan{}, 1, false};
        // Files being handed to the player own it until they are all in.
        if (!pluginState.dropBusy) {
            job.plan = PlanCommand(
                Press{pluginState.hotItem, ShiftHeld(), pluginState.positionUnchanged, pluginState.volumeSteps});
            job.repaint = true;
        }
        if (HandCommandToWorker(job) && job.plan.playInsteadOfPause) pluginState.hotItem = HOT_PLAY;
    }
    // Painted once the worker is on its way: the player need not wait for it.
    RepaintControlNow();
}

void FinishCommand(WPARAM poster, LPARAM effect) {
    if (commandWorker.Finish(poster) == nullptr) return;
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

// The host hears of a dialog beginning and ending around the post, so it
// hears of the end before the player has opened the dialog, let alone
// closed it: waiting for the player would hold the shell for as long as a
// hung player hangs.
void OpenPlayerPreferences() {
    SendMessageA(hostContext.hostWindow, HM_MODAL_BEGIN, 0, 0);
    // Posted: a send would hold the taskbar for as long as the player hangs,
    // and a send with a time-out that runs out is never delivered at all.
    PostMessageA(pluginState.playerWindow, WM_COMMAND, kPreferencesCommand, 0);
    SendMessageA(hostContext.hostWindow, HM_MODAL_END, 0, 0);
}
