// How long a press on Play takes to reach the player: from the release
// (WM_LBUTTONUP handed to the control's window procedure on the host's
// thread) to the player's window getting the WM_COMMAND, over 200 presses
// on the built plug-in with the stand-in player. The plug-in's imports are
// watched to time each step: the command thread's creation, its start, the
// command leaving for the player and the player's answer to it. A message
// sent to another process is received between the last two, so both are
// reported; the bound is held against the later one. The cost of creating
// and starting an empty thread is measured in the same run, to tell how
// much of a press is thread creation. Then how long a right-click takes to
// show the control's menu with the player running, from WM_CONTEXTMENU to
// the menu on screen and idle (its owner's first WM_ENTERIDLE, where the
// menu is closed again), over 100 menus, and how many messages the host's
// thread sends or posts to the player meanwhile. Not part of the test run.
#include "testbed/common/message_wait.h"
#include "testbed/shell/scene_script.h"
#include "tests/performance/plugin_session.h"
#include "tests/support/bench_figures.h"
#include "tests/support/iat_patch.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kPresses = 200;
constexpr int kPlayCell = 1;
constexpr int kPlayCommand = 40045;
constexpr double kBoundMs = 5;
constexpr DWORD kPressTimeoutMs = 5000;
constexpr DWORD kBetweenPressesMs = 10;
constexpr int kMenus = 100;
constexpr double kMenuBoundMs = 5;
constexpr DWORD kMenuTimeoutMs = 3000;

// The moments of one press, from the release on.
struct PressTimes {
    LARGE_INTEGER release{}, created{}, started{}, sent{}, answered{};
    bool commandSeen = false;
    bool posted = false;
};
PressTimes press;
HWND player = nullptr;
DWORD hostThread = 0;
bool menuAsked = false;            // from WM_CONTEXTMENU until the menu is closed
int hostMessagesToPlayerInMenus = 0;
LARGE_INTEGER menuTracked{};
LARGE_INTEGER menuOnScreen{};
bool menuSeen = false;

void CountIfFromHost(HWND window) {
    if (menuAsked && window == player && GetCurrentThreadId() == hostThread) ++hostMessagesToPlayerInMenus;
}
HANDLE commandThread = nullptr;  // a duplicate, to wait on

using CreateThreadFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
using SendMessageFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using PostMessageFn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using SendTimeoutFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR);
CreateThreadFn realCreateThread = nullptr;
SendMessageFn realSendMessage = nullptr;
PostMessageFn realPostMessage = nullptr;
SendTimeoutFn realSendTimeout = nullptr;
using TrackMenuFn = BOOL(WINAPI*)(HMENU, UINT, int, int, HWND, LPTPMPARAMS);
TrackMenuFn realTrackMenu = nullptr;

BOOL WINAPI TimedTrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    menuTracked = PerformanceNow();
    return realTrackMenu(menu, flags, x, y, owner, params);
}

struct ThreadStart {
    LPTHREAD_START_ROUTINE procedure;
    LPVOID parameter;
};

DWORD WINAPI TimedStart(LPVOID raw) {
    press.started = PerformanceNow();
    const ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    return start.procedure(start.parameter);
}

HANDLE WINAPI TimedCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE procedure,
                                LPVOID parameter, DWORD flags, LPDWORD id) {
    press.created = PerformanceNow();
    auto* start = new ThreadStart{procedure, parameter};
    HANDLE thread = realCreateThread(security, stack, TimedStart, start, flags, id);
    if (!thread) {
        delete start;
        return thread;
    }
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &commandThread, SYNCHRONIZE, FALSE, 0);
    return thread;
}

bool IsPlayCommand(HWND window, UINT message, WPARAM wParam) {
    return window == player && message == WM_COMMAND && LOWORD(wParam) == kPlayCommand;
}

LRESULT WINAPI TimedSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountIfFromHost(window);
    if (!IsPlayCommand(window, message, wParam)) return realSendMessage(window, message, wParam, lParam);
    press.sent = PerformanceNow();
    const LRESULT result = realSendMessage(window, message, wParam, lParam);
    press.answered = PerformanceNow();
    press.commandSeen = true;
    return result;
}

