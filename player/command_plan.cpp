// What one press of a button sends to the player.
#include "player/command_plan.h"

#include <algorithm>

namespace {

void Add(CommandPlan* plan, int row) {
    if (plan->count < kMaxCommandSends) plan->rows[plan->count++] = row;
}

bool IsCell(int cell) { return cell >= HOT_ON_OFF && cell <= HOT_VOLUME_DOWN; }

// Shift turns Prev and Next into short skips and silences the rest.
void PlanShifted(const Press& press, CommandPlan* plan) {
    if (press.cell == HOT_PREV) Add(plan, ROW_REWIND);
    if (press.cell == HOT_NEXT) Add(plan, ROW_FAST_FORWARD);
}

void PlanPlain(const Press& press, CommandPlan* plan) {
    int cell = press.cell;
    // Pause toggles on our side: once the player stands still (by our own
    // Pause or as the poll saw it), the same button resumes it.
    if (cell == HOT_PAUSE && press.positionUnchanged) {
        cell = HOT_PLAY;
        plan->playInsteadOfPause = true;
    }
    if (PlayerCommandTable[cell] != 0) Add(plan, cell);
    switch (cell) {
        case HOT_ON_OFF:
        case HOT_PLAY:
        case HOT_STOP:
        case HOT_PREV:
        case HOT_NEXT:
            plan->setsPositionUnchanged = true;
            plan->positionUnchanged = false;
            break;
        case HOT_PAUSE:
            plan->setsPositionUnchanged = true;
            plan->positionUnchanged = !press.positionUnchanged;
            break;
        default:
            break;
    }
}

}  // namespace

CommandPlan PlanCommand(const Press& press) {
    CommandPlan plan;
    // The position bar and anything outside the table send nothing.
    if (!IsCell(press.cell)) return plan;
    if (press.shift) {
        PlanShifted(press, &plan);
    } else {
        PlanPlain(press, &plan);
    }
    if (press.cell == HOT_VOLUME_UP || press.cell == HOT_VOLUME_DOWN) {
        const int repeats = press.volumeSteps > 1 ? std::min(press.volumeSteps, kMaxVolumeSteps) : 0;
        for (int i = 0; i < repeats; ++i) Add(&plan, press.cell);
    }
    return plan;
}
