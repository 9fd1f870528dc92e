// The title tip as a real popup under Wine: reading a real window's
// caption, sizing and placing the tip, its icon, when it shows and hides,
// and what it paints.
#include "host/host_services.h"
#include "plugin/state/plugin_state.h"
#include "skin/skin_set.h"
#include "tests/support/test_support.h"
#include "tests/support/timer_recorder.h"
#include "tests/title_tip/title_tip_fixture.h"
#include "titletip/title_tip.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A font whose line is `lineHeight` pixels, so the tip gets a known height.
HFONT FontWithLineHeight(int lineHeight) {
    HDC screen = GetDC(nullptr);
    HFONT found = nullptr;
    for (int request = 1; request < 40 && !found; ++request) {
        HFONT font = CreateFontA(request, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
        HGDIOBJ old = SelectObject(screen, font);
        RECT r = {};
        DrawTextA(screen, "Xy", -1, &r, DT_CALCRECT | DT_VCENTER | DT_CENTER);
        SelectObject(screen, old);
        if (r.bottom == lineHeight)
            found = font;
        else
            DeleteObject(font);
    }
    ReleaseDC(nullptr, screen);
    return found;
}

SIZE IconSize(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return SIZE{0, 0};
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    const SIZE size = {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return true;
}

TEST_F(TitleTipTest, ReadTitleCutsTheCaption) {
    ReadTitle();
    EXPECT_STREQ(titleText, "1. Artist - Song");
}

TEST_F(TitleTipTest, ReadTitleFallsBackToTheProductName) {
    SetCaption("");
    ReadTitle();
    EXPECT_STREQ(titleText, "Pelorin");
    SetCaption("Winamp 5.9");
    ReadTitle();
    EXPECT_STREQ(titleText, "Pelorin");
    pluginState.playerWindow = nullptr;
    ReadTitle();
    EXPECT_STREQ(titleText, "Pelorin");
}

TEST_F(TitleTipTest, ReadTitleTakesAtMost259CaptionCharacters) {
    const std::string caption(300, 'a');
    SetCaption(caption.c_str());
    ReadTitle();
    EXPECT_EQ(std::strlen(titleText), 259u);
}

TEST_F(TitleTipTest, PlayerGoneHidesTheTipUnlessThePointerIsOnTheControl) {
    ShowWindow(tip, SW_SHOWNOACTIVATE);
    pluginState.titleTipTimer = SetTimer(tip, TIMER_TITLE_TIP, 60000, nullptr);
    pluginState.playerWindow = nullptr;
    pluginState.hoverTimer = TIMER_HOVER;  // the pointer rests on the control
    ReadTitle();
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_NE(pluginState.titleTipTimer, 0u);

    pluginState.hoverTimer = 0;
    ReadTitle();
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(pluginState.titleTipTimer, 0u);
}

TEST_F(TitleTipTest, NewTitleSizesAndPlacesTheTip) {
    UpdateTitleTip();
    EXPECT_STREQ(shownTitle, "1. Artist - Song");

    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, tipFont.font);
    RECT text = {};
    DrawTextA(screen, "1. Artist - Song", -1, &text, DT_CALCRECT | DT_VCENTER | DT_CENTER);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);

    const RECT r = TipRect();
    EXPECT_EQ(r.right - r.left, text.right + 23);
    EXPECT_EQ(r.bottom - r.top, text.bottom + 5);
    EXPECT_EQ(r.right, 600 + 55);  // right-aligned with the control
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN) - 23);
    EXPECT_EQ(titleTipX, r.left);
    EXPECT_EQ(titleTipY, r.top);
}

TEST_F(TitleTipTest, TipNeverStartsLeftOfTheScreen) {
    MoveWindow(control, 0, 745, 55, 23, FALSE);
    SetCaption("1. A title far wider than the control itself - Winamp");
    UpdateTitleTip();
    const RECT r = TipRect();
    EXPECT_EQ(r.left, 0);
    EXPECT_GT(r.right, 55);
}

TEST_F(TitleTipTest, SteadyTitleNeitherResizesNorRepaints) {
    UpdateTitleTip();
    PumpMessages(50);
    paintCount = 0;
    windowPosCount = 0;
    for (int tick = 0; tick < 4; ++tick) {
        UpdateTitleTip();
        PumpMessages(20);
    }
    EXPECT_EQ(windowPosCount, 0);
    EXPECT_EQ(paintCount, 0);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(tip, &update, FALSE));
}

TEST_F(TitleTipTest, NewSongPopsTheTipForSevenSecondsEvenWithHoverTipsOff) {
    pluginState.songTitleTip = false;
    UpdateTitleTip();
    StopTimer(tip, &pluginState.titleTipTimer);
    ShowWindow(tip, SW_HIDE);

    TimerRecorder timers;
    ASSERT_TRUE(timers.active());

    SetCaption("2. Artist - Next Song - Winamp");
    UpdateTitleTip();
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_NE(pluginState.titleTipTimer, 0u);
    ASSERT_EQ(timers.starts().size(), 1u);
    EXPECT_EQ(timers.starts()[0].window, tip);
    EXPECT_EQ(timers.starts()[0].id, TIMER_TITLE_TIP);
    EXPECT_EQ(timers.starts()[0].elapse, 7000u);
}

