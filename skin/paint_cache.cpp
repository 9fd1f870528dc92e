// The bitmaps painting keeps between paints.
#include "skin/paint_cache.h"

#include "skin/geometry.h"

#include <cstring>

namespace {

// A memory context with a bitmap of its own selected in.
struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
};

constexpr std::array<UINT, 2> kEdges = {BDR_SUNKENINNER, BDR_RAISEDINNER};
constexpr int kEdgeCount = static_cast<int>(kEdges.size());

// What an edged picture was drawn from: the picture, where the cells lie
// and the edges' colours.
struct EdgedKey {
    PictureRecord picture;
    int32_t sideOffset;
    int32_t barHeight;
    int32_t barOffsetBottomRow;
    int32_t cellWidth;
    int32_t cellHeight;
    EdgeColours colours;
};

// What each surface was last drawn from, so that it is drawn again only
// when that changes.
struct PaintCache {
    int width = 0;
    int height = 0;
    std::array<Surface, SKIN_COUNT> pictures;
    std::array<PictureRecord, SKIN_COUNT> drawnPictures{};
    std::array<bool, SKIN_COUNT> pictureDrawn{};
    std::array<std::array<Surface, kEdgeCount>, SKIN_COUNT> edged;
    std::array<std::array<EdgedKey, kEdgeCount>, SKIN_COUNT> drawnEdged{};
    std::array<std::array<bool, kEdgeCount>, SKIN_COUNT> edgedDrawn{};
    Surface background;
    PictureRecord drawnBackground{};
    RECT drawnClient{};
    bool backgroundDrawn = false;
    Surface frame;
    PaintInputs frameInputs{};
    bool frameComposed = false;
};
PaintCache cache;

bool SameBytes(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; }

bool MakeSurface(Surface& surface, HDC target) {
    surface.dc = CreateCompatibleDC(target);
    surface.bitmap = CreateCompatibleBitmap(target, cache.width, cache.height);
    if (!surface.dc || !surface.bitmap) return false;
    surface.previous = SelectObject(surface.dc, surface.bitmap);
    return surface.previous && surface.previous != HGDI_ERROR;
}

void ReleaseSurface(Surface& surface) {
    if (surface.previous && surface.previous != HGDI_ERROR) SelectObject(surface.dc, surface.previous);
    if (surface.bitmap) DeleteObject(surface.bitmap);
    if (surface.dc) DeleteDC(surface.dc);
    surface = Surface{};
}

// Back to the black of a bitmap fresh from CreateCompatibleBitmap.
void Blacken(HDC dc) { PatBlt(dc, 0, 0, cache.width, cache.height, BLACKNESS); }

bool MakeAllSurfaces(HDC target) {
    bool made = MakeSurface(cache.background, target) && MakeSurface(cache.frame, target);
    for (Surface& picture : cache.pictures) made = made && MakeSurface(picture, target);
    for (auto& role : cache.edged)
        for (Surface& edged : role) made = made && MakeSurface(edged, target);
    return made;
}

}  // namespace

bool PreparePaintSurfaces(HDC target) {
    if (cache.frame.dc && cache.width == controlWidth && cache.height == controlHeight) return true;
    ReleasePaintSurfaces();
    cache.width = controlWidth;
    cache.height = controlHeight;
    if (cache.width > 0 && cache.height > 0 && MakeAllSurfaces(target)) return true;
    ReleasePaintSurfaces();
    return false;
}

HDC BackgroundSurface(const RECT& client) {
    PictureRecord* normal = StretchedPicture(SKIN_NORMAL);
    const bool current = cache.backgroundDrawn && SameBytes(&cache.drawnBackground, normal, sizeof *normal) &&
                         EqualRect(&cache.drawnClient, &client);
    if (!current) {
        HDC dc = cache.background.dc;
        Blacken(dc);
        RECT area = client;
        DrawSkin(dc, dc, &area, &area, &area, normal, 0, 1);
        cache.drawnBackground = *normal;
        cache.drawnClient = client;
        cache.backgroundDrawn = true;
    }
    return cache.background.dc;
}

HDC PictureSurface(SkinRole role) {
    PictureRecord* picture = StretchedPicture(role);
    if (!cache.pictureDrawn[role] || !SameBytes(&cache.drawnPictures[role], picture, sizeof *picture)) {
        HDC dc = cache.pictures[role].dc;
        Blacken(dc);
        DrawPicture(dc, dc, 0, 0, picture);
        cache.drawnPictures[role] = *picture;
        cache.pictureDrawn[role] = true;
    }
    return cache.pictures[role].dc;
}

HDC EdgedPictureSurface(SkinRole role, UINT edge) {
    const int index = edge == kEdges[0] ? 0 : 1;
    const PaintInputs& frame = cache.frameInputs;
    EdgedKey key{};
    key.picture = *StretchedPicture(role);
    key.sideOffset = frame.sideOffset;
    key.barHeight = frame.barHeight;
    key.barOffsetBottomRow = frame.barOffsetBottomRow;
    key.cellWidth = frame.cellWidth;
    key.cellHeight = frame.cellHeight;
    key.colours = frame.edgeColours;
    HDC dc = cache.edged[role][index].dc;
    if (!cache.edgedDrawn[role][index] || !SameBytes(&cache.drawnEdged[role][index], &key, sizeof key)) {
        BitBlt(dc, 0, 0, cache.width, cache.height, PictureSurface(role), 0, 0, SRCCOPY);
        const Geometry g = CurrentGeometry();
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                RECT cell = DrawnCellRect(g, column, row);
                DrawEdge(dc, &cell, kEdges[index], BF_RECT);
            }
        }
        cache.drawnEdged[role][index] = key;
        cache.edgedDrawn[role][index] = true;
    }
    return dc;
}

HDC FrameSurface() { return cache.frame.dc; }

bool ReuseFrame(const PaintInputs& inputs) {
    if (cache.frameComposed && SameBytes(&cache.frameInputs, &inputs, sizeof inputs)) return true;
    cache.frameInputs = inputs;
    cache.frameComposed = true;
    return false;
}

EdgeColours CurrentEdgeColours() {
    return {GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DSHADOW),
            GetSysColor(COLOR_3DDKSHADOW)};
}

void ReleasePaintSurfaces() {
    for (Surface& picture : cache.pictures) ReleaseSurface(picture);
    for (auto& role : cache.edged)
        for (Surface& edged : role) ReleaseSurface(edged);
    ReleaseSurface(cache.background);
    ReleaseSurface(cache.frame);
    cache = PaintCache{};
}
