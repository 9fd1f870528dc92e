// The mouse wheel as the volume buttons: notches become presses of Vol + or
// Vol - sent by the command thread; high-resolution wheels add up to
// notches, and notches that come while a command runs go in the next burst.
#include "control/wheel.h"

#include "player/command_plan.h"
#include "player/commands.h"
#include "player/control_repaint.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Lives with the control window: ForgetWheel runs when one is created.
struct WheelState {
    int remainder;
    int counted;  // notches waiting for a command thread, up minus down
    bool shift;   // Shift as the last counted notch came
};
WheelState wheel = {};

bool PlayerTakesVolume() { return pluginState.playerStatus != PLAYER_NOT_RUNNING && !pluginState.dropBusy; }

// A burst travels to its thread as one signed value: notches times two,
// plus one with Shift.
LPVOID BurstParameter(int notches, bool shift) {
    return reinterpret_cast<LPVOID>(static_cast<INT_PTR>(notches * 2 + (shift ? 1 : 0)));
}

void SendBurst(LPVOID parameter) {
    // Files being handed to the player own it until they are all in.
    if (pluginState.dropBusy) return;
    const int packed = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
    const bool shift = (packed & 1) != 0;
    const int notches = (packed - (shift ? 1 : 0)) / 2;
    const int cell = notches > 0 ? HOT_VOLUME_UP : HOT_VOLUME_DOWN;
    const CommandPlan plan = PlanCommand(Press{cell, shift, pluginState.positionUnchanged, pluginState.volumeSteps});
    for (int notch = 0; notch < std::abs(notches); ++notch) {
        // A stop does not wait for the rest of a long burst.
        if (notch > 0 && StopRequestedWithin(0)) break;
        for (int i = 0; i < plan.count; ++i) SendPlayerCommand(plan.rows[i]);
    }
    RequestControlRepaint();
}

// The command thread for a burst: it stands in commandThread like a
// press's, so presses wait for it and its completion is handled alike.
DWORD WINAPI RunVolumeBurst(LPVOID burst) {
    SendBurst(burst);
    PostMessageA(pluginState.controlWindow, MSG_COMMAND_DONE, GetCurrentThreadId(), 0);
    EndWorkerThread();
}

}  // namespace

WheelTurn TurnWheel(int remainder, int delta) {
    const int total = remainder + delta;
    // Division truncates toward zero, so the rest keeps the turn's sign.
    return WheelTurn{total / kWheelNotch, total % kWheelNotch};
}

int BurstNotches(int counted) { return std::clamp(counted, -kMaxWheelBurst, kMaxWheelBurst); }

bool OnMouseWheel(WPARAM wParam) {
    // The wheel never starts the player, and files being handed over own it.
    if (!PlayerTakesVolume()) return false;
    const WheelTurn turn = TurnWheel(wheel.remainder, GET_WHEEL_DELTA_WPARAM(wParam));
    wheel.remainder = turn.remainder;
    if (turn.notches == 0) return true;
    wheel.counted += turn.notches;
    wheel.shift = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
    SendCountedNotches();
    return true;
}

void SendCountedNotches() {
    if (wheel.counted == 0 || pluginState.commandThread != nullptr) return;
    const int burst = BurstNotches(wheel.counted);
    wheel.counted = 0;
    if (!PlayerTakesVolume()) return;
    pluginState.commandThread = StartWorkerThread(RunVolumeBurst, BurstParameter(burst, wheel.shift));
}

void ForgetWheel() { wheel = {}; }
