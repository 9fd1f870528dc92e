// What a paint costs in GDI objects: none left behind after many paints
// through every path, nothing left selected in the caller's context, and
// one copy to the target per paint.
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/paint.h"
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

TEST_F(PaintResources, TwentyThousandPaintsLeaveNoGdiObjectBehind) {
    PaintRig rig;
    ASSERT_TRUE(rig.ready());
    const HGDIOBJ targetBitmap = GetCurrentObject(rig.target(), OBJ_BITMAP);
    constexpr int kPaints = 20000;
    GdiLedger ledger;
    ASSERT_TRUE(ledger.active());
    for (int n = 0; n < kPaints - 1; ++n) {
        SetLook(n, rig);
        PaintControl(rig.target());
    }
    ledger.TakeMade();
    SetLook(kPaints - 1, rig);
    PaintControl(rig.target());
    const std::vector<HGDIOBJ> lastPaint = ledger.TakeMade();

    const GdiTally t = ledger.tally();
    EXPECT_GE(t.contextsMade, kPaints) << "the ledger saw no paint";
    EXPECT_EQ(t.contextsMade, t.contextsDeleted);
    EXPECT_EQ(t.bitmapsMade, t.bitmapsDeleted);
    EXPECT_EQ(t.selectedIn, t.selectedBack);
    EXPECT_EQ(t.deletedWhileHeld, 0);
    EXPECT_EQ(t.contextsLeftHolding, 0);
    ASSERT_FALSE(lastPaint.empty());
    for (HGDIOBJ handle : lastPaint) EXPECT_EQ(GetObjectType(handle), 0u) << "handle " << handle << " lives on";
    EXPECT_EQ(GetCurrentObject(rig.target(), OBJ_BITMAP), targetBitmap);
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
