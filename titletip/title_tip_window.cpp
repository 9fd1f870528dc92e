// The title tip's window: a framed box in the system's tooltip colours
// with the icon on the left and the title beside it, hidden by its timer
// once the pointer is off the control.
#include "titletip/title_tip.h"

#include "host/host_services.h"
#include "plugin/state/plugin_state.h"
#include "skin/gdi_guards.h"
#include "skin/skin_set.h"
#include "cover/cover_picture.h"
#include "titletip/title_cover.h"

HBRUSH titleTipBrush = nullptr;
HPEN titleTipPen = nullptr;

namespace {

constexpr int kIconLeft = 3;
constexpr int kTextTop = 2;
constexpr int kTextFormat = DT_VCENTER;

void OnTitleTipTimer(HWND window) {
    if (pluginState.hoverTimer != 0 || pluginState.titleTipTimer == 0) return;
    StopTimer(window, &pluginState.titleTipTimer);
    ShowWindow(window, SW_HIDE);
}

void ReleaseTitleIcon() {
    if (titleIcon) DestroyIcon(titleIcon);
    titleIcon = nullptr;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) PaintTitleTip(dc, window);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace

void PaintTitleTip(HDC dc, HWND window) {
    GetClientRect(window, &titleTipClientRect);
    const RECT& client = titleTipClientRect;
    auto pen = SelectIn(dc, titleTipPen);
    auto brush = SelectIn(dc, titleTipBrush);
    Rectangle(dc, client.left, client.top, client.right, client.bottom);

    const bool square = CoverSquareKept();
    RECT textRect = client;
    textRect.left = square ? kCoverInset + kCoverSide + kTitleTextGap : titleIconSize + kTitleTextGap;
    textRect.top = kTextTop;
    if (shownWideTitle[0] != L'\0') {
        DrawWideTitle(dc, textRect);
    } else {
        MDrawText(dc, shownTitle, &textRect, tipFont.font, kTextFormat, SwapRedBlue(GetSysColor(COLOR_INFOTEXT)), 0,
                  0);
    }

    if (square)
        DrawCover(dc, kCoverInset, (titleTipHeight - kCoverSide) / 2);
    else if (titleIcon)
        DrawIconEx(dc, kIconLeft, (titleTipHeight - titleIconSize) / 2, titleIcon, 0, 0, 0, titleTipBrush,
                   DI_NORMAL);
}

LRESULT CALLBACK TitleTipWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return OnPaint(window);
    case WM_TIMER:
        OnTitleTipTimer(window);
        break;
    case WM_DESTROY:
        // The icon and a stand-in font belong to the window they are
        // drawn in; a later start makes fresh ones for its new window.
        ReleaseTitleIcon();
        ReleaseWideTitleFont();
        shownWideTitle[0] = L'\0';
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
