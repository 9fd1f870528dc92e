// Messages to the player from the host's thread, which also runs the
// shell's taskbar: a player that hangs must cost the shell a bounded wait,
// never a freeze.
#pragma once

#include <windows.h>
#include <cstdint>
#include <optional>

constexpr UINT kPlayerAnswerTimeoutMs = 500;

// The player's answer, or nothing when it did not answer in time, is hung,
// or its window is gone.
std::optional<int32_t> SendToPlayerBounded(HWND player, UINT message, WPARAM wParam, LPARAM lParam);
