// The title tip's pure rules: how a player caption becomes the song title,
// which icon size a tip height takes, and where the tip goes on each edge
// of each monitor.
#include "titletip/title_tip.h"

#include <gtest/gtest.h>

namespace {

std::string Cut(const char* caption) { return std::string(CutTitle(caption)); }

TEST(CutTitle, DropsThePlayerNameAndTheSeparatorBeforeIt) {
    EXPECT_EQ(Cut("3. Artist - Song - Winamp"), "3. Artist - Song");
    EXPECT_EQ(Cut("1. A - B - Winamp"), "1. A - B");
    EXPECT_EQ(Cut("7. Band - Tune - Winamp [Paused]"), "7. Band - Tune");
}

TEST(CutTitle, CutsAtTheFirstOccurrence) {
    EXPECT_EQ(Cut("Song - Winamp - more"), "Song");
    EXPECT_EQ(Cut("2. Winamp Lovers - Ode - Winamp"), "2.");
}

TEST(CutTitle, CaptionStartingWithThePlayerNameLeavesNothing) {
    EXPECT_EQ(Cut("Winamp"), "");
    EXPECT_EQ(Cut("Winamp 5.9 [Stopped]"), "");
}

TEST(CutTitle, CaptionWithoutThePlayerNameStaysWhole) {
    EXPECT_EQ(Cut("Artist - Song"), "Artist - Song");
    EXPECT_EQ(Cut("winamp is lower case - WINAMP"), "winamp is lower case - WINAMP");
    EXPECT_EQ(Cut(""), "");
}

TEST(CutTitle, FirstCharacterIsNeverTrimmed) {
    EXPECT_EQ(Cut(" Winamp"), " ");
    EXPECT_EQ(Cut("- Winamp"), "-");
    EXPECT_EQ(Cut("-- - Winamp"), "-");
}

TEST(ScrolledCaption, AMarkerSplitAcrossTheEndsIsReadAsACircle) {
    EXPECT_EQ(TitleOfCaption("mp *** 3. Artist - Title - Wina"), "3. Artist - Title");
    EXPECT_EQ(TitleOfCaption(std::wstring_view(L"*** 3. Кино - Звезда - Winamp ")), L"3. Кино - Звезда");
}

TEST(ScrolledCaption, CaptionsWithoutTheMarkerAreCutAsBefore) {
    EXPECT_EQ(RestoreScrolledCaption("3. Artist - Title - Winamp"), "3. Artist - Title - Winamp");
    EXPECT_EQ(RestoreScrolledCaption("a *** b - Winamp"), "a *** b - Winamp");
    EXPECT_EQ(TitleOfCaption("Song - Winamp - more"), "Song");
}

TEST(NeedsWideTitle, OnlyWhenTheCodePageWouldLoseACharacter) {
    EXPECT_TRUE(NeedsWideTitle(L"Кино", 1252));
    EXPECT_FALSE(NeedsWideTitle(L"Кино", 1251));
    // Best fit would quietly turn "é" into "e" on a Cyrillic system.
    EXPECT_TRUE(NeedsWideTitle(L"Café", 1251));
    EXPECT_FALSE(NeedsWideTitle(L"Café", 1252));
    EXPECT_FALSE(NeedsWideTitle(L"Plain - Song", 1251));
    EXPECT_FALSE(NeedsWideTitle(L"", 1252));
}

TEST(IconSizeFor, TakesTheLargestSizeWithAPixelAboveAndBelow) {
    EXPECT_EQ(IconSizeFor(18, 0), 14);
    EXPECT_EQ(IconSizeFor(19, 0), 16);
    EXPECT_EQ(IconSizeFor(40, 0), 16);
    EXPECT_EQ(IconSizeFor(11, 0), 8);
    EXPECT_EQ(IconSizeFor(13, 0), 10);
}

TEST(IconSizeFor, KeepsThePreviousSizeWhenNoneFits) {
    EXPECT_EQ(IconSizeFor(10, 12), 12);
    EXPECT_EQ(IconSizeFor(4, 0), 0);
}

// A 1024 x 768 primary monitor, and a tip of 120 x 18.
constexpr RECT kPrimary = {0, 0, 1024, 768};
constexpr SIZE kTip = {120, 18};

POINT Origin(RECT control, RECT taskbar, RECT monitor = kPrimary, RECT workArea = kPrimary) {
    return TitleTipOrigin({control, taskbar, monitor, workArea}, kTip);
}

TEST(TitleTipOrigin, RightAlignsWithTheControlAboveTheTaskbar) {
    const RECT bottomBar = {0, 745, 1024, 768};
    const POINT origin = Origin({900, 745, 955, 768}, bottomBar);
    EXPECT_EQ(origin.x, 900 + 55 - 120);
    EXPECT_EQ(origin.y, 768 - 18 - 23);
    // The same with the taskbar out of the work area, and with no strip
    // to go by: the control stands for it.
    const POINT reserved = Origin({900, 745, 955, 768}, bottomBar, kPrimary, {0, 0, 1024, 745});
    EXPECT_EQ(reserved.x, origin.x);
    EXPECT_EQ(reserved.y, origin.y);
    const POINT alone = Origin({900, 745, 955, 768}, {});
    EXPECT_EQ(alone.x, origin.x);
    EXPECT_EQ(alone.y, origin.y);
}

TEST(TitleTipOrigin, NeverLeavesTheScreenOnTheLeft) {
    const RECT bottomBar = {0, 745, 1024, 768};
    EXPECT_EQ(Origin({10, 745, 65, 768}, bottomBar).x, 0);
    EXPECT_EQ(Origin({65, 745, 120, 768}, bottomBar).x, 0);
    EXPECT_EQ(Origin({66, 745, 121, 768}, bottomBar).x, 1);
}

TEST(TitleTipOrigin, FacesTheMiddleFromEveryEdgeEvenAtTheCorners) {
    // Top: below the strip, right-aligned, kept on the screen.
    const POINT top = Origin({0, 0, 55, 23}, {0, 0, 1024, 23});
    EXPECT_EQ(top.x, 0);
    EXPECT_EQ(top.y, 23);
    EXPECT_EQ(Origin({969, 0, 1024, 23}, {0, 0, 1024, 23}).x, 1024 - 120);
    // Left, 80 wide: right of the strip, not of the control; bottom edges
    // lined up, kept on the screen at the top corner.
    const RECT leftBar = {0, 0, 80, 768};
    const POINT left = Origin({0, 400, 55, 423}, leftBar);
    EXPECT_EQ(left.x, 80);
    EXPECT_EQ(left.y, 423 - 18);
    EXPECT_EQ(Origin({0, 0, 55, 23}, leftBar).y, 23 - 18);
    EXPECT_EQ(Origin({0, 745, 55, 768}, leftBar).y, 768 - 18);
    // Right: left of the strip.
    const POINT right = Origin({944, 745, 999, 768}, {944, 0, 1024, 768});
    EXPECT_EQ(right.x, 944 - 120);
    EXPECT_EQ(right.y, 768 - 18);
    // A tip that does not fit beside a control at the top of a vertical
    // strip is kept inside: a 40-pixel tip there starts at the screen top.
    EXPECT_EQ(TitleTipOrigin({{0, 0, 55, 23}, leftBar, kPrimary, kPrimary}, {120, 40}).y, 0);
}

TEST(TitleTipOrigin, ClearsBothRowsOfATwoRowTaskbar) {
    const RECT twoRows = {0, 722, 1024, 768};
    const RECT workArea = {0, 0, 1024, 722};
    EXPECT_EQ(Origin({500, 745, 555, 768}, twoRows).y, 722 - 18);
    EXPECT_EQ(Origin({500, 722, 555, 745}, twoRows).y, 722 - 18);
    EXPECT_EQ(Origin({500, 745, 555, 768}, twoRows, kPrimary, workArea).y, 722 - 18);
    const RECT topRows = {0, 0, 1024, 46};
    EXPECT_EQ(Origin({500, 0, 555, 23}, topRows).y, 46);
}

TEST(TitleTipOrigin, StaysOnASecondMonitorLeftOfOrAboveThePrimary) {
    // Left of the primary, taskbar at its bottom and kept out of its work
    // area: the tip may start left of x 0, but not left of that monitor.
    const RECT leftMonitor = {-1280, 0, 0, 1024};
    const RECT leftWork = {-1280, 0, 0, 994};
    const RECT leftBar = {-1280, 994, 0, 1024};
    const POINT atRightEnd = Origin({-55, 994, 0, 1017}, leftBar, leftMonitor, leftWork);
    EXPECT_EQ(atRightEnd.x, -120);
    EXPECT_EQ(atRightEnd.y, 994 - 18);
    EXPECT_EQ(Origin({-1280, 994, -1225, 1017}, leftBar, leftMonitor, leftWork).x, -1280);
    // Above the primary, taskbar at its top, and one on its right edge.
    const RECT aboveMonitor = {0, -768, 1024, 0};
    const POINT belowTop = Origin({500, -768, 555, -745}, {0, -768, 1024, -745}, aboveMonitor, aboveMonitor);
    EXPECT_EQ(belowTop.x, 555 - 120);
    EXPECT_EQ(belowTop.y, -745);
    const POINT leftOfRight = Origin({964, -23, 1019, 0}, {964, -768, 1024, 0}, aboveMonitor, aboveMonitor);
    EXPECT_EQ(leftOfRight.x, 964 - 120);
    EXPECT_EQ(leftOfRight.y, -18);
}

}  // namespace
