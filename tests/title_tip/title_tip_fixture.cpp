// The title tip test bench.
#include "tests/title_tip/title_tip_fixture.h"

#include "host/host_services.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"
#include "skin/skin_set.h"
#include "tests/support/test_support.h"
#include "titletip/title_tip.h"

int paintCount = 0;
int windowPosCount = 0;

namespace {

constexpr char kPlayerStandInClass[] = "TitleTipTestPlayer";
constexpr char kControlStandInClass[] = "TitleTipTestControl";
// pluginState is constant-initialised, so this copy holds the load-time values.
const PluginState kInitialState = pluginState;

LRESULT CALLBACK CountingTitleTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++paintCount;
    if (message == WM_WINDOWPOSCHANGED) ++windowPosCount;
    return TitleTipWindowProc(window, message, wParam, lParam);
}

void RegisterClassesOnce() {
    static bool done = false;
    if (done) return;
    WNDCLASSA plain = {};
    plain.lpfnWndProc = DefWindowProcA;
    plain.hInstance = GetModuleHandleA(nullptr);
    plain.lpszClassName = kPlayerStandInClass;
    RegisterClassA(&plain);
    plain.lpszClassName = kControlStandInClass;
    RegisterClassA(&plain);
    WNDCLASSA tip = {};
    tip.style = CS_VREDRAW | CS_HREDRAW;
    tip.lpfnWndProc = CountingTitleTipProc;
    tip.hInstance = GetModuleHandleA(nullptr);
    tip.hCursor = LoadCursor(nullptr, IDC_ARROW);
    tip.lpszClassName = kTitleTipClass;
    RegisterClassA(&tip);
    done = true;
}

// The plug-in's own module holds the "WA" icon the tip loads.
HMODULE PluginModule() {
    static HMODULE module = LoadLibraryA(PluginDllPath().c_str());
    return module;
}

}  // namespace

void TitleTipTest::SetUp() {
    RegisterClassesOnce();
    ASSERT_NE(PluginModule(), nullptr);
    pluginInstance = PluginModule();
    controlWidth = 55;
    controlHeight = 23;
    tipFont.font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));

    shownTitle[0] = '\0';
    titleTipX = 0;
    titleTipY = 0;
    titleTipWidth = 4;
    titleTipHeight = 4;
    titleIconSize = 0;
    titleIcon = nullptr;
    titleTipBrush = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
    titleTipPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_INFOTEXT));

    HINSTANCE self = GetModuleHandleA(nullptr);
    player = CreateWindowExA(0, kPlayerStandInClass, "1. Artist - Song - Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 200, 80,
                             nullptr, nullptr, self, nullptr);
    control = CreateWindowExA(WS_EX_TOOLWINDOW, kControlStandInClass, "", WS_POPUP, 600, 745, 55, 23, nullptr, nullptr,
                              self, nullptr);
    tip = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTitleTipClass, nullptr, WS_POPUP, 0, 0, 4, 4, nullptr,
                          nullptr, self, nullptr);
    ASSERT_TRUE(player && control && tip);
    pluginState.playerWindow = player;
    pluginState.controlWindow = control;
    pluginState.titleTipWindow = tip;
    pluginState.titleTipTimer = 0;
    pluginState.hoverTimer = 0;
    pluginState.songTitleTip = true;
}

void TitleTipTest::TearDown() {
    if (tip) StopTimer(tip, &pluginState.titleTipTimer);
    for (HWND window : {tip, control, player})
        if (window) DestroyWindow(window);
    pluginState = kInitialState;
    DeleteObject(titleTipBrush);
    DeleteObject(titleTipPen);
    if (ownFont) DeleteObject(ownFont);
    PumpMessages(0);
}

void TitleTipTest::UseFont(HFONT font) {
    ASSERT_NE(font, nullptr);
    if (ownFont) DeleteObject(ownFont);
    ownFont = font;
    tipFont.font = font;
}

RECT TitleTipTest::TipRect() {
    RECT r = {};
    GetWindowRect(tip, &r);
    return r;
}
