// The left button on the control: a press shows the pressed look and, on
// the position bar, the place it would seek to; a release seeks and runs
// the cell under the pointer at that moment.
#include "control/control_handlers.h"

#include "control/hit_test.h"
#include "host/host_services.h"
#include "player/commands.h"
#include "player/launch.h"
#include "player/control_repaint.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"

namespace {


// The bar belongs to no element unless there is a track position.
bool OnActiveBar() {
    const PluginState& s = pluginState;
    return s.hotItem == HOT_POSITION_BAR && s.playerStatus != PLAYER_STOPPED &&
           s.playerStatus != PLAYER_NOT_RUNNING;
}

}  // namespace

int BarPercent(int x, int sideOffset, int cellWidthPx) {
    const int barWidth = kColumns * cellWidthPx;
    if (barWidth <= 0) return 0;
    return RoundHalfAway(static_cast<long double>(x - sideOffset) / barWidth * 100);
}

bool OnPress() {
    PluginState& s = pluginState;
    const POINT point = HitTest();
    s.buttonDown = true;
    if (s.drawnButtonDown) return false;
    s.drawnButtonDown = true;
    // The status poll leaves positionPercent alone while the button is
    // held, so the bar shows where the release will seek.
    if (OnActiveBar()) positionPercent = BarPercent(point.x, s.sideOffset, cellWidth);
    InvalidateControl();
    return true;
}

void OnRelease() {
    PluginState& s = pluginState;
    HitTest();
    if (OnActiveBar()) SeekPlayer();
    s.buttonDown = false;
    InvalidateControl();
    if (s.hotItem >= 0 && s.hotItem != HOT_DISPLAY) ActivateCell();
}
