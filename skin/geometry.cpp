// Control size and cell layout.
#include "skin/geometry.h"

#include "plugin/state/plugin_state.h"

int controlWidth = 0;
int controlHeight = 0;
int cellWidth = 0;
int cellHeight = 0;

Geometry ComputeGeometry(const GeometryInput& input) {
    Geometry g = {};
    g.controlWidth = input.normalWidth;
    g.controlHeight = input.rowHeight * input.scaleFactor;
    g.barHeight = input.barHeightSetting * input.scaleFactor;
    g.sideOffset = input.sideOffset;
    g.barOffsetBottomRow = input.barOffsetBottomRow;
    // C++ integer division truncates toward zero, as the layout requires.
    g.cellWidth = (g.controlWidth - 2 * g.sideOffset) / kColumns;
    const int barSpace = input.barOffsetBottomRow ? 2 * g.barHeight : g.barHeight;
    g.cellHeight = (g.controlHeight - barSpace) / kRows;
    return g;
}

bool CellsAreUsable(const Geometry& geometry) { return geometry.cellWidth > 1 && geometry.cellHeight > 1; }

RECT DrawnCellRect(const Geometry& g, int column, int row) {
    const int left = g.sideOffset + column * g.cellWidth;
    const int top = (row != 0 && g.barOffsetBottomRow) ? 2 * g.barHeight + row * g.cellHeight
                                                       : g.barHeight + row * g.cellHeight;
    return RECT{left, top, left + g.cellWidth, top + g.cellHeight};
}

RECT BarStripRect(const Geometry& g) {
    return RECT{g.sideOffset, 0, g.sideOffset + kColumns * g.cellWidth, g.barHeight};
}

Geometry CurrentGeometry() {
    Geometry g = {};
    g.controlWidth = controlWidth;
    g.controlHeight = controlHeight;
    g.barHeight = pluginState.barHeight;
    g.sideOffset = pluginState.sideOffset;
    g.cellWidth = cellWidth;
    g.cellHeight = cellHeight;
    g.barOffsetBottomRow = pluginState.barOffsetBottomRow;
    return g;
}
