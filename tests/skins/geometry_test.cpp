// The control's geometry as a pure function: the built-in worked example,
// the layout of cells and bar, and the edge cases around tiny or negative
// cell sizes, where truncation toward zero decides whether a control exists.
#include "skin/geometry.h"

#include <gtest/gtest.h>
#include <cctype>
#include <string>

namespace {

GeometryInput Input(int normalWidth, int rowHeight, int scaleFactor, int sideOffset, int barHeight,
                    bool barOffsetBottomRow) {
    return GeometryInput{normalWidth, rowHeight, scaleFactor, sideOffset, barHeight, barOffsetBottomRow};
}

void ExpectRect(const RECT& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

}  // namespace

TEST(Geometry, BuiltinSkinAtScaleOne) {
    const Geometry g = ComputeGeometry(Input(55, 23, 1, 0, 3, false));
    EXPECT_EQ(g.controlWidth, 55);
    EXPECT_EQ(g.controlHeight, 23);
    EXPECT_EQ(g.barHeight, 3);
    EXPECT_EQ(g.cellWidth, 11);
    EXPECT_EQ(g.cellHeight, 10);
    EXPECT_TRUE(CellsAreUsable(g));
    for (int c = 0; c < kColumns; ++c) {
        SCOPED_TRACE(c);
        // Rows span y 3..12 and 13..22; cell c spans x 11c..11c+10.
        ExpectRect(DrawnCellRect(g, c, 0), 11 * c, 3, 11 * c + 11, 13);
        ExpectRect(DrawnCellRect(g, c, 1), 11 * c, 13, 11 * c + 11, 23);
    }
    ExpectRect(BarStripRect(g), 0, 0, 55, 3);
}

TEST(Geometry, BarOffsetOfBottomRowLeavesAGapOfTheBarsHeight) {
    const Geometry g = ComputeGeometry(Input(55, 23, 1, 0, 3, true));
    EXPECT_EQ(g.cellHeight, 8);  // (23 - 6) / 2
    ExpectRect(DrawnCellRect(g, 0, 0), 0, 3, 11, 11);   // y 3..10
    ExpectRect(DrawnCellRect(g, 4, 1), 44, 14, 55, 22);  // y 14..21
}

TEST(Geometry, SideOffsetNarrowsTheCellsAndMovesTheBar) {
    const Geometry g = ComputeGeometry(Input(55, 23, 1, 1, 3, false));
    EXPECT_EQ(g.cellWidth, 10);  // 53 / 5
    ExpectRect(DrawnCellRect(g, 0, 0), 1, 3, 11, 13);
    ExpectRect(DrawnCellRect(g, 4, 1), 41, 13, 51, 23);  // the last cell ends at x 50
    ExpectRect(BarStripRect(g), 1, 0, 51, 3);
}

TEST(Geometry, ScaleFactorScalesHeightAndBar) {
    const Geometry g = ComputeGeometry(Input(55, 23, 2, 0, 3, false));
    EXPECT_EQ(g.controlWidth, 55);
    EXPECT_EQ(g.controlHeight, 46);
    EXPECT_EQ(g.barHeight, 6);
    EXPECT_EQ(g.cellHeight, 20);
    ExpectRect(DrawnCellRect(g, 0, 1), 0, 26, 11, 46);
}

TEST(Geometry, ZeroBarHeightGivesTheCellsTheWholeHeight) {
    const Geometry g = ComputeGeometry(Input(55, 24, 1, 0, 0, true));
    EXPECT_EQ(g.cellHeight, 12);
    ExpectRect(DrawnCellRect(g, 0, 1), 0, 12, 11, 24);
    ExpectRect(BarStripRect(g), 0, 0, 55, 0);
}

struct UsabilityCase {
    const char* what;
    GeometryInput input;
    int cellWidth;
    int cellHeight;
    bool usable;
};

class GeometryUsability : public ::testing::TestWithParam<UsabilityCase> {};

TEST_P(GeometryUsability, CellSizeDecidesWhetherAControlExists) {
    const UsabilityCase& c = GetParam();
    const Geometry g = ComputeGeometry(c.input);
    EXPECT_EQ(g.cellWidth, c.cellWidth);
    EXPECT_EQ(g.cellHeight, c.cellHeight);
    EXPECT_EQ(CellsAreUsable(g), c.usable);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, GeometryUsability,
    ::testing::Values(
        UsabilityCase{"eleven pixels wide", Input(11, 23, 1, 0, 3, false), 2, 10, true},
        UsabilityCase{"nine pixels wide", Input(9, 23, 1, 0, 3, false), 1, 10, false},
        UsabilityCase{"thirty wide with offset ten", Input(30, 23, 1, 10, 3, false), 2, 10, true},
        UsabilityCase{"tall bar with bottom-row gap", Input(55, 23, 1, 0, 10, true), 11, 1, false},
        UsabilityCase{"tall bar without the gap", Input(55, 23, 1, 0, 10, false), 11, 6, true},
        // (4 - 9) / 2 is -2 toward zero, where flooring would give -3.
        UsabilityCase{"bar taller than the control", Input(55, 4, 1, 0, 9, false), 11, -2, false},
        // (4 - 10) / 5 is -1 toward zero, where flooring would give -2.
        UsabilityCase{"margins wider than the skin", Input(4, 23, 1, 5, 3, false), -1, 10, false},
        UsabilityCase{"no host metrics", Input(55, 0, 0, 0, 3, false), 11, 0, false}),
    [](const ::testing::TestParamInfo<UsabilityCase>& param) {
        std::string name = param.param.what;
        for (char& ch : name) {
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    });
