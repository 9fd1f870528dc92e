// InitGlobalModule and DoneModule: the host starts the plug-in once after
// loading it and stops it once before unloading it. Start-up wires the
// other modules together; a start that cannot finish stops where it is,
// and teardown undoes exactly what exists.
#include "plugin/lifecycle.h"

#include "control/button_tips.h"
#include "control/control_window.h"
#include "host/host_services.h"
#include "player/commands.h"
#include "player/launch.h"
#include "player/player_link.h"
#include "plugin/exports.h"
#include "plugin/library_hold.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "settings/settings.h"
#include "skin/geometry.h"
#include "skin/paint_cache.h"
#include "skin/skin_set.h"
#include "titletip/title_tip.h"

#include <cstring>

TaskbarItem taskbarItem = {};

namespace {

constexpr UINT kControlClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
constexpr UINT kTitleTipClassStyle = CS_VREDRAW | CS_HREDRAW;
// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN and the low
// style bit the host's taskbar items carry.
constexpr DWORD kControlStyle = 0x56000010;
constexpr DWORD kControlExStyle = WS_EX_ACCEPTFILES;
constexpr DWORD kTitleTipExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
constexpr const char* kSkinErrorText = "Load Main Bitmap Skin Please!!!";

bool RegisterWindowClass(const char* name, UINT style, WNDPROC procedure) {
    WNDCLASSA windowClass = {};
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = pluginInstance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

void ReleaseSkinPictures() {
    // Painting's own bitmaps were drawn from these pictures.
    ReleasePaintSurfaces();
    for (SkinEntry& entry : skinSet) {
        FreePictureRecord(&entry.source);
        FreePictureRecord(&entry.stretched);
    }
}

void ReleaseTipFont() {
    if (tipFont.font) FreeFont(&tipFont);
    tipFont.font = nullptr;
}

// What the skin loading made is of no use once the control cannot exist.
void AbandonSkins() {
    ReleaseSkinPictures();
    ReleaseTipFont();
}

void RegisterWithTaskbar() {
    taskbarItem = MakeTaskbarItem(pluginState.controlWindow, hostContext.taskbarWindow, controlWidth,
                                  controlHeight, pluginState.position, pluginState.priorityPosition);
    SendMessageA(hostContext.hostWindow, HM_ADD_TASKBAR_ITEM, 0, reinterpret_cast<LPARAM>(&taskbarItem));
}

bool CreateTitleTip() {
    // A second start must measure the title afresh, even an unchanged one.
    std::memset(shownTitle, 0, sizeof shownTitle);
    titleTipX = 0;
    titleTipY = 0;
    titleTipWidth = 4;
    titleTipHeight = 4;
    pluginState.titleTipWindow =
        CreateWindowExA(kTitleTipExStyle, kTitleTipClass, nullptr, WS_POPUP, titleTipX, titleTipY, titleTipWidth,
                        titleTipHeight, nullptr, nullptr, pluginInstance, nullptr);
    if (!pluginState.titleTipWindow) return false;
    titleTipBrush = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
    titleTipPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_INFOTEXT));
    GetClientRect(pluginState.titleTipWindow, &titleTipClientRect);
    UpdateTitleTip();
    ShowWindow(pluginState.titleTipWindow, SW_SHOWNOACTIVATE);
    return true;
}

void StartTimers() {
    pluginState.titleTipTimer =
        SetTimer(pluginState.titleTipWindow, TIMER_TITLE_TIP, TitleTipFirstStepMs(FindPlayer()), nullptr);
    StartPollWorker();
    StartCommandWorker();
    pluginState.pollTimer = SetTimer(pluginState.controlWindow, TIMER_POLL, POLL_PERIOD_MS, PollPlayer);
    pluginState.titleRefreshTimer =
        SetTimer(pluginState.controlWindow, TIMER_TITLE_REFRESH, TITLE_REFRESH_PERIOD_MS, UpdateTitleTip);
}