BOOL WINAPI TimedPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountIfFromHost(window);
    if (IsPlayCommand(window, message, wParam)) {
        press.sent = press.answered = PerformanceNow();
        press.commandSeen = press.posted = true;
    }
    return realPostMessage(window, message, wParam, lParam);
}

LRESULT WINAPI CountedSendTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                                  PDWORD_PTR result) {
    CountIfFromHost(window);
    return realSendTimeout(window, message, wParam, lParam, flags, timeout, result);
}

// The menu loop tells the owner once the menu is up and waiting for input.
LRESULT CALLBACK WatchMenu(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && menuAsked && !menuSeen && sent->message == WM_ENTERIDLE && sent->wParam == MSGF_MENU) {
        menuOnScreen = PerformanceNow();
        menuSeen = true;
        EndMenu();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A menu that never went idle is closed all the same.
void CALLBACK CloseStuckMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

std::vector<double> toTrack;

// One right-click with the player running: the time until its menu is on
// screen, or a negative value when it never was.
double MenuMicros(HWND control) {
    menuSeen = false;
    menuAsked = true;
    const UINT_PTR guard = SetTimer(nullptr, 0, kMenuTimeoutMs, CloseStuckMenu);
    const LARGE_INTEGER asked = PerformanceNow();
    SendMessageA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(300, 500));
    WaitUntil([] { return menuSeen; }, kMenuTimeoutMs);
    KillTimer(nullptr, guard);
    menuAsked = false;
    PumpMessages(kBetweenPressesMs);
    if (!menuSeen) return -1;
    toTrack.push_back(MicrosecondsBetween(asked, menuTracked));
    return MicrosecondsBetween(asked, menuOnScreen);
}

// Waits for the command thread to end while the host's thread keeps
// serving its windows, then lets the thread's completion post through.
bool FinishPress() {
    const DWORD deadline = GetTickCount() + kPressTimeoutMs;
    while (commandThread) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(deadline - now) <= 0) return false;
        const DWORD woke = MsgWaitForMultipleObjects(1, &commandThread, FALSE, deadline - now, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            CloseHandle(commandThread);
            commandThread = nullptr;
        }
        PumpMessages(0);
    }
    PumpMessages(kBetweenPressesMs);
    return press.commandSeen;
}

LARGE_INTEGER emptyThreadEntered;

DWORD WINAPI EmptyThread(LPVOID) {
    emptyThreadEntered = PerformanceNow();
    return 0;
}

// Creating an empty thread until its first instruction runs.
double EmptyThreadStartMicros() {
    const LARGE_INTEGER before = PerformanceNow();
    HANDLE thread = realCreateThread(nullptr, 0, EmptyThread, nullptr, 0, nullptr);
    if (!thread) return 0;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return MicrosecondsBetween(before, emptyThreadEntered);
}

template <typename Fn>
std::unique_ptr<ScopedImportPatch> Patch(HMODULE module, const char* dll, const char* name, Fn wrapper, Fn* real) {
    auto patch = std::make_unique<ScopedImportPatch>(module, dll, name, reinterpret_cast<void*>(wrapper));
    *real = reinterpret_cast<Fn>(patch->original());
    return patch;
}

void Report(const char* name, const std::vector<double>& micros, const char* part = "press") {
    PrintFigure(Printed("%s, %s (median)", part, name), Printed("%.3f ms", Median(micros) / 1000));
    PrintFigure(Printed("%s, %s (p95)", part, name), Printed("%.3f ms", Percentile(micros, 95) / 1000));
}

}  // namespace

