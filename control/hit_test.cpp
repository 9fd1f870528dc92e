// Maps the pointer to what lies under it on the control: a button cell, the
// position bar, or nothing.
#include "control/hit_test.h"

#include "plugin/state/plugin_state.h"

namespace {

// The bar takes the pointer only while there is a position to seek in.
bool BarIsActive(int barHeight, int playerStatus) {
    return barHeight >= 1 && playerStatus != PLAYER_STOPPED && playerStatus != PLAYER_NOT_RUNNING;
}

}  // namespace

int ElementAt(int x, int y, const Geometry& g, int playerStatus) {
    const int gridLeft = g.sideOffset;
    const int gridRight = g.sideOffset + kColumns * g.cellWidth;
    if (BarIsActive(g.barHeight, playerStatus) && x >= gridLeft && x <= gridRight && y >= 0 &&
        y <= g.barHeight)
        return HOT_POSITION_BAR;

    // All four edges are inclusive and the scan goes on after a match, so a
    // point on a shared edge belongs to the cell to the right or below. The
    // rows are tested where they would be without the bottom-row offset:
    // that setting moves the drawing only.
    int hot = HOT_NONE;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int left = g.sideOffset + column * g.cellWidth;
            const int top = g.barHeight + row * g.cellHeight;
            if (x >= left && x <= left + g.cellWidth && y >= top && y <= top + g.cellHeight)
                hot = column + kColumns * row;
        }
    }
    return hot;
}

int HotItemAt(int x, int y, const Geometry& g, int playerStatus) {
    const int element = ElementAt(x, y, g, playerStatus);
    return element == HOT_DISPLAY ? HOT_NONE : element;
}

POINT HitTest() {
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(pluginState.controlWindow, &point);
    pluginState.hotItem = HotItemAt(point.x, point.y, CurrentGeometry(), pluginState.playerStatus);
    return point;
}
