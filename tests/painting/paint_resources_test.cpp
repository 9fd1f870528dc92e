// What a paint costs in GDI objects: the bitmaps painting keeps are made
// by the first paint only and released whole, nothing is left selected in
// the caller's context, and one copy reaches the target per paint; and
// what those kept bitmaps paint is what fresh ones paint.
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/paint.h"
#include "skin/paint_cache.h"
#include "tests/painting/gdi_ledger.h"
#include "tests/painting/paint_rig.h"
#include "tests/support/iat_patch.h"

#include <gtest/gtest.h>

namespace {

// Cycles through looks that between them take every drawing path: the
// bar both ways, cells from every picture, edges, absent pictures.
void SetLook(int n, PaintRig& rig) {
    ResetPaintState();
    for (int role = 0; role < SKIN_COUNT; ++role) rig.Restore(static_cast<SkinRole>(role));
    switch (n % 5) {
        case 0:
            pluginState.playerStatus = PLAYER_PLAYING;
            positionPercent = 50;
            pluginState.blinkPhase = true;
            pluginState.hotItem = 1;
            pluginState.hoverTimer = TIMER_HOVER;
            break;
        case 1:
            pluginState.playerStatus = PLAYER_PAUSED;
            positionPercent = 30;
            pluginState.hotItem = HOT_POSITION_BAR;
            break;
        case 2:
            pluginState.playerStatus = PLAYER_STOPPED;
            positionPercent = -1;
            pluginState.hotItem = 8;
            pluginState.buttonDown = true;
            rig.Remove(SKIN_PRESSED);
            break;
        case 3:
            pluginState.hotItem = 6;
            pluginState.hoverTimer = TIMER_HOVER;
            rig.Remove(SKIN_MOUSE_OVER_PRESSED);
            break;
        default:
            pluginState.playerStatus = PLAYER_PLAYING;
            positionPercent = 100;
            pluginState.hotItem = 0;
            pluginState.buttonDown = true;
            rig.Remove(SKIN_PRESSED_BUTTONS);
            break;
    }
}

class PaintResources : public ::testing::Test {
protected:
    void SetUp() override {
        UseGeometry(0, 3, false);
        ResetPaintState();
    }
};

TEST_F(PaintResources, OnlyTheFirstOfTwentyThousandPaintsMakesGdiObjectsAndReleaseFreesThemAll) {
    PaintRig rig;
    ASSERT_TRUE(rig.ready());
    const HGDIOBJ targetBitmap = GetCurrentObject(rig.target(), OBJ_BITMAP);
    constexpr int kPaints = 20000;
    ReleasePaintSurfaces();
    GdiLedger ledger;
    ASSERT_TRUE(ledger.active());
    SetLook(0, rig);
    PaintControl(rig.target());
    const std::vector<HGDIOBJ> kept = ledger.TakeMade();
    ASSERT_FALSE(kept.empty()) << "the ledger saw no paint";
    for (int n = 1; n < kPaints; ++n) {
        SetLook(n, rig);
        PaintControl(rig.target());
    }
    EXPECT_TRUE(ledger.TakeMade().empty()) << "a paint after the first made GDI objects";
    EXPECT_EQ(GetCurrentObject(rig.target(), OBJ_BITMAP), targetBitmap);

    ReleasePaintSurfaces();
    const GdiTally t = ledger.tally();
    EXPECT_EQ(t.contextsMade, t.contextsDeleted);
    EXPECT_EQ(t.bitmapsMade, t.bitmapsDeleted);
    EXPECT_EQ(t.selectedIn, t.selectedBack);
    EXPECT_EQ(t.deletedWhileHeld, 0);
    EXPECT_EQ(t.contextsLeftHolding, 0);
    for (HGDIOBJ handle : kept) EXPECT_EQ(GetObjectType(handle), 0u) << "handle " << handle << " lives on";
}

// Pictures go missing and come back between the looks, some absent at the
// first paint after a release: each paint must still show exactly what
// bitmaps made for it alone would show.
TEST_F(PaintResources, KeptBitmapsPaintWhatFreshOnesPaint) {
    PaintRig rig;
    ASSERT_TRUE(rig.ready());
    for (int n = 0; n < 10; ++n) {
        SetLook(n, rig);
        const Image kept = rig.Paint();
        ReleasePaintSurfaces();
        const Image fresh = rig.Paint();
        EXPECT_EQ(kept.pixels, fresh.pixels) << "look " << n;
    }
}

struct Blit {
    HDC target;
    int width, height;
};
std::vector<Blit> blits;
using BitBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, DWORD);
BitBltFn realBitBlt = nullptr;
BOOL WINAPI RecordBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
    blits.push_back({target, width, height});
    return realBitBlt(target, x, y, width, height, source, sx, sy, rop);
}

TEST_F(PaintResources, OnePaintReachesTheTargetInOneCopyOfTheClientSize) {
    PaintRig rig;
    ASSERT_TRUE(rig.ready());
    SetLook(0, rig);
    ScopedImportPatch patch(GetModuleHandleA(nullptr), "gdi32.dll", "BitBlt", reinterpret_cast<void*>(&RecordBitBlt));
    ASSERT_TRUE(patch.active());
    realBitBlt = reinterpret_cast<BitBltFn>(patch.original());
    blits.clear();
    PaintControl(rig.target());
    int toTarget = 0;
    for (const Blit& blit : blits) {
        if (blit.target != rig.target()) continue;
        ++toTarget;
        EXPECT_EQ(blit.width, 55);
        EXPECT_EQ(blit.height, 23);
    }
    EXPECT_EQ(toTarget, 1);
    EXPECT_GT(blits.size(), 1u) << "the layers are composed off-screen first";
}

}  // namespace
