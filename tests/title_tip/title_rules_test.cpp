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

POINT Origin(RECT control, RECT taskbar, RECT monitor = kPrimary, RECT workArea = kPrimary) {
    return TitleTipOrigin({control, taskbar, monitor, workArea}, {120, 18});
}

TEST(TitleTipOrigin, RightAlignsWithTheControlAboveTheTaskbar) {
    const RECT bottomBar = {0, 745, 1024, 768};
    const POINT origin = Origin({900, 745, 955, 768}, bottomBar);
    EXPECT_EQ(origin.x, 900 + 55 - 120);
    EXPECT_EQ(origin.y, 768 - 18 - 23);
    // The same with the taskbar kept out of the work area.
    EXPECT_EQ(Origin({900, 745, 955, 768}, bottomBar, kPrimary, {0, 0, 1024, 745}).y, origin.y);
}

TEST(TitleTipOrigin, NeverLeavesTheScreenOnTheLeft) {
    const RECT bottomBar = {0, 745, 1024, 768};
    EXPECT_EQ(Origin({65, 745, 120, 768}, bottomBar).x, 0);
    EXPECT_EQ(Origin({66, 745, 121, 768}, bottomBar).x, 1);
}

TEST(TitleTipOrigin, FacesTheMiddleFromEveryEdgeClearOfEveryRow) {
    const POINT top = Origin({969, 0, 1024, 23}, {0, 0, 1024, 23});
    EXPECT_EQ(top.x, 1024 - 120);
    EXPECT_EQ(top.y, 23);
    // Vertical strips 80 wide: beside the strip, bottom edges lined up;
    // at the top-left corner too, where the control alone is as near the
    // top as the left.
    const POINT left = Origin({0, 0, 55, 23}, {0, 0, 80, 768});
    EXPECT_EQ(left.x, 80);
    EXPECT_EQ(left.y, 23 - 18);
    const POINT right = Origin({944, 745, 999, 768}, {944, 0, 1024, 768});
    EXPECT_EQ(right.x, 944 - 120);
    EXPECT_EQ(right.y, 768 - 18);
    // Two rows: above both, from either row.
    EXPECT_EQ(Origin({500, 745, 555, 768}, {0, 722, 1024, 768}).y, 722 - 18);
    EXPECT_EQ(Origin({500, 722, 555, 745}, {0, 722, 1024, 768}).y, 722 - 18);
}

TEST(TitleTipOrigin, StaysOnASecondMonitorLeftOfOrAboveThePrimary) {
    // Left of the primary, its taskbar out of its work area: the tip may
    // start left of x 0, but not left of that monitor.
    const RECT leftMonitor = {-1280, 0, 0, 1024};
    const RECT leftWork = {-1280, 0, 0, 994};
    const RECT leftBar = {-1280, 994, 0, 1024};
    const POINT rightEnd = Origin({-55, 994, 0, 1017}, leftBar, leftMonitor, leftWork);
    EXPECT_EQ(rightEnd.x, -120);
    EXPECT_EQ(rightEnd.y, 994 - 18);
    EXPECT_EQ(Origin({-1280, 994, -1225, 1017}, leftBar, leftMonitor, leftWork).x, -1280);
    // Above the primary, with a taskbar at its top.
    const RECT above = {0, -768, 1024, 0};
    const POINT belowTop = Origin({500, -768, 555, -745}, {0, -768, 1024, -745}, above, above);
    EXPECT_EQ(belowTop.x, 555 - 120);
    EXPECT_EQ(belowTop.y, -745);
}

}  // namespace