TEST_F(TitleTipTest, TitleChangeWithoutPlayerTakesDownATipLeftUp) {
    UpdateTitleTip();
    ShowWindow(tip, SW_SHOWNOACTIVATE);
    pluginState.hoverTimer = TIMER_HOVER;  // the pointer kept it up
    pluginState.playerWindow = nullptr;
    UpdateTitleTip();
    EXPECT_STREQ(shownTitle, "Pelorin");
    EXPECT_EQ(pluginState.titleTipTimer, 0u);
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(TitleTipTest, TimerHidesTheTipOnceThePointerIsOff) {
    ShowWindow(tip, SW_SHOWNOACTIVATE);
    pluginState.hoverTimer = TIMER_HOVER;
    pluginState.titleTipTimer = SetTimer(tip, TIMER_TITLE_TIP, 30, nullptr);
    PumpMessages(150);
    EXPECT_TRUE(IsWindowVisible(tip));

    pluginState.hoverTimer = 0;
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(tip); }, 1000));
    EXPECT_EQ(pluginState.titleTipTimer, 0u);
}

TEST_F(TitleTipTest, IconSizeFollowsTheTipHeight) {
    UseFont(FontWithLineHeight(13));
    SetCaption("A - Winamp");
    UpdateTitleTip();
    ASSERT_EQ(titleTipHeight, 18);
    EXPECT_EQ(titleIconSize, 14);
    ASSERT_NE(titleIcon, nullptr);
    EXPECT_EQ(IconSize(titleIcon).cx, 14);

    UseFont(FontWithLineHeight(6));
    SetCaption("B - Winamp");
    UpdateTitleTip();
    ASSERT_EQ(titleTipHeight, 11);
    EXPECT_EQ(titleIconSize, 8);
    EXPECT_EQ(IconSize(titleIcon).cx, 8);

    UseFont(FontWithLineHeight(5));
    SetCaption("C - Winamp");
    UpdateTitleTip();
    ASSERT_EQ(titleTipHeight, 10);
    EXPECT_EQ(titleIconSize, 8);  // nothing fits: the previous size stays
}

// The icon is loaded once for each size the tip's height asks for: a move
// keeps it, a new size releases the one before.
TEST_F(TitleTipTest, TheIconIsLoadedAgainOnlyForANewSize) {
    UseFont(FontWithLineHeight(13));
    UpdateTitleTip();
    const HICON first = titleIcon;
    ASSERT_NE(first, nullptr);
    MoveWindow(control, 300, 745, 55, 23, FALSE);
    UpdateTitleTip();
    ASSERT_EQ(TipRect().right, 300 + 55) << "the tip followed the control";
    EXPECT_EQ(titleIcon, first);

    UseFont(FontWithLineHeight(6));
    SetCaption("B - Winamp");
    UpdateTitleTip();
    ASSERT_NE(titleIcon, nullptr);
    EXPECT_TRUE(IconAlive(titleIcon));
    EXPECT_FALSE(IconAlive(first));
}

TEST_F(TitleTipTest, DestroyingTheTipReleasesItsIcon) {
    UpdateTitleTip();
    const HICON icon = titleIcon;
    ASSERT_TRUE(IconAlive(icon));
    DestroyWindow(tip);
    tip = nullptr;
    EXPECT_EQ(titleIcon, nullptr);
    EXPECT_FALSE(IconAlive(icon));
}

TEST_F(TitleTipTest, PaintDrawsAFramedBoxWithTitleAndIcon) {
    UpdateTitleTip();
    const int w = titleTipWidth;
    const int h = titleTipHeight;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PaintTitleTip(dc, tip);

    const COLORREF frame = GetSysColor(COLOR_INFOTEXT);
    const COLORREF fill = GetSysColor(COLOR_INFOBK);
    EXPECT_EQ(GetPixel(dc, 0, 0), frame);
    EXPECT_EQ(GetPixel(dc, w - 1, h - 1), frame);
    EXPECT_EQ(GetPixel(dc, w - 2, 1), fill);
    auto anyPixelOtherThanFill = [&](int left, int right) {
        for (int x = left; x < right; ++x)
            for (int y = 1; y < h - 1; ++y)
                if (GetPixel(dc, x, y) != fill) return true;
        return false;
    };
    EXPECT_TRUE(anyPixelOtherThanFill(3, 3 + titleIconSize)) << "icon";
    EXPECT_TRUE(anyPixelOtherThanFill(titleIconSize + 5, w - 1)) << "title";

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

}  // namespace
