// Painting the taskbar control. Layers go down in a fixed order, each over
// the ones before: the normal skin, the position bar, the switched-on
// On/Off cell, the status blink, the button that matches the player's
// state, and the cell under the pointer. Everything is composed in an
// off-screen bitmap and reaches the target in one copy, so the control
// never flickers. The skins were stretched to the control's size when they
// were loaded, so every copy here is one to one.
#include "skin/paint.h"

#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/gdi_guards.h"
#include "skin/geometry.h"
#include "skin/skin_set.h"

namespace {

constexpr int kOnOffColumn = 0;
constexpr int kDisplayColumn = 0;
constexpr int kTopRow = 0;
constexpr int kBottomRow = 1;
constexpr int kPercent = 100;

bool PlayerRuns() { return pluginState.playerStatus >= 0; }

// Playing, paused or stopped: the states that have a position bar and a
// matching button.
bool PlayerHasState() { return pluginState.playerStatus > 0; }

void DrawCellEdge(HDC target, int column, int row, UINT edge) {
    RECT cell = DrawnCellRect(CurrentGeometry(), column, row);
    DrawEdge(target, &cell, edge, BF_RECT);
}

// Copies one cell's rectangle of a picture to the same place in target.
void DrawCell(HDC target, int column, int row, SkinRole role) {
    if (!HasPicture(role)) return;
    const RECT cell = DrawnCellRect(CurrentGeometry(), column, row);
    auto memory = MakeCompatibleDC(target);
    auto bitmap = MakeCompatibleBitmap(target, cellWidth, cellHeight);
    auto selected = SelectIn(memory.get(), bitmap.get());
    // The host draws whole pictures only: shift it so the cell lands at 0,0.
    DrawPicture(memory.get(), memory.get(), -cell.left, -cell.top, StretchedPicture(role));
    BitBlt(target, cell.left, cell.top, cellWidth, cellHeight, memory.get(), 0, 0, SRCCOPY);
}

// The filled part of the bar. A percentage outside 0..100 would spill the
// fill over the margin (and overflow the product), so it is held to the bar.
int BarFillWidth(int barWidth, int percent) {
    if (percent < 0) percent = 0;
    if (percent > kPercent) percent = kPercent;
    return barWidth * percent / kPercent;
}

// Copies the left `width` pixels of the bar strip of a picture to the bar.
void DrawBarPart(HDC target, HDC memory, int width, SkinRole role) {
    auto bitmap = MakeCompatibleBitmap(target, width, pluginState.barHeight);
    auto selected = SelectIn(memory, bitmap.get());
    DrawPicture(memory, memory, -pluginState.sideOffset, 0, StretchedPicture(role));
    BitBlt(target, pluginState.sideOffset, 0, width, pluginState.barHeight, memory, 0, 0, SRCCOPY);
}

void DrawPositionBar(HDC target, SkinRole fill, SkinRole background) {
    const int barWidth = kColumns * cellWidth;
    const int fillWidth = BarFillWidth(barWidth, positionPercent);
    auto memory = MakeCompatibleDC(target);
    DrawBarPart(target, memory.get(), barWidth, background);
    if (fillWidth > 0) DrawBarPart(target, memory.get(), fillWidth, fill);
}

// While the player runs: the bar and the On/Off cell in its switched-on look.
void DrawRunningLayer(HDC canvas) {
    if (PlayerHasState() && pluginState.barHeight > 0) {
        if (pluginState.hotItem == HOT_POSITION_BAR)
            DrawPositionBar(canvas, SKIN_PRESSED, SKIN_MOUSE_OVER);
        else
            DrawPositionBar(canvas, SKIN_MOUSE_OVER, SKIN_PRESSED);
    }
    if (HasPicture(SKIN_PRESSED_BUTTONS) && HasPicture(SKIN_MOUSE_OVER_PRESSED)) {
        const bool hot = pluginState.hotItem == HOT_ON_OFF;
        DrawCell(canvas, kOnOffColumn, kTopRow, hot ? SKIN_MOUSE_OVER_PRESSED : SKIN_PRESSED_BUTTONS);
    } else {
        DrawCell(canvas, kOnOffColumn, kTopRow, SKIN_PRESSED);
    }
    if (!HasPicture(SKIN_PRESSED)) DrawCellEdge(canvas, kOnOffColumn, kTopRow, BDR_SUNKENINNER);
}

// The pressed skin carries a play symbol in the Display cell and the
// mouse-over skin a pause symbol; the poll flips blinkPhase every second.
void DrawStatusBlink(HDC canvas) {
    if (!pluginState.blinkPhase) return;
    if (pluginState.playerStatus == PLAYER_PLAYING)
        DrawCell(canvas, kDisplayColumn, kBottomRow, SKIN_PRESSED);
    else if (pluginState.playerStatus == PLAYER_PAUSED)
        DrawCell(canvas, kDisplayColumn, kBottomRow, SKIN_MOUSE_OVER);
}

// Play, Pause or Stop pressed in, by the column the status number names.
// Without a pressed-buttons skin and without the edge this draws nothing.
void DrawStateButton(HDC canvas) {
    const int column = pluginState.playerStatus;
    if (!PlayerHasState() || column >= kColumns) return;
    DrawCell(canvas, column, kTopRow, SKIN_PRESSED_BUTTONS);
    if (!HasPicture(SKIN_PRESSED) || pluginState.showPressedButtons)
        DrawCellEdge(canvas, column, kTopRow, BDR_SUNKENINNER);
}

// Without a player only the cells that can start one respond to the pointer.
bool CellResponds(int hot) {
    if (hot < 0 || hot >= kColumns * kRows || hot == HOT_DISPLAY) return false;
    return PlayerRuns() || CellStartsPlayer(hot);
}

void DrawHotCell(HDC canvas) {
    const int hot = pluginState.hotItem;
    if (!CellResponds(hot)) return;
    const int column = hot % kColumns;
    const int row = hot / kColumns;
    if (pluginState.buttonDown) {
        DrawCell(canvas, column, row, SKIN_PRESSED);
        if (pluginState.borderOnMouseOver) DrawCellEdge(canvas, column, row, BDR_SUNKENINNER);
    } else if (pluginState.hoverTimer != 0) {
        // On/Off and the button of the current state are already pressed
        // in; hovering them shows the pressed look lit up.
        const bool pressedIn = row == kTopRow && (column == kOnOffColumn || column == pluginState.playerStatus);
        const bool lit = pressedIn && HasPicture(SKIN_MOUSE_OVER_PRESSED);
        DrawCell(canvas, column, row, lit ? SKIN_MOUSE_OVER_PRESSED : SKIN_MOUSE_OVER);
        if (pluginState.borderOnMouseOver) DrawCellEdge(canvas, column, row, BDR_RAISEDINNER);
    }
}

}  // namespace

void PaintControl(HDC dc) {
    auto memory = MakeCompatibleDC(dc);
    auto bitmap = MakeCompatibleBitmap(dc, controlWidth, controlHeight);
    auto selected = SelectIn(memory.get(), bitmap.get());
    RECT client = {};
    GetClientRect(pluginState.controlWindow, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    HDC canvas = memory.get();
    DrawSkin(canvas, canvas, &client, &client, &client, StretchedPicture(SKIN_NORMAL), 0, 1);
    if (PlayerRuns()) DrawRunningLayer(canvas);
    DrawStatusBlink(canvas);
    DrawStateButton(canvas);
    DrawHotCell(canvas);
    BitBlt(dc, 0, 0, width, height, canvas, 0, 0, SRCCOPY);
}
