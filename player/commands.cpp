// Button presses become player commands on a short-lived command thread, so
// the host's thread never waits for the player to carry one out. The seek,
// showing or hiding the player and its preferences are asked for on the
// host's thread, and posted or queued so that a hung player cannot hold it.
#include "player/commands.h"

#include "player/control_repaint.h"
#include "player/player_link.h"
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"

namespace {

bool ShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

LPVOID CellParameter(int cell) { return reinterpret_cast<LPVOID>(static_cast<INT_PTR>(cell)); }

int CellOf(LPVOID parameter) { return static_cast<int>(reinterpret_cast<INT_PTR>(parameter)); }

void CarryOutPress(int cell) {
    // Files being handed to the player own it until they are all in.
    if (pluginState.dropBusy) return;
    const Press press{cell, ShiftHeld(), pluginState.positionUnchanged, pluginState.volumeSteps};
    const CommandPlan plan = PlanCommand(press);
    if (plan.playInsteadOfPause) pluginState.hotItem = HOT_PLAY;
    for (int i = 0; i < plan.count; ++i) SendPlayerCommand(plan.rows[i]);
    if (plan.setsPositionUnchanged) pluginState.positionUnchanged = plan.positionUnchanged;
    RequestControlRepaint();
}

}  // namespace

void SendPlayerCommand(int row) {
    if (row < 0 || row >= static_cast<int>(PlayerCommandTable.size())) return;
    SendMessageA(pluginState.playerWindow, WM_COMMAND, static_cast<WPARAM>(PlayerCommandTable[row]), 0);
}

DWORD WINAPI RunPlayerCommand(LPVOID cell) {
    CarryOutPress(CellOf(cell));
    // The thread names itself: one that outlived a stop must not close the
    // handle of the next start's command thread.
    PostMessageA(pluginState.controlWindow, MSG_COMMAND_DONE, GetCurrentThreadId(), 0);
    EndWorkerThread();
}

void StartCommand() {
    RepaintControlNow();
    if (pluginState.commandThread != nullptr) return;
    // The cell goes with the thread: hotItem moves on with the pointer.
    pluginState.commandThread = StartWorkerThread(RunPlayerCommand, CellParameter(pluginState.hotItem));
}

void FinishCommand(WPARAM poster) {
    if (pluginState.commandThread == nullptr || GetThreadId(pluginState.commandThread) != poster) return;
    CloseHandle(pluginState.commandThread);
    pluginState.commandThread = nullptr;
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