void ResetInteraction() {
    pluginState.hotItem = HOT_NONE;
    pluginState.pendingCommand = HOT_NONE;
    pluginState.drawnHotItem = HOT_NONE;
    pluginState.buttonDown = false;
    // Differs from buttonDown so the first paint is a full one.
    pluginState.drawnButtonDown = true;
    pluginState.startupPending = true;
}

// The box is modal on the host's thread, and the host may stop and unload
// the plug-in from inside it.
void ShowSkinFailure() {
    const ShellCallHold hold;
    ShowPluginMessage(hostContext, nullptr, kPluginName, kSkinErrorText, MB_ICONERROR, true);
}

void Start(const HostContext& context) {
    ArmWorkerStop();
    FindPlayer();
    std::memcpy(&hostContext, &context, sizeof hostContext);
    if (!RegisterWindowClass(kControlClass, kControlClassStyle, ControlWindowProc)) {
        StopWorkerThreads();
        return;
    }

    if (!LoadSettingsAndSkins()) {
        AbandonSkins();
        StopWorkerThreads();
        ShowSkinFailure();
        return;
    }

    pluginState.controlWindow =
        CreateWindowExA(kControlExStyle, kControlClass, kPluginName, kControlStyle, 0, 0, 0, 0,
                        hostContext.taskbarWindow, nullptr, pluginInstance, nullptr);
    if (!pluginState.controlWindow) {
        // Nothing would ever show the skins; stop as quietly as a missing
        // title tip does.
        AbandonSkins();
        StopWorkerThreads();
        return;
    }
    RegisterWithTaskbar();

    if (!RegisterWindowClass(kTitleTipClass, kTitleTipClassStyle, TitleTipWindowProc)) return;
    if (!CreateTitleTip()) return;

    StartTimers();
    ResetInteraction();
    if (pluginState.runAtStartup)
        pluginState.startupTimer = SetTimer(pluginState.controlWindow, TIMER_STARTUP, STARTUP_DELAY_MS, StartupLaunch);
    std::memset(&hostToolInfo, 0, sizeof hostToolInfo);
    std::memset(buttonTipText, 0, sizeof buttonTipText);
}

void CloseTitleTip() {
    if (pluginState.titleTipWindow) {
        StopTimer(pluginState.titleTipWindow, &pluginState.titleTipTimer);
        DeleteObject(titleTipBrush);
        DeleteObject(titleTipPen);
        titleTipBrush = nullptr;
        titleTipPen = nullptr;
        DestroyWindow(pluginState.titleTipWindow);
        pluginState.titleTipWindow = nullptr;
    }
    // Also made by a start that ended before the title tip existed.
    ReleaseTipFont();
}

void CloseControl() {
    const HWND window = pluginState.controlWindow;
    StopTimer(window, &pluginState.hoverTimer);
    StopTimer(window, &pluginState.pollTimer);
    StopTimer(window, &pluginState.startupTimer);
    StopTimer(window, &pluginState.launchWatchdogTimer);
    StopTimer(window, &pluginState.titleRefreshTimer);
    ReleaseSkinPictures();
    SendMessageA(hostContext.tooltipWindow, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&hostToolInfo));
    DestroyWindow(window);
    pluginState.controlWindow = nullptr;
}

void Stop() {
    CloseTitleTip();
    UnregisterClassA(kTitleTipClass, pluginInstance);
    if (pluginState.controlWindow) CloseControl();
    UnregisterClassA(kControlClass, pluginInstance);
}

}  // namespace

extern "C" void __stdcall InitGlobalModule(HostContext* context) {
    if (!context) return;
    Start(*context);
}

extern "C" void __stdcall DoneModule(void) {
    // First, whatever state the start is in: a hold taken below us, even by
    // a start that failed before its control existed, must see this stop.
    // Signals the workers and forgets them without waiting: each keeps the
    // library loaded until it has ended, and posts nothing once stopped.
    StopWorkerThreads();
    Stop();
}
