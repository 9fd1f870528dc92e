// Starting and stopping the plug-in: the record that places the control in
// the host's taskbar, and the parts of start-up that are pure values.
#pragma once

#include "host/host_abi.h"

#include <windows.h>

// Sent to the host once per start; the host keeps a pointer to it, so it
// lives as long as the library and is never changed after the send.
extern TaskbarItem taskbarItem;

// The taskbar record for a control of the given size; priorityPosition
// (0..10) becomes the host's priority (0..100).
constexpr TaskbarItem MakeTaskbarItem(HWND window, HWND parent, int width, int height, int position,
                                      int priorityPosition) {
    return TaskbarItem{window, parent, RECT{0, 0, width, height}, position, -1, -1, priorityPosition * 10};
}

// The title tip's first step: long enough to read the title of a player
// that is already playing, short when there is only the product name.
constexpr UINT TitleTipFirstStepMs(bool playerFound) { return playerFound ? 3000 : 1000; }
