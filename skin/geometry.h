// The control's size and cell layout, as pure functions of the normal
// skin's width, the host's taskbar metrics and three settings, plus the
// globals that keep the result for the plug-in's lifetime.
#pragma once

#include <windows.h>

struct GeometryInput {
    int normalWidth;         // width of the normal skin as loaded
    int rowHeight;           // host metrics
    int scaleFactor;         // host metrics
    int sideOffset;          // "Left and Right OffSet", pixels
    int barHeightSetting;    // "Position Bar Height" before scaling
    bool barOffsetBottomRow; // "Bar OffSet of Bottom Row"
};

struct Geometry {
    int controlWidth;
    int controlHeight;
    int barHeight;    // pixels
    int sideOffset;
    int cellWidth;
    int cellHeight;
    bool barOffsetBottomRow;
};

constexpr int kColumns = 5;
constexpr int kRows = 2;

// Every division truncates toward zero, negative differences included.
Geometry ComputeGeometry(const GeometryInput& input);

// True when every cell is at least two pixels wide and high.
bool CellsAreUsable(const Geometry& geometry);

// Where a cell is drawn (the bottom row moves down by the bar height when
// barOffsetBottomRow is set). Right and bottom are left + width and
// top + height.
RECT DrawnCellRect(const Geometry& geometry, int column, int row);

// The position bar strip: from sideOffset, 5 cells wide, barHeight high.
RECT BarStripRect(const Geometry& geometry);

// The geometry in force, set once at start by LoadSettingsAndSkins.
extern int controlWidth;
extern int controlHeight;
extern int cellWidth;
extern int cellHeight;

// The live geometry: the globals above with pluginState's sideOffset,
// barHeight (pixels) and barOffsetBottomRow.
Geometry CurrentGeometry();
