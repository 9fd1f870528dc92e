// The mouse wheel over the control sets the player's volume: each notch is
// one press of Vol + (up) or Vol - (down), with their step count and Shift
// rule. Notches that come while the command worker sends wait, counted,
// until it is free.
#pragma once

#include <windows.h>

// One notch of a wheel.
constexpr int kWheelNotch = WHEEL_DELTA;
// The most notches one burst sends; more waiting are dropped.
constexpr int kMaxWheelBurst = 20;

struct WheelTurn {
    int notches;    // whole notches, up positive
    int remainder;  // what is left toward the next notch, with its sign
};

// Pure: the whole notches in what was left plus this delta, and the rest.
WheelTurn TurnWheel(int remainder, int delta);

// Pure: the notches one burst sends of those counted (up minus down).
int BurstNotches(int counted);

// WM_MOUSEWHEEL on the control; false when the wheel does not act now
// (no player, or files being dropped) and the message is not taken.
bool OnMouseWheel(WPARAM wParam);
// Hands the counted notches to the command worker, if there are any and
// it is free; the command's completion calls it.
void SendCountedNotches();
// A new control window starts with no remainder and nothing counted.
void ForgetWheel();
