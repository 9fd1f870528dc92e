// What one press of a button sends to the player.
#include "player/command_plan.h"

#include <algorithm>

namespace {

void Add(CommandPlan* plan, int row) {
    if (plan->count < kMaxCommandSends) plan->rows[plan->count++] = row;
}

bool IsCell(int cell) { return cell >= CELL_ON_OFF && cell <= CELL_VOLUME_DOWN; }

// Shift turns Prev and Next into short skips and silences the rest.
void PlanShifted(const Press& press, CommandPlan* plan) {
    if (press.cell == CELL_PREV) Add(plan, ROW_REWIND);
    if (press.cell == CELL_NEXT) Add(plan, ROW_FAST_FORWARD);
}

void PlanPlain(const Press& press, CommandPlan* plan) {
    int cell = press.cell;
    // Pause toggles on our side: once the player stands still (by our own
    // Pause or as the poll saw it), the same button resumes it.
    if (cell == CELL_PAUSE && press.positionUnchanged) {
        cell = CELL_PLAY;
        plan->playInsteadOfPause = true;
    }
    if (PlayerCommandTable[cell] != 0) Add(plan, cell);
    switch (cell) {
        case CELL_ON_OFF:
        case CELL_PLAY:
        case CELL_STOP:
        case CELL_PREV:
        case CELL_NEXT:
            plan->setsPositionUnchanged = true;
            plan->positionUnchanged = false;
            break;
        case CELL_PAUSE:
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
    if (press.cell == CELL_VOLUME_UP || press.cell == CELL_VOLUME_DOWN) {
        const int repeats = press.volumeSteps > 1 ? std::min(press.volumeSteps, kMaxVolumeSteps) : 0;
        for (int i = 0; i < repeats; ++i) Add(&plan, press.cell);
    }
    return plan;
}
