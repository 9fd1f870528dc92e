// Keeping the title tip in step with the player: every refresh reads the
// title; a new title resizes the tip (and pops it up while the player
// runs), and a new position (the taskbar or the control may have moved)
// moves it and picks its icon.
#include "titletip/title_tip.h"

#include "host/host_services.h"
#include "plugin/state/plugin_state.h"
#include "skin/gdi_guards.h"
#include "skin/geometry.h"
#include "skin/skin_set.h"
#include "cover/cover_picture.h"
#include "titletip/title_cover.h"

#include <algorithm>

#include <cstring>
#include <cwchar>

char shownTitle[kTitleTextSize] = {};
int titleTipX = 0;
int titleTipY = 0;
int titleTipWidth = 0;
int titleTipHeight = 0;
int titleIconSize = 0;
HICON titleIcon = nullptr;

namespace {

constexpr const char* kIconName = "WA";
// Room around the measured text: the icon and margins across, the frame
// and a little air down.
constexpr int kExtraWidth = 23;
constexpr int kExtraHeight = 5;
// With a cover, the square and its margins across instead of the icon's.
constexpr int kCoverExtraWidth = kCoverInset + kCoverSide + kTitleTextGap + 2;
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_VCENTER | DT_CENTER;
constexpr UINT kResizeFlags = SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

void ResizeForShownTitle() {
    HWND tip = pluginState.titleTipWindow;
    HDC screen = GetDC(nullptr);
    RECT measured = {};
    if (shownWideTitle[0] != L'\0') {
        measured = MeasureWideTitle(screen);
    } else {
        auto font = SelectIn(screen, tipFont.font);
        DrawTextA(screen, shownTitle, -1, &measured, kMeasureFlags);
    }
    titleTipWidth = measured.right + kExtraWidth;
    titleTipHeight = measured.bottom + kExtraHeight;
    if (CoverShown()) {
        titleTipWidth = measured.right + kCoverExtraWidth;
        titleTipHeight = std::max(titleTipHeight, kCoverTipHeight);
    }
    SetWindowPos(tip, nullptr, 0, 0, titleTipWidth, titleTipHeight, kResizeFlags);
    ReleaseDC(nullptr, screen);
    InvalidateRect(tip, nullptr, FALSE);
}

void OnTitleChanged() {
    HWND tip = pluginState.titleTipWindow;
    std::memset(shownTitle, 0, sizeof shownTitle);
    lstrcpynA(shownTitle, titleText, kTitleTextSize);
    lstrcpynW(shownWideTitle, wideTitleText, kTitleTextSize);
    StopTimer(tip, &pluginState.titleTipTimer);
    // Never the last song's cover beside a new title: it goes now, and the
    // new one comes when the cover's worker has found it.
    if (titleText[0] != '\0' && pluginState.playerWindow)
        LookForCover(pluginState.playerWindow);
    else
        ForgetShownCover();
    if (titleText[0] != '\0' && pluginState.playerWindow) {
        ShowWindow(tip, SW_SHOWNOACTIVATE);
        pluginState.titleTipTimer = SetTimer(tip, TIMER_TITLE_TIP, TITLE_TIP_CHANGE_MS, nullptr);
    } else {
        // With its timer gone nothing else would ever take a tip down that
        // the pointer left up.
        ShowWindow(tip, SW_HIDE);
    }
    ResizeForShownTitle();
}

void LoadTitleIcon() {
    HICON previous = titleIcon;
    titleIcon = static_cast<HICON>(
        LoadImageA(pluginInstance, kIconName, IMAGE_ICON, titleIconSize, titleIconSize, LR_DEFAULTCOLOR));
    if (previous) DestroyIcon(previous);
}

TipSurroundings Surroundings() {
    HWND control = pluginState.controlWindow;
    TipSurroundings around = {};
    // As the host placed it, which may be narrower than the skin on a
    // narrow vertical strip; at its own size only before the host has
    // placed it, while the window is still empty.
    GetWindowRect(control, &around.control);
    if (IsRectEmpty(&around.control)) {
        around.control.right = around.control.left + controlWidth;
        around.control.bottom = around.control.top + controlHeight;
    }
    HWND strip = GetParent(control);
    if (!strip || !GetWindowRect(strip, &around.taskbar)) around.taskbar = around.control;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(control, MONITOR_DEFAULTTONEAREST), &monitor);
    around.monitor = monitor.rcMonitor;
    around.workArea = monitor.rcWork;
    return around;
}

void PlaceTitleTip() {
    HWND tip = pluginState.titleTipWindow;
    const POINT origin = TitleTipOrigin(Surroundings(), SIZE{titleTipWidth, titleTipHeight});
    if (origin.x == titleTipX && origin.y == titleTipY) return;
    titleTipX = origin.x;
    titleTipY = origin.y;
    // A new height always moves the tip, so the icon follows every resize.
    titleIconSize = IconSizeFor(titleTipHeight, titleIconSize);
    LoadTitleIcon();
    MoveWindow(tip, titleTipX, titleTipY, titleTipWidth, titleTipHeight, TRUE);
    InvalidateRect(tip, nullptr, TRUE);
}

}  // namespace

void RefitTitleTip() {
    ResizeForShownTitle();
    PlaceTitleTip();
}

void CALLBACK UpdateTitleTip(HWND, UINT, UINT_PTR, DWORD) {
    ReadTitle();
    // Two titles of one script can share their ANSI twin ("?? ???").
    if (std::strcmp(titleText, shownTitle) != 0 || std::wcscmp(wideTitleText, shownWideTitle) != 0)
        OnTitleChanged();
    PlaceTitleTip();
}
