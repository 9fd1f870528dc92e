// Control-sized bitmaps that painting keeps from one paint to the next, so
// that a paint is a few plain copies: the normal skin as the host draws it
// over the client area, each stretched skin as the host draws it, each of
// those again with an edge around every cell, and the last frame composed
// from them. Each picture is drawn once, onto the black that a new bitmap
// starts with (what a scratch bitmap of the cell's size would have shown
// around it), and again only when what it was drawn from changes.
// Everything goes at stop and when a start fails.
#pragma once

#include "skin/skin_set.h"

#include <windows.h>
#include <array>
#include <cstdint>

// The system colours a cell's edges are drawn in.
using EdgeColours = std::array<COLORREF, 4>;
EdgeColours CurrentEdgeColours();

// Everything a frame is composed from. Any difference means a new frame.
struct PaintInputs {
    int32_t playerStatus;
    int32_t hotItem;
    int32_t buttonDown;
    int32_t hovering;
    int32_t blinkPhase;
    int32_t showPressedButtons;
    int32_t borderOnMouseOver;
    int32_t sideOffset;
    int32_t barHeight;
    int32_t barOffsetBottomRow;
    int32_t positionPercent;
    int32_t controlWidth;
    int32_t controlHeight;
    int32_t cellWidth;
    int32_t cellHeight;
    RECT client;
    // A colour scheme change shows at the next paint.
    EdgeColours edgeColours;
    std::array<PictureRecord, SKIN_COUNT> pictures;
};

// Makes the bitmaps compatible with target on first use, and again when
// the control's size changed. False when GDI refused; nothing is kept then.
bool PreparePaintSurfaces(HDC target);

// After PreparePaintSurfaces: contexts holding the host's drawings.
HDC BackgroundSurface(const RECT& client);
HDC PictureSurface(SkinRole role);
// The picture with a BDR_SUNKENINNER or BDR_RAISEDINNER edge drawn around
// each cell of the frame being composed, in its colours. An inner edge
// sets its pixels whatever lies under them, so a cell copied from here is
// the cell copied from the picture with the edge drawn over it afterwards.
HDC EdgedPictureSurface(SkinRole role, UINT edge);
HDC FrameSurface();

// True when the frame surface already shows what these inputs give;
// otherwise they become the inputs of the frame the caller composes next.
bool ReuseFrame(const PaintInputs& inputs);

void ReleasePaintSurfaces();
