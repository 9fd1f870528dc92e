// The taskbar control's window procedure: every message is first shown to
// the host's tooltip relay, then handed to the handler for its kind.
#include "control/control_window.h"

#include "control/control_handlers.h"
#include "control/playlist_menu.h"
#include "control/wheel.h"
#include "host/host_services.h"
#include "player/commands.h"
#include "player/dropped_files.h"
#include "player/launch.h"
#include "player/player_link.h"
#include "plugin/library_hold.h"
#include "plugin/state/plugin_state.h"
#include "skin/paint.h"
#include "titletip/title_cover.h"

#include <commctrl.h>

static_assert(sizeof(TPMPARAMS) == 20, "the menu's exclusion record is 20 bytes");

namespace {

// The host shows button tips from the mouse messages it sees here; it
// stops the relay by setting its flag.
void RelayToHostTip(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int32_t* flag = hostContext.tipRelayFlag;
    if (flag && *flag == 0) NotifyTip(hostContext.tooltipWindow, window, message, wParam, lParam);
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) PaintControl(dc);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnNotify(const NMHDR* header) {
    if (header && header->code == TTN_SHOW) return OnTooltipShown(header->hwndFrom);
    return 0;
}

// A double click acts on what the last hover tick or release found; the
// Display cell counts as no cell.
void OnDoubleClick() {
    const int hot = pluginState.hotItem;
    if (hot == HOT_NONE || hot == HOT_DISPLAY) TogglePlayerWindow();
}

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto byDefault = [&] { return DefWindowProcA(window, message, wParam, lParam); };
    const bool dropBusy = DropBusy();
    switch (message) {
    case WM_CREATE:
        ForgetWheel();
        return byDefault();
    case WM_PAINT:
        return OnPaint(window);
    case WM_ERASEBKGND:
        return 1;  // painting covers every pixel
    case WM_WININICHANGE:
    case WM_TIMECHANGE:
        InvalidateRect(window, nullptr, FALSE);
        return byDefault();
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        return 0;
    case WM_NCLBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK:
        if (!dropBusy) OnDoubleClick();
        return byDefault();
    case WM_NCMBUTTONUP:
    case WM_MBUTTONUP:
        if (!dropBusy) TogglePlayerWindow();
        return byDefault();
    case WM_COMMAND: {
        // The setup page and the player's preferences are the host's, and
        // it may stop and unload the plug-in from inside them.
        const ShellCallHold hold;
        OnMenuCommand(LOWORD(wParam));
        return hold.StopCame() ? 0 : byDefault();
    }
    case WM_TIMER:
        OnHoverTick();
        return 0;
    case WM_MOUSEMOVE:
        if (dropBusy) return byDefault();
        OnMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
        if (dropBusy) return byDefault();
        return OnPress() ? 0 : byDefault();
    case WM_RBUTTONDOWN:
        if (!dropBusy) OnRightButtonDown();
        return byDefault();
    case WM_LBUTTONUP:
        if (!dropBusy) OnRelease();
        return byDefault();
    case WM_MOUSEWHEEL:
        // A wheel the volume does not take goes on to the parent as before.
        return OnMouseWheel(wParam) ? 0 : byDefault();
    case WM_DROPFILES:
        AcceptDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return byDefault();
    case MSG_COMMAND_DONE:
        FinishCommand(wParam, lParam);
        // A playlist choice, then wheel notches that came meanwhile (in
        // one burst), go out once the worker is free.
        PlayWaitingChoice();
        SendCountedNotches();
        return byDefault();
    case MSG_LAUNCH_DONE:
        FinishLaunch(wParam, lParam);
        return byDefault();
    case MSG_POLL_DONE:
        FinishPoll(wParam);
        return 0;
    case MSG_DROP_DONE:
        FinishDrop(wParam);
        return 0;
    case MSG_MODES_DONE:
        FinishModes(wParam, lParam);
        return 0;
    case MSG_COVER_DONE:
        FinishCover(wParam);
        return 0;
    default:
        return byDefault();
    }
}

}  // namespace

LRESULT OnTooltipShown(HWND tooltip) {
    PluginState& s = pluginState;
    // Topmost so the taskbar does not cover it; non-zero tells the tooltip
    // that it has been placed.
    const LRESULT placed = SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    // A button tip and the song title are never shown together.
    if (s.titleTipTimer != 0) {
        StopTimer(s.titleTipWindow, &s.titleTipTimer);
        ShowWindow(s.titleTipWindow, SW_HIDE);
        InvalidateRect(s.controlWindow, nullptr, FALSE);
    }
    return placed;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RelayToHostTip(window, message, wParam, lParam);
    return Dispatch(window, message, wParam, lParam);
}
