// The mouse wheel as the volume buttons: notches become presses of Vol + or
// Vol - sent by the command worker; high-resolution wheels add up to
// notches, and notches that come while a command runs go in the next burst.
#include "control/wheel.h"

#include "player/command_plan.h"
#include "player/commands.h"
#include "plugin/state/plugin_state.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Lives with the control window: ForgetWheel runs when one is created.
struct WheelState {
    int remainder;
    int counted;  // notches waiting for the command worker, up minus down
    bool shift;   // Shift as the last counted notch came
};
WheelState wheel = {};

bool PlayerTakesVolume() { return pluginState.playerStatus != PLAYER_NOT_RUNNING && !pluginState.dropBusy; }

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
    if (wheel.counted == 0 || CommandWorkerBusy()) return;
    const int burst = BurstNotches(wheel.counted);
    wheel.counted = 0;
    if (!PlayerTakesVolume()) return;
    // The worker carries it out like a press, so presses wait for it and
    // its end is handled alike.
    const int cell = burst > 0 ? HOT_VOLUME_UP : HOT_VOLUME_DOWN;
    const CommandPlan plan = PlanCommand(Press{cell, wheel.shift, pluginState.positionUnchanged, pluginState.volumeSteps});
    HandCommandToWorker(CommandJob{pluginState.playerWindow, plan, std::abs(burst), true});
}

void ForgetWheel() { wheel = {}; }
