// What lies under the pointer on the control.
#pragma once

#include "skin/geometry.h"

#include <windows.h>

// Pure: what lies at client point (x, y), the Display cell included: a
// cell 0..9, the position bar while it is active, or HOT_NONE.
int ElementAt(int x, int y, const Geometry& geometry, int playerStatus);

// Pure: the HotItem for client point (x, y): ElementAt, with the Display
// cell counted as no cell.
int HotItemAt(int x, int y, const Geometry& geometry, int playerStatus);

// Reads the pointer, stores the answer in pluginState.hotItem and returns
// the client point it tested.
POINT HitTest();
