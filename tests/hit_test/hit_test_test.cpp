// What lies under the pointer: the edge cases of the pure decision on the
// built-in layout with a one-pixel side margin, and one real pointer
// position read back through a window under Wine.
#include "control/hit_test.h"
#include "plugin/state/plugin_state.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

// 55 x 23, bar 3, side margin 1: cells 10 x 10; columns from x 1, 11, 21,
// 31, 41 (the last ending at 51); rows from y 3 and 13 (ending at 23).
constexpr Geometry kLayout = {55, 23, 3, 1, 10, 10, false};
constexpr int kAllStatuses[] = {PLAYER_NOT_RUNNING, PLAYER_PLAYING, PLAYER_PAUSED, PLAYER_STOPPED};

int At(int x, int y, int status = PLAYER_PLAYING, const Geometry& g = kLayout) {
    return HotItemAt(x, y, g, status);
}

TEST(HotItemAt, SharedEdgesGoToTheCellRightOrBelow) {
    EXPECT_EQ(At(5, 8), 0);
    EXPECT_EQ(At(11, 8), 1) << "right edge of column 0 is column 1's left edge";
    EXPECT_EQ(At(10, 8), 0);
    EXPECT_EQ(At(25, 13), 7) << "bottom edge of row 0 is row 1's top edge";
    EXPECT_EQ(At(25, 12), 2);
    EXPECT_EQ(At(21, 13), 7) << "a shared corner goes to the cell right and below";
}

TEST(HotItemAt, TheLastColumnsRightEdgeIsInsideAndOnePixelMoreIsNot) {
    EXPECT_EQ(At(51, 8), 4);
    EXPECT_EQ(At(51, 18), 9);
    EXPECT_EQ(At(52, 8), HOT_NONE);
    EXPECT_EQ(At(52, 18), HOT_NONE);
}

TEST(HotItemAt, LeftOfTheSideMarginIsNothingAtEveryHeight) {
    for (int status : kAllStatuses)
        for (int y = -1; y <= 24; ++y) EXPECT_EQ(At(0, y, status), HOT_NONE) << "y " << y << " status " << status;
}

TEST(HotItemAt, TheBarTakesItsBottomRowWhilePlayingOrPaused) {
    for (int status : {PLAYER_PLAYING, PLAYER_PAUSED}) {
        SCOPED_TRACE("status " + std::to_string(status));
        EXPECT_EQ(At(20, 0, status), HOT_POSITION_BAR);
        EXPECT_EQ(At(20, 3, status), HOT_POSITION_BAR) << "y = barHeight";
        EXPECT_EQ(At(20, 4, status), 1) << "y = barHeight + 1";
        EXPECT_EQ(At(1, 1, status), HOT_POSITION_BAR) << "bar's left end";
        EXPECT_EQ(At(51, 1, status), HOT_POSITION_BAR) << "bar's right end";
        EXPECT_EQ(At(52, 1, status), HOT_NONE);
        EXPECT_EQ(At(20, -1, status), HOT_NONE);
    }
}

TEST(HotItemAt, AnInactiveBarBelongsToNothingButItsLastRowToTheTopCells) {
    for (int status : {PLAYER_STOPPED, PLAYER_NOT_RUNNING}) {
        SCOPED_TRACE("status " + std::to_string(status));
        for (int y = 0; y < 3; ++y) EXPECT_EQ(At(20, y, status), HOT_NONE) << "y " << y;
        EXPECT_EQ(At(20, 3, status), 1);
        EXPECT_EQ(At(5, 3, status), 0);
    }
}

TEST(HotItemAt, ABarOfHeightZeroIsNeverReportedAndTheCellsStartAtTheTop) {
    const Geometry flat = {55, 23, 0, 1, 10, 11, false};
    for (int status : kAllStatuses) {
        SCOPED_TRACE("status " + std::to_string(status));
        EXPECT_EQ(At(5, 0, status, flat), 0);
        EXPECT_EQ(At(45, 0, status, flat), 4);
        EXPECT_EQ(At(25, 11, status, flat), 7);
        EXPECT_EQ(At(25, -1, status, flat), HOT_NONE);
    }
}

TEST(HotItemAt, TheDisplayCellIsNothing) {
    for (int x = 1; x <= 10; ++x)
        for (int y = 13; y <= 23; ++y) EXPECT_EQ(At(x, y), HOT_NONE) << x << "," << y;
    EXPECT_EQ(At(11, 18), 6) << "its right edge is Open's";
}

TEST(HotItemAt, BelowTheGridOrOutsideTheWindowIsNothing) {
    EXPECT_EQ(At(25, 23), 7) << "bottom edge of row 1 is inclusive";
    EXPECT_EQ(At(25, 24), HOT_NONE);
    EXPECT_EQ(At(-5, 8), HOT_NONE);
    EXPECT_EQ(At(25, -5, PLAYER_STOPPED), HOT_NONE);
    EXPECT_EQ(At(-1, -1), HOT_NONE);
}

TEST(HotItemAt, TheBottomRowOffsetMovesTheDrawingNotTheHitAreas) {
    // Drawn, row 1 would start at y 2 x 3 + 8 = 14; it is hit from y 11.
    const Geometry lowered = {55, 23, 3, 1, 10, 8, true};
    EXPECT_EQ(At(15, 11, PLAYER_STOPPED, lowered), 6);
    EXPECT_EQ(At(15, 19, PLAYER_STOPPED, lowered), 6);
    EXPECT_EQ(At(15, 20, PLAYER_STOPPED, lowered), HOT_NONE);
    EXPECT_EQ(At(15, 10, PLAYER_STOPPED, lowered), 1);
}

// A real window at a known place and the system's own pointer.
class HitTestOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, kLeft, kTop, 55, 23, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        saved = pluginState;
        pluginState.controlWindow = window;
        pluginState.sideOffset = 1;
        pluginState.barHeight = 3;
        pluginState.barOffsetBottomRow = false;
        cellWidth = 10;
        cellHeight = 10;
        PumpMessages(50);
    }
    void TearDown() override {
        pluginState = saved;
        DestroyWindow(window);
    }
    static constexpr int kLeft = 200, kTop = 150;
    HWND window = nullptr;
    PluginState saved;
};

TEST_F(HitTestOnScreen, ReadsThePointerStoresTheItemAndReturnsTheClientPoint) {
    pluginState.playerStatus = PLAYER_PAUSED;
    ASSERT_TRUE(SetCursorPos(kLeft + 27, kTop + 2));
    POINT tested = HitTest();
    EXPECT_EQ(tested.x, 27);
    EXPECT_EQ(tested.y, 2);
    EXPECT_EQ(pluginState.hotItem, HOT_POSITION_BAR);

    ASSERT_TRUE(SetCursorPos(kLeft + 35, kTop + 16));
    tested = HitTest();
    EXPECT_EQ(tested.x, 35);
    EXPECT_EQ(tested.y, 16);
    EXPECT_EQ(pluginState.hotItem, 8);

    ASSERT_TRUE(SetCursorPos(kLeft - 10, kTop + 5));
    tested = HitTest();
    EXPECT_EQ(tested.x, -10);
    EXPECT_EQ(pluginState.hotItem, HOT_NONE);
}

}  // namespace
