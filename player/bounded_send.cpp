// Bounded sends to the player's window.
#include "player/bounded_send.h"

std::optional<int32_t> SendToPlayerBounded(HWND player, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(player, message, wParam, lParam, SMTO_ABORTIFHUNG, kPlayerAnswerTimeoutMs, &answer)) {
        return std::nullopt;
    }
    return static_cast<int32_t>(answer);
}
