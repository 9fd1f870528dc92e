// The control window fixture.
#include "tests/control_window/control_fixture.h"

#include "control/button_tips.h"
#include "control/control_window.h"
#include "host/host_services.h"
#include "player/player_link.h"
#include "player/player_modes.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "skin/geometry.h"
#include "tests/support/iat_patch.h"
#include "titletip/title_tip.h"

#include <commctrl.h>
#include <atomic>
#include <cstring>
#include <cwchar>

namespace {

constexpr char kTitleTipStandInClass[] = "ControlTestTitleTip";
constexpr int kControlLeft = 100;
constexpr DWORD kControlStyle = 0x56000010;
// pluginState is constant-initialised, so this copy holds the load-time values.
const PluginState kInitialState = pluginState;

std::vector<UINT> tooltipLog;
WNDPROC tooltipProc = nullptr;

LRESULT CALLBACK RecordingTooltipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) tooltipLog.push_back(message);
    return CallWindowProcA(tooltipProc, window, message, wParam, lParam);
}

SeenMenu seenMenu;
UINT chosenItem = 0;
DWORD menuAskedTick = 0;
const HostKit* menuHost = nullptr;
bool insideContextMenu = false;

std::vector<SeenMenuItem> ReadMenuItems(HMENU menu) {
    std::vector<SeenMenuItem> items;
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        char text[128] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        wchar_t wide[256] = {};
        GetMenuStringW(menu, i, wide, 256, MF_BYPOSITION);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        // A submenu's item state is in the low byte; the high one counts its items.
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION) & (info.hSubMenu ? 0xFFu : ~0u);
        const UINT id = (state & MF_SEPARATOR) ? 0 : info.wID;
        items.push_back({id, text, (state & MF_CHECKED) != 0, (state & MF_GRAYED) != 0, wide,
                         info.hSubMenu ? ReadMenuItems(info.hSubMenu) : std::vector<SeenMenuItem>{}});
    }
    return items;
}

BOOL WINAPI CapturingTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    ++seenMenu.shown;
    seenMenu.shownAfterMs = GetTickCount() - menuAskedTick;
    seenMenu.taskbarRightClicksBefore = menuHost->taskbarRightClicks;
    seenMenu.shownInsideTheMessage = insideContextMenu;
    seenMenu.flags = flags;
    seenMenu.x = x;
    seenMenu.y = y;
    seenMenu.owner = owner;
    if (params) seenMenu.params = *params;
    seenMenu.items = ReadMenuItems(menu);
    const SeenMenuItem* chosen = chosenItem ? seenMenu.Item(chosenItem) : nullptr;
    if (!chosen || chosen->grayed) return FALSE;  // as if the menu were dismissed
    // What the menu does with a click on an item: the command comes after it closes.
    PostMessageA(owner, WM_COMMAND, chosenItem, 0);
    return TRUE;
}

void RegisterClassesOnce() {
    static bool done = false;
    if (done) return;
    WNDCLASSA control = {};
    control.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    control.lpfnWndProc = ControlWindowProc;
    control.hInstance = GetModuleHandleA(nullptr);
    control.hCursor = LoadCursor(nullptr, IDC_ARROW);
    control.lpszClassName = kControlClass;
    RegisterClassA(&control);
    WNDCLASSA tip = {};
    tip.lpfnWndProc = DefWindowProcA;
    tip.hInstance = GetModuleHandleA(nullptr);
    tip.lpszClassName = kTitleTipStandInClass;
    RegisterClassA(&tip);
    done = true;
}

}  // namespace

POINT CellCentre(int cell) {
    const int column = cell % 5;
    const int row = cell / 5;
    return POINT{7 + 8 * column + 4, 3 + 10 * row + 5};
}

void ControlWindowTest::SetUp() {
    HostTest::SetUp();
    RegisterClassesOnce();
    hostContext = host.context;
    pluginState = kInitialState;
    menuHost = &host;

    controlWidth = 55;
    controlHeight = 23;
    cellWidth = 8;
    cellHeight = 10;
    pluginState.sideOffset = 7;
    pluginState.barHeight = 3;

    std::memset(&hostToolInfo, 0, sizeof hostToolInfo);
    std::memset(buttonTipText, 0, sizeof buttonTipText);
    std::memset(lastTipText, 0, sizeof lastTipText);
    std::memset(titleText, 0, sizeof titleText);
    std::memset(playerPath, 0, sizeof playerPath);
    songLengthSec = 0;
    songPositionSec = 0;

    HINSTANCE self = GetModuleHandleA(nullptr);
    control = CreateWindowExA(WS_EX_ACCEPTFILES, kControlClass, "Pelorin", kControlStyle, kControlLeft, 0, 55, 23,
                              host.taskbarWindow, nullptr, self, nullptr);
    titleTip = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTitleTipStandInClass, nullptr, WS_POPUP, 0, 0, 40, 16,
                               nullptr, nullptr, self, nullptr);
    ASSERT_TRUE(control && titleTip);
    pluginState.controlWindow = control;
    pluginState.titleTipWindow = titleTip;
    ArmWorkerStop();
    StartPollWorker();

    tooltipLog.clear();
    tooltipProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        host.tooltipWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingTooltipProc)));
    PumpMessages(0);
}

void ControlWindowTest::TearDown() {
    StopWorkerThreads();
    PointAway();
    StopTimer(control, &pluginState.hoverTimer);
    StopTimer(titleTip, &pluginState.titleTipTimer);
    if (host.tooltipWindow && tooltipProc)
        SetWindowLongPtrA(host.tooltipWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tooltipProc));
    if (control) DestroyWindow(control);
    if (titleTip) DestroyWindow(titleTip);
    pluginState = kInitialState;
    hostContext = HostContext{};
    HostTest::TearDown();
}

