// Hovering over the control: the 160 ms tick that follows the pointer,
// picks the button tip, offers the song title over empty places, repaints
// on change and notices when the pointer has gone.
#include "control/control_handlers.h"

#include "control/button_tips.h"
#include "control/hit_test.h"
#include "host/host_services.h"
#include "player/control_repaint.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"
#include "titletip/title_tip.h"

#include <string>

RECT savedWindowRect = {};

namespace {

constexpr UINT TITLE_TIP_HOVER_MS = 2500;
constexpr UINT TITLE_TIP_LEAVE_MS = 600;


bool OverNoButton(int hotItem) { return hotItem == HOT_POSITION_BAR || hotItem < 0; }

// The times read afresh at every tick, so the Display cell's follows each
// poll while the pointer rests.
std::string TipUnderPointer(POINT client) {
    const PluginState& s = pluginState;
    const TipFacts facts = {s.playerStatus, s.playerWindow != nullptr, songLengthSec, songPositionSec};
    return ButtonTipAt(client, CurrentGeometry(), facts, uiLanguage);
}

// Over the bar or no cell the song title takes the button tip's place.
void TitleInsteadOfButtonTip() {
    PluginState& s = pluginState;
    if (!s.songTitleTip) {
        UpdateButtonTip("");
        return;
    }
    if (s.dropBusy || s.titleTipTimer != 0 || titleText[0] == '\0') return;
    ShowWindow(s.titleTipWindow, SW_SHOWNOACTIVATE);
    s.titleTipTimer = SetTimer(s.titleTipWindow, TIMER_TITLE_TIP, TITLE_TIP_HOVER_MS, nullptr);
}

void RepaintOnChange() {
    PluginState& s = pluginState;
    if (s.drawnHotItem != s.hotItem) {
        s.drawnHotItem = s.hotItem;
        InvalidateControl();
    }
    if (s.drawnButtonDown != s.buttonDown) {
        s.drawnButtonDown = s.buttonDown;
        InvalidateControl();
    }
}

// The rectangle saved when hovering began decides, even if the control has
// moved since.
void StopHoveringWhenLeft() {
    PluginState& s = pluginState;
    POINT pointer = {};
    GetCursorPos(&pointer);
    if (PtInRect(&savedWindowRect, pointer) || s.hoverTimer == 0) return;
    StopTimer(s.controlWindow, &s.hoverTimer);
    s.hotItem = HOT_NONE;
    s.buttonDown = false;
    InvalidateControl();
}

// The title tip goes soon after the pointer: its own timer hides it once
// hovering has stopped.
void ShortenTitleTip() {
    PluginState& s = pluginState;
    if (s.hoverTimer != 0 || s.titleTipTimer == 0) return;
    StopTimer(s.titleTipWindow, &s.titleTipTimer);
    s.titleTipTimer = SetTimer(s.titleTipWindow, TIMER_TITLE_TIP, TITLE_TIP_LEAVE_MS, nullptr);
    InvalidateControl();
}

}  // namespace

void OnMouseMove() {
    PluginState& s = pluginState;
    if (s.hoverTimer != 0) return;
    GetWindowRect(s.controlWindow, &savedWindowRect);
    s.hoverTimer = SetTimer(s.controlWindow, TIMER_HOVER, HOVER_PERIOD_MS, nullptr);
}

void OnHoverTick() {
    PluginState& s = pluginState;
    const POINT pointer = HitTest();
    const std::string tip = s.buttonTips ? TipUnderPointer(pointer) : std::string();
    if (s.buttonTips) UpdateButtonTip(tip.c_str());
    // A time over the bar or the Display cell is shown instead of the title.
    if (OverNoButton(s.hotItem) && tip.empty()) TitleInsteadOfButtonTip();
    RepaintOnChange();
    StopHoveringWhenLeft();
    ShortenTitleTip();
}
