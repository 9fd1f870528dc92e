// Bounded sends to the player's window.
#include "player/bounded_send.h"

std::optional<int32_t> SendToPlayerBounded(HWND player, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendToPlayerWithin(player, message, wParam, lParam, kPlayerAnswerTimeoutMs);
}

std::optional<int32_t> SendToPlayerWithin(HWND player, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(player, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &answer)) {
        return std::nullopt;
    }
    return static_cast<int32_t>(answer);
}

std::optional<int32_t> SendToPlayerBy(HWND player, UINT message, WPARAM wParam, LPARAM lParam, DWORD deadline) {
    const auto left = static_cast<int32_t>(deadline - GetTickCount());
    if (left <= 0) return std::nullopt;
    return SendToPlayerWithin(player, message, wParam, lParam, static_cast<UINT>(left));
}
