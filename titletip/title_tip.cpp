// Keeping the title tip in step with the player: every refresh reads the
// title; a new title resizes the tip (and pops it up while the player
// runs), a new position (the taskbar or the control may have moved) moves
// it, and the same title over another song has its cover looked for. The
// icon is loaded again only when the tip's height asks for another size.
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
// Sized and placed in one call, which also raises the tip among the
// topmost windows.
constexpr UINT kFitFlags = SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// The shown title's extent in the tip's font, measured as the title
// changes: a cover's arrival resizes the tip without measuring again.
SIZE shownTitleExtent = {};

void MeasureShownTitle() {
    HDC screen = GetDC(nullptr);
    RECT measured = {};
    if (shownWideTitle[0] != L'\0') {
        measured = MeasureWideTitle(screen);
    } else {
        auto font = SelectIn(screen, tipFont.font);
        DrawTextA(screen, shownTitle, -1, &measured, kMeasureFlags);
    }
    ReleaseDC(nullptr, screen);
    shownTitleExtent = SIZE{measured.right, measured.bottom};
}

SIZE TipSize() {
    if (CoverSquareKept()) {
        return SIZE{shownTitleExtent.cx + kCoverExtraWidth,
                    std::max<LONG>(shownTitleExtent.cy + kExtraHeight, kCoverTipHeight)};
    }
    return SIZE{shownTitleExtent.cx + kExtraWidth, shownTitleExtent.cy + kExtraHeight};
}

void LoadTitleIcon() {
    HICON previous = titleIcon;
    titleIcon = static_cast<HICON>(
        LoadImageA(pluginInstance, kIconName, IMAGE_ICON, titleIconSize, titleIconSize, LR_DEFAULTCOLOR));
    if (previous) DestroyIcon(previous);
}

// The icon beside a title without a cover follows the tip's height; it is
// loaded again only for a new size. A cover takes its place.
void FitTitleIcon() {
    if (CoverSquareKept()) return;
    const int size = IconSizeFor(titleTipHeight, titleIconSize);
    if (titleIcon && size == titleIconSize) return;
    titleIconSize = size;
    LoadTitleIcon();
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

// Sizes and places the tip for what it shows, in one call, made when the
// size or the place changed, and at every new title, which it also raises
// among the topmost windows; false when nothing was made. Under Wine the
// call costs the shell's thread half a millisecond and more, which is why
// the tip keeps a cover's square from song to song.
bool FitTitleTip(bool newTitle) {
    HWND tip = pluginState.titleTipWindow;
    const SIZE size = TipSize();
    const POINT origin = TitleTipOrigin(Surroundings(), size);
    const bool moved = origin.x != titleTipX || origin.y != titleTipY || size.cx != titleTipWidth ||
                       size.cy != titleTipHeight;
    if (!newTitle && !moved) return false;
    titleTipX = origin.x;
    titleTipY = origin.y;
    titleTipWidth = size.cx;
    titleTipHeight = size.cy;
    FitTitleIcon();
    SetWindowPos(tip, nullptr, titleTipX, titleTipY, titleTipWidth, titleTipHeight, kFitFlags);
    InvalidateRect(tip, nullptr, FALSE);
    return true;
}

void OnTitleChanged() {
    HWND tip = pluginState.titleTipWindow;
    std::memset(shownTitle, 0, sizeof shownTitle);
    lstrcpynA(shownTitle, titleText, kTitleTextSize);
    lstrcpynW(shownWideTitle, wideTitleText, kTitleTextSize);
    MeasureShownTitle();
    StopTimer(tip, &pluginState.titleTipTimer);
    // Never the last song's cover beside a new title: it goes now, and the
    // new one comes when the cover's worker has found it.
    const bool playing = titleText[0] != '\0' && pluginState.playerWindow;
    if (playing)
        LookForCover(pluginState.playerWindow);
    else
        ForgetShownCover();
    FitTitleTip(true);
    if (playing) {
        PopTitleTip();
    } else {
        // With its timer gone nothing else would ever take a tip down that
        // the pointer left up.
        ShowWindow(tip, SW_HIDE);
    }
}

}  // namespace

void RefitTitleTip() {
    if (!FitTitleTip(false)) InvalidateRect(pluginState.titleTipWindow, nullptr, FALSE);
}

void PopTitleTip() {
    HWND tip = pluginState.titleTipWindow;
    StopTimer(tip, &pluginState.titleTipTimer);
    ShowWindow(tip, SW_SHOWNOACTIVATE);
    pluginState.titleTipTimer = SetTimer(tip, TIMER_TITLE_TIP, TITLE_TIP_CHANGE_MS, nullptr);
}

void CALLBACK UpdateTitleTip(HWND, UINT, UINT_PTR, DWORD) {
    ReadTitle();
    // Two titles of one script can share their ANSI twin ("?? ???").
    if (std::strcmp(titleText, shownTitle) != 0 || std::wcscmp(wideTitleText, shownWideTitle) != 0) {
        OnTitleChanged();
        return;
    }
    // Another song under the same caption: the poll noticed it.
    if (titleText[0] != '\0' && pluginState.playerWindow) FollowSongChanges(pluginState.playerWindow);
    FitTitleTip(false);
}
