// Button tips: the text for each cell in both languages, the time over the
// bar and the Display cell, and the one tool registered with the host's
// tooltip window whose text is swapped as the pointer moves.
#include "control/button_tips.h"

#include "control/hit_test.h"
#include "control/time_tips.h"
#include "plugin/state/plugin_state.h"

#include <cstddef>
#include <cstring>

// The host's tooltip takes the record up to lParam; newer headers make
// TOOLINFOA larger, so the size is given, not taken from sizeof.
constexpr UINT kToolInfoSize = 44;
static_assert(offsetof(TOOLINFOA, lParam) + sizeof(LPARAM) == kToolInfoSize, "");

TOOLINFOA hostToolInfo = {};
char buttonTipText[kTipTextSize] = {};
char lastTipText[kTipTextSize] = {};

namespace {

constexpr UINT_PTR kToolId = 1;

constexpr LocalText kNoTip = {"", ""};
constexpr LocalText kOn = {"On", "\xC2\xEA\xEB."};                     // Вкл.
constexpr LocalText kOff = {"Off", "\xC2\xFB\xEA\xEB."};               // Выкл.
constexpr LocalText kPlay = {"Play", "\xC2\xEE\xF1\xEF\xF0."};         // Воспр.
constexpr LocalText kResume = {"Resume", "\xCF\xF0\xEE\xE4\xEE\xEB\xE6."};  // Продолж.
constexpr LocalText kPause = {"Pause", "\xCF\xE0\xF3\xE7\xE0"};        // Пауза
constexpr LocalText kStop = {"Stop", "\xD1\xF2\xEE\xEF"};              // Стоп
constexpr LocalText kVolumeUp = {"Vol +", "\xC3\xF0\xEE\xEC. +"};      // Гром. +
constexpr LocalText kOpen = {"Open", "\xCE\xF2\xEA\xF0."};             // Откр.
constexpr LocalText kPrev = {"Prev", "\xCF\xF0\xE5\xE4."};             // Пред.
constexpr LocalText kNext = {"Next", "\xD1\xEB\xE5\xE4."};             // След.
constexpr LocalText kVolumeDown = {"Vol -", "\xC3\xF0\xEE\xEC. -"};    // Гром. -

LocalText TipFor(int hotItem, int playerStatus, bool playerFound) {
    const bool running = playerStatus != PLAYER_NOT_RUNNING;
    switch (hotItem) {
    case HOT_ON_OFF: return playerFound ? kOff : kOn;
    case HOT_PLAY: return kPlay;
    case HOT_PAUSE:
        if (playerStatus == PLAYER_PAUSED) return kResume;
        return running ? kPause : kNoTip;
    case HOT_STOP: return running ? kStop : kNoTip;
    case HOT_VOLUME_UP: return running ? kVolumeUp : kNoTip;
    case HOT_OPEN: return kOpen;
    case HOT_PREV: return running ? kPrev : kNoTip;
    case HOT_NEXT: return running ? kNext : kNoTip;
    case HOT_VOLUME_DOWN: return running ? kVolumeDown : kNoTip;
    default: return kNoTip;
    }
}

void CopyText(char (&target)[kTipTextSize], const char* text) {
    std::memset(target, 0, sizeof target);
    lstrcpynA(target, text, kTipTextSize);
}

}  // namespace

const char* ButtonTipFor(int hotItem, int playerStatus, bool playerFound, Language language) {
    return TextIn(language, TipFor(hotItem, playerStatus, playerFound));
}

std::string ButtonTipAt(POINT client, const Geometry& geometry, const TipFacts& facts, Language language) {
    const int element = ElementAt(client.x, client.y, geometry, facts.playerStatus);
    if (element == HOT_POSITION_BAR) return BarTimeTip(client.x, geometry, facts.lengthSec, facts.playerStatus);
    if (element == HOT_DISPLAY) return PlayTimeTip(facts.positionSec, facts.lengthSec, facts.playerStatus);
    return ButtonTipFor(element, facts.playerStatus, facts.playerFound, language);
}

void UpdateButtonTip(const char* text) {
    // Until the tool exists the tooltip holds no text at all, whatever an
    // earlier run of the plug-in left in lastTipText.
    const char* handedOver = hostToolInfo.cbSize == 0 ? "" : lastTipText;
    if (std::strcmp(text, handedOver) == 0) return;

    HWND control = pluginState.controlWindow;
    CopyText(buttonTipText, text);
    GetClientRect(control, &hostToolInfo.rect);
    InflateRect(&hostToolInfo.rect, -1, -1);
    hostToolInfo.lpszText = buttonTipText;

    UINT message = TTM_UPDATETIPTEXTA;
    if (hostToolInfo.cbSize == 0) {
        hostToolInfo.cbSize = kToolInfoSize;
        hostToolInfo.uFlags = TTF_CENTERTIP;
        hostToolInfo.hwnd = control;
        hostToolInfo.uId = kToolId;
        hostToolInfo.hinst = pluginInstance;
        message = TTM_ADDTOOLA;
    }
    SendMessageA(hostContext.tooltipWindow, message, 0, reinterpret_cast<LPARAM>(&hostToolInfo));
    CopyText(lastTipText, text);
    InvalidateRect(control, nullptr, FALSE);
}
