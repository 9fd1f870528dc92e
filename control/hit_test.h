// What lies under the pointer on the control.
#pragma once

#include "skin/geometry.h"

#include <windows.h>

// Pure: the HotItem for client point (x, y).
int HotItemAt(int x, int y, const Geometry& geometry, int playerStatus);

// Reads the pointer, stores the answer in pluginState.hotItem and returns
// the client point it tested.
POINT HitTest();
