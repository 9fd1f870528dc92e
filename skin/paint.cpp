// Painting the taskbar control. Layers go down in a fixed order, each over
// the ones before: the normal skin, the position bar, the switched-on
// On/Off cell, the status blink, the button that matches the player's
// state, and the cell under the pointer. Everything is composed in an
// off-screen bitmap and reaches the target in one copy, so the control
// never flickers. The skins were stretched to the control's size when they
// were loaded, and the host drew each of them once into a bitmap of ours
// (skin/paint_cache), so every layer here is a plain one-to-one copy; a
// paint that would compose the same frame as the last one copies that.
#include "skin/paint.h"

#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/paint_cache.h"
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

void CopyCell(HDC target, int column, int row, HDC source) {
    if (cellWidth <= 0 || cellHeight <= 0) return;
    const RECT cell = DrawnCellRect(CurrentGeometry(), column, row);
    BitBlt(target, cell.left, cell.top, cellWidth, cellHeight, source, cell.left, cell.top, SRCCOPY);
}

// Copies one cell's rectangle of a picture to the same place in target.
void DrawCell(HDC target, int column, int row, SkinRole role) {
    if (HasPicture(role)) CopyCell(target, column, row, PictureSurface(role));
}

// DrawCell, then the edge around the cell, in one copy when there is a picture.
void DrawEdgedCell(HDC target, int column, int row, SkinRole role, UINT edge) {
    if (HasPicture(role))
        CopyCell(target, column, row, EdgedPictureSurface(role, edge));
    else
        DrawCellEdge(target, column, row, edge);
}

// The filled part of the bar. A percentage outside 0..100 would spill the
// fill over the margin (and overflow the product), so it is held to the bar.
int BarFillWidth(int barWidth, int percent) {
    if (percent < 0) percent = 0;
    if (percent > kPercent) percent = kPercent;
    return barWidth * percent / kPercent;
}

// Copies the left `width` pixels of the bar strip of a picture to the bar.
void DrawBarPart(HDC target, int width, SkinRole role) {
    const int left = pluginState.sideOffset;
    BitBlt(target, left, 0, width, pluginState.barHeight, PictureSurface(role), left, 0, SRCCOPY);
}

void DrawPositionBar(HDC target, SkinRole fill, SkinRole background) {
    const int barWidth = kColumns * cellWidth;
    if (barWidth <= 0) return;
    const int fillWidth = BarFillWidth(barWidth, positionPercent);
    DrawBarPart(target, barWidth, background);
    if (fillWidth > 0) DrawBarPart(target, fillWidth, fill);
}

// While the player runs: the bar and the On/Off cell in its switched-on look.
void DrawRunningLayer(HDC canvas) {
    if (PlayerHasState() && pluginState.barHeight > 0) {
        if (pluginState.hotItem == HOT_POSITION_BAR)
            DrawPositionBar(canvas, SKIN_PRESSED, SKIN_MOUSE_OVER);
        else
            DrawPositionBar(canvas, SKIN_MOUSE_OVER, SKIN_PRESSED);
    }
    SkinRole switchedOn = SKIN_PRESSED;
    if (HasPicture(SKIN_PRESSED_BUTTONS) && HasPicture(SKIN_MOUSE_OVER_PRESSED))
        switchedOn = pluginState.hotItem == HOT_ON_OFF ? SKIN_MOUSE_OVER_PRESSED : SKIN_PRESSED_BUTTONS;
    if (HasPicture(SKIN_PRESSED))
        DrawCell(canvas, kOnOffColumn, kTopRow, switchedOn);
    else
        DrawEdgedCell(canvas, kOnOffColumn, kTopRow, switchedOn, BDR_SUNKENINNER);
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
    if (!HasPicture(SKIN_PRESSED) || pluginState.showPressedButtons)
        DrawEdgedCell(canvas, column, kTopRow, SKIN_PRESSED_BUTTONS, BDR_SUNKENINNER);
    else
        DrawCell(canvas, column, kTopRow, SKIN_PRESSED_BUTTONS);
}

// Without a player only the cells that can start one respond to the pointer.
bool CellResponds(int hot) {
    if (hot < 0 || hot >= kColumns * kRows || hot == HOT_DISPLAY) return false;
    return PlayerRuns() || CellStartsPlayer(hot);
}

// The hot cell's picture, with its edge when borderOnMouseOver is set.
void DrawLook(HDC canvas, int column, int row, SkinRole role, UINT edge) {
    if (pluginState.borderOnMouseOver)
        DrawEdgedCell(canvas, column, row, role, edge);
    else
        DrawCell(canvas, column, row, role);
}

void DrawHotCell(HDC canvas) {
    const int hot = pluginState.hotItem;
    if (!CellResponds(hot)) return;
    const int column = hot % kColumns;
    const int row = hot / kColumns;
    if (pluginState.buttonDown) {
        DrawLook(canvas, column, row, SKIN_PRESSED, BDR_SUNKENINNER);
    } else if (pluginState.hoverTimer != 0) {
        // On/Off and the button of the current state are already pressed
        // in; hovering them shows the pressed look lit up.
        const bool pressedIn = row == kTopRow && (column == kOnOffColumn || column == pluginState.playerStatus);
        const bool lit = pressedIn && HasPicture(SKIN_MOUSE_OVER_PRESSED);
        DrawLook(canvas, column, row, lit ? SKIN_MOUSE_OVER_PRESSED : SKIN_MOUSE_OVER, BDR_RAISEDINNER);
    }
}

PaintInputs ReadPaintInputs(const RECT& client) {
    const PluginState& s = pluginState;
    PaintInputs inputs{};
    inputs.playerStatus = s.playerStatus;
    inputs.hotItem = s.hotItem;
    inputs.buttonDown = s.buttonDown;
    inputs.hovering = s.hoverTimer != 0;
    inputs.blinkPhase = s.blinkPhase;
    inputs.showPressedButtons = s.showPressedButtons;
    inputs.borderOnMouseOver = s.borderOnMouseOver;
    inputs.sideOffset = s.sideOffset;
    inputs.barHeight = s.barHeight;
    inputs.barOffsetBottomRow = s.barOffsetBottomRow;
    inputs.positionPercent = positionPercent;
    inputs.controlWidth = controlWidth;
    inputs.controlHeight = controlHeight;
    inputs.cellWidth = cellWidth;
    inputs.cellHeight = cellHeight;
    inputs.client = client;
    inputs.edgeColours = CurrentEdgeColours();
    for (int role = 0; role < SKIN_COUNT; ++role) inputs.pictures[role] = *StretchedPicture(static_cast<SkinRole>(role));
    return inputs;
}

void ComposeFrame(HDC canvas, const RECT& client) {
    BitBlt(canvas, 0, 0, controlWidth, controlHeight, BackgroundSurface(client), 0, 0, SRCCOPY);
    if (PlayerRuns()) DrawRunningLayer(canvas);
    DrawStatusBlink(canvas);
    DrawStateButton(canvas);
    DrawHotCell(canvas);
}

}  // namespace

void PaintControl(HDC dc) {
    RECT client = {};
    GetClientRect(pluginState.controlWindow, &client);
    if (!PreparePaintSurfaces(dc)) return;
    const PaintInputs inputs = ReadPaintInputs(client);
    HDC frame = FrameSurface();
    if (!ReuseFrame(inputs)) ComposeFrame(frame, client);
    BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, frame, 0, 0, SRCCOPY);
}