int main() {
    PluginSession session;
    if (!session.Start()) {
        std::printf("cannot start: %s\n", session.failure().c_str());
        return 1;
    }
    player = session.player();
    const auto createThread =
        Patch(session.plugin(), "kernel32.dll", "CreateThread", &TimedCreateThread, &realCreateThread);
    const auto sendMessage = Patch(session.plugin(), "user32.dll", "SendMessageA", &TimedSendMessage, &realSendMessage);
    const auto postMessage = Patch(session.plugin(), "user32.dll", "PostMessageA", &TimedPostMessage, &realPostMessage);
    if (!createThread->active() || !sendMessage->active()) {
        std::printf("cannot watch the plug-in's CreateThread and SendMessageA\n");
        return 1;
    }

    RECT rect;
    GetWindowRect(session.control(), &rect);
    const POINT point = CellPoint(rect, kPlayCell);
    SetCursorPos(point.x, point.y);
    PumpMessages(100);
    const LPARAM client = MAKELPARAM(point.x - rect.left, point.y - rect.top);

    std::vector<double> toSend, toAnswer, toCreate, createToStart, startToSend, emptyThread;
    bool posted = false;
    for (int i = 0; i < kPresses; ++i) {
        SendMessageA(session.control(), WM_LBUTTONDOWN, MK_LBUTTON, client);
        PumpMessages(0);
        press = PressTimes{};
        press.release = PerformanceNow();
        SendMessageA(session.control(), WM_LBUTTONUP, 0, client);
        if (!FinishPress()) {
            std::printf("press %d: the command never left for the player\n", i + 1);
            return 1;
        }
        posted = posted || press.posted;
        toSend.push_back(MicrosecondsBetween(press.release, press.sent));
        toAnswer.push_back(MicrosecondsBetween(press.release, press.answered));
        toCreate.push_back(MicrosecondsBetween(press.release, press.created));
        createToStart.push_back(MicrosecondsBetween(press.created, press.started));
        startToSend.push_back(MicrosecondsBetween(press.started, press.sent));
        emptyThread.push_back(EmptyThreadStartMicros());
    }

    std::printf("%d presses on Play, the command %s\n", kPresses, posted ? "posted" : "sent");
    hostThread = GetCurrentThreadId();
    const auto sendTimeout =
        Patch(session.plugin(), "user32.dll", "SendMessageTimeoutA", &CountedSendTimeout, &realSendTimeout);
    const auto trackMenu =
        Patch(session.plugin(), "user32.dll", "TrackPopupMenuEx", &TimedTrackMenu, &realTrackMenu);
    HHOOK menuHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchMenu, nullptr, hostThread);
    if (!sendTimeout->active() || !postMessage->active() || !trackMenu->active() || !menuHook) {
        std::printf("cannot watch the plug-in's messages and the menu\n");
        return 1;
    }
    std::vector<double> toMenu;
    for (int i = 0; i < kMenus; ++i) {
        const double micros = MenuMicros(session.control());
        if (micros < 0) {
            std::printf("menu %d: never on screen\n", i + 1);
            return 1;
        }
        toMenu.push_back(micros);
    }
    UnhookWindowsHookEx(menuHook);
    std::printf("%d menus with the player running\n", kMenus);
    const double upper = Median(toAnswer) / 1000;
    PrintFigure("press, release to the player's WM_COMMAND (median, upper bound)", Printed("%.3f ms", upper),
                Printed("<= %.0f ms", kBoundMs), upper <= kBoundMs);
    PrintFigure("press, release to the player's WM_COMMAND (p95, upper bound)",
                Printed("%.3f ms", Percentile(toAnswer, 95) / 1000));
    Report("release to the command leaving (lower bound)", toSend);
    Report("release to CreateThread (host's thread)", toCreate);
    Report("CreateThread to the thread running", createToStart);
    Report("thread running to the command leaving", startToSend);
    Report("empty thread, CreateThread to running", emptyThread);
    const double menuMs = Median(toMenu) / 1000;
    PrintFigure("menu, WM_CONTEXTMENU to the menu on screen, player running (median)", Printed("%.3f ms", menuMs),
                Printed("<= %.0f ms", kMenuBoundMs), menuMs <= kMenuBoundMs);
    PrintFigure("menu, WM_CONTEXTMENU to the menu on screen, player running (p95)",
                Printed("%.3f ms", Percentile(toMenu, 95) / 1000));
    Report("WM_CONTEXTMENU to TrackPopupMenuEx", toTrack, "menu");
    PrintFigure("menu, messages to the player from the host's thread", Printed("%d", hostMessagesToPlayerInMenus),
                "= 0", hostMessagesToPlayerInMenus == 0);
    return 0;
}
