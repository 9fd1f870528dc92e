// Questions to the player from the workers: a player that hangs must cost
// a worker a bounded wait, so that it is free again for the next poll, the
// next file and the stop.
#pragma once

#include <windows.h>
#include <cstdint>
#include <optional>

constexpr UINT kPlayerAnswerTimeoutMs = 500;

// The player's answer, or nothing when it did not answer in time, is hung,
// or its window is gone.
std::optional<int32_t> SendToPlayerBounded(HWND player, UINT message, WPARAM wParam, LPARAM lParam);
// The same with a bound of the caller's.
std::optional<int32_t> SendToPlayerWithin(HWND player, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs);
// The same for questions that share one deadline (a GetTickCount value):
// each gets only the time left, and none is sent once it has passed.
std::optional<int32_t> SendToPlayerBy(HWND player, UINT message, WPARAM wParam, LPARAM lParam, DWORD deadline);