void ControlWindowTest::PointAt(POINT client) {
    POINT screen = client;
    ClientToScreen(control, &screen);
    SetCursorPos(screen.x, screen.y);
    PumpMessages(0);
}

void ControlWindowTest::PointAway() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, 10);
    PumpMessages(0);
}

LRESULT ControlWindowTest::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(control, message, wParam, lParam);
}

void ControlWindowTest::Tick() { Send(WM_TIMER, TIMER_HOVER); }

void ControlWindowTest::Poll() {
    const bool blink = pluginState.blinkPhase;
    PollPlayer(nullptr, 0, 0, 0);
    // Every poll of a player found, answered or not, turns the blink over
    // once its answers are applied.
    if (pluginState.playerWindow) EXPECT_TRUE(WaitUntil([blink] { return pluginState.blinkPhase != blink; }, 5000));
}

int ControlWindowTest::TooltipMessages(UINT message) const {
    int count = 0;
    for (UINT m : tooltipLog) count += m == message;
    return count;
}

std::vector<UINT> SeenMenu::Ids() const {
    std::vector<UINT> ids;
    for (const SeenMenuItem& item : items) ids.push_back(item.id);
    return ids;
}

namespace {

const SeenMenuItem* FindItem(const std::vector<SeenMenuItem>& items, UINT id) {
    for (const SeenMenuItem& item : items) {
        if (item.id == id) return &item;
        if (const SeenMenuItem* inner = FindItem(item.submenu, id)) return inner;
    }
    return nullptr;
}

}  // namespace

const SeenMenuItem* SeenMenu::Item(UINT id) const { return FindItem(items, id); }

SeenMenu ControlWindowTest::OpenContextMenu(short x, short y, UINT choose) {
    seenMenu = SeenMenu{};
    chosenItem = choose;
    ScopedImportPatch patch(GetModuleHandleA(nullptr), "user32.dll", "TrackPopupMenuEx",
                            reinterpret_cast<void*>(&CapturingTrackPopupMenuEx));
    EXPECT_TRUE(patch.active());
    menuAskedTick = GetTickCount();
    insideContextMenu = true;
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(x, y));
    insideContextMenu = false;
    seenMenu.contextMenuMs = GetTickCount() - menuAskedTick;
    // With the player running the menu opens when a worker has its answers.
    // The menu waits for the answers of the menu's worker, and opens as it
    // takes them; the item chosen comes after it, as a posted command.
    EXPECT_TRUE(WaitUntil([] { return seenMenu.shown > 0 || !ModesWorkerBusy(); }, 5000));
    PumpMessages(0);
    return seenMenu;
}

std::string ControlWindowTest::TooltipText() {
    char text[kTipTextSize] = {};
    TOOLINFOA tool = {};
    tool.cbSize = hostToolInfo.cbSize;
    tool.hwnd = control;
    tool.uId = 1;
    tool.lpszText = text;
    SendMessageA(host.tooltipWindow, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

namespace {

// Before Windows 10 there is no thread description: nothing is named.
bool ThreadNamed(const wchar_t* name) {
    using Describe = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const auto describe = reinterpret_cast<Describe>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetThreadDescription")));
    PWSTR description = nullptr;
    if (!name || !describe || FAILED(describe(GetCurrentThread(), &description)) || !description) return false;
    const bool named = std::wcscmp(description, name) == 0;
    LocalFree(description);
    return named;
}

decltype(&WaitForMultipleObjects) realWaitForMultiple = nullptr;
const wchar_t* watchedName = nullptr;
std::atomic<HANDLE> watchedThread{nullptr};  // as it last woke
std::atomic<bool> failNextWake{false};
std::atomic<bool> wakeFailed{false};

void KeepWatchedThread() {
    const HANDLE kept = watchedThread.load();
    if (kept && GetThreadId(kept) == GetCurrentThreadId()) return;
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, SYNCHRONIZE, FALSE, 0);
    if (const HANDLE old = watchedThread.exchange(self)) CloseHandle(old);
}

// A job's wake event is set only once its worker is named.
DWORD WINAPI WatchedWait(DWORD count, const HANDLE* handles, BOOL all, DWORD waitMs) {
    const DWORD woken = realWaitForMultiple(count, handles, all, waitMs);
    if (woken == WAIT_TIMEOUT || !ThreadNamed(watchedName)) return woken;
    KeepWatchedThread();
    if (!failNextWake.exchange(false)) return woken;
    wakeFailed = true;
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

}  // namespace

WorkerWatch::WorkerWatch(const wchar_t* name)
    : patch_(PatchTyped(GetModuleHandleA(nullptr), "kernel32.dll", "WaitForMultipleObjects", &WatchedWait,
                        &realWaitForMultiple)) {
    failNextWake = false;
    wakeFailed = false;
    watchedName = name;
}

WorkerWatch::~WorkerWatch() {
    patch_.reset();
    watchedName = nullptr;
    if (const HANDLE thread = watchedThread.exchange(nullptr)) CloseHandle(thread);
}

bool WorkerWatch::Active() const { return patch_->active(); }

void WorkerWatch::FailNextWake() { failNextWake = true; }

bool WorkerWatch::Failed() const { return wakeFailed; }

bool WorkerWatch::WorkerEnded(DWORD timeoutMs) const {
    return WaitUntil([] {
        const HANDLE thread = watchedThread.load();
        return thread && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    }, timeoutMs);
}
