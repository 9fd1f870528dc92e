// The title tip's pure rules: how a player caption becomes the song title,
// which icon size a tip height takes, and where the tip goes.
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

TEST(TitleTipOrigin, RightAlignsWithTheControlAboveTheTaskbar) {
    const POINT origin = TitleTipOrigin(900, 55, 23, 120, 18, 768);
    EXPECT_EQ(origin.x, 900 + 55 - 120);
    EXPECT_EQ(origin.y, 768 - 18 - 23);
}

TEST(TitleTipOrigin, NeverLeavesTheScreenOnTheLeft) {
    EXPECT_EQ(TitleTipOrigin(10, 55, 23, 120, 18, 768).x, 0);
    EXPECT_EQ(TitleTipOrigin(65, 55, 23, 120, 18, 768).x, 0);
    EXPECT_EQ(TitleTipOrigin(66, 55, 23, 120, 18, 768).x, 1);
}

}  // namespace
