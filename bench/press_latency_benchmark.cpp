// How long a press on Play takes to reach the player: from the release
// (WM_LBUTTONUP handed to the control's window procedure on the host's
// thread) to the player's window getting the WM_COMMAND, over 200 presses
// on the built plug-in with the stand-in player, which notes the
// performance counter as the command comes in (the counter is the same in
// every process). The plug-in's imports are watched to time each step: the
// host's thread handing the press to the command worker (its SetEvent), the
// command leaving for the player and the player's answer to it, which
// comes once the player has logged and carried out the command. Then how
// long the control's menu takes to show with the player running, from
// WM_CONTEXTMENU to TrackPopupMenuEx and to the menu on screen and idle (its
// owner's first WM_ENTERIDLE, where the menu is closed again), over 100
// menus after a right-click's press and 100 asked for with no press before,
// and how many messages the host's thread sends or posts to the player
// meanwhile. The player holds 10,000
// entries, the current one in the middle, so the menu's playlist part
// must read its window of entries, not the list. Not part of the test run.
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_protocol.h"
#include "testbed/shell/scene_script.h"
#include "bench/plugin_session.h"
#include "bench/bench_figures.h"
#include "tests/support/iat_patch.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kPresses = 200;
constexpr int kPlayCell = 1;
constexpr int kPlayCommand = 40045;
constexpr double kBoundMs = 0.5;
constexpr double kP95BoundMs = 1;
constexpr UINT kCommandDone = 1025;
constexpr DWORD kPressTimeoutMs = 5000;
constexpr DWORD kBetweenPressesMs = 10;
constexpr int kMenus = 100;
constexpr double kMenuBoundMs = 6;
constexpr double kMenuTrackBoundMs = 2;
constexpr int kPlaylistLength = 10000;
// An entry's title is asked in UTF-16, then, when the player knows none,
// in the code page.
constexpr int kTitleQuestionsBound = 2 * 15;
constexpr DWORD kMenuTimeoutMs = 3000;

// The moments of one press, from the release on.
struct PressTimes {
    LARGE_INTEGER release{}, handed{}, sent{}, answered{};
    bool releasing = false;  // inside the release, on the host's thread
    bool commandSeen = false;
    bool posted = false;
    bool done = false;  // the worker posted that it is free again
};
PressTimes press;
HWND player = nullptr;
DWORD hostThread = 0;
bool menuAsked = false;            // from WM_CONTEXTMENU until the menu is closed
int hostMessagesToPlayerInMenus = 0;
LARGE_INTEGER menuTracked{};
LARGE_INTEGER menuOnScreen{};
bool menuSeen = false;

// Where one menu's time goes on the menu's worker, for a person reading
// the output: the questions to the player, the reads of its memory, and
// what lies between them.
struct MenuSteps {
    int questions = 0;
    int titleQuestions = 0;
    LARGE_INTEGER firstAsked{}, lastAnswered{};
    double inQuestions = 0, inReads = 0, inOpening = 0;
};
MenuSteps steps;
// Per menu, in microseconds.
std::vector<double> toFirstQuestion, inQuestions, inReads, inOpening, betweenQuestions, lastAnswerToTrack;
int titleQuestions = 0;
int menuQuestions = 0;

void CountIfFromHost(HWND window) {
    if (menuAsked && window == player && GetCurrentThreadId() == hostThread) ++hostMessagesToPlayerInMenus;
}
using SetEventFn = BOOL(WINAPI*)(HANDLE);
using SendMessageFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using PostMessageFn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using SendTimeoutFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR);
SetEventFn realSetEvent = nullptr;
SendMessageFn realSendMessage = nullptr;
PostMessageFn realPostMessage = nullptr;
SendTimeoutFn realSendTimeout = nullptr;
using ReadMemoryFn = BOOL(WINAPI*)(HANDLE, LPCVOID, LPVOID, SIZE_T, SIZE_T*);
ReadMemoryFn realReadMemory = nullptr;
using OpenProcessFn = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);
OpenProcessFn realOpenProcess = nullptr;
using TrackMenuFn = BOOL(WINAPI*)(HMENU, UINT, int, int, HWND, LPTPMPARAMS);
TrackMenuFn realTrackMenu = nullptr;

BOOL WINAPI TimedTrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    menuTracked = PerformanceNow();
    return realTrackMenu(menu, flags, x, y, owner, params);
}

// The release wakes the command worker; the poll's own wakes come outside it.
BOOL WINAPI TimedSetEvent(HANDLE event) {
    if (press.releasing) press.handed = PerformanceNow();
    return realSetEvent(event);
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
    if (message == kCommandDone) press.done = true;
    if (IsPlayCommand(window, message, wParam)) {
        press.sent = press.answered = PerformanceNow();
        press.commandSeen = press.posted = true;
    }
    return realPostMessage(window, message, wParam, lParam);
}

// The poll's worker asks the player too, now and then during a menu.
bool IsMenuQuestion(LPARAM question) {
    switch (question) {
    case player_sim::kShuffleQuery:
    case player_sim::kRepeatQuery:
    case player_sim::kPlaylistLength:
    case player_sim::kPlaylistPosition:
    case player_sim::kPlaylistTitle:
    case player_sim::kPlaylistTitleWide:
        return true;
    default:
        return false;
    }
}

LRESULT WINAPI CountedSendTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                                  PDWORD_PTR result) {
    CountIfFromHost(window);
    if (!menuAsked || window != player || !IsMenuQuestion(lParam))
        return realSendTimeout(window, message, wParam, lParam, flags, timeout, result);
    const LARGE_INTEGER asked = PerformanceNow();
    const LRESULT sent = realSendTimeout(window, message, wParam, lParam, flags, timeout, result);
    steps.lastAnswered = PerformanceNow();
    if (steps.questions++ == 0) steps.firstAsked = asked;
    steps.titleQuestions += lParam == player_sim::kPlaylistTitle || lParam == player_sim::kPlaylistTitleWide;
    steps.inQuestions += MicrosecondsBetween(asked, steps.lastAnswered);
    return sent;
}

BOOL WINAPI TimedReadMemory(HANDLE process, LPCVOID address, LPVOID out, SIZE_T size, SIZE_T* got) {
    const LARGE_INTEGER start = PerformanceNow();
    const BOOL read = realReadMemory(process, address, out, size, got);
    if (menuAsked) steps.inReads += MicrosecondsBetween(start, PerformanceNow());
    return read;
}

HANDLE WINAPI TimedOpenProcess(DWORD access, BOOL inherit, DWORD id) {
    const LARGE_INTEGER start = PerformanceNow();
    const HANDLE process = realOpenProcess(access, inherit, id);
    if (menuAsked) steps.inOpening += MicrosecondsBetween(start, PerformanceNow());
    return process;
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

// A user's right-click: the button is down this long before its release
// asks for the menu.
constexpr DWORD kRightButtonHeldMs = 100;

// One menu with the player running: the time from WM_CONTEXTMENU until it
// is on screen, or a negative value when it never was. With pressedMs, the
// right button's press comes that long before, as in a user's right-click;
// without, the menu is asked for with no press, as by the menu key.
double MenuMicros(HWND control, DWORD pressedMs, std::vector<double>* track) {
    menuSeen = false;
    steps = MenuSteps{};
    menuAsked = true;
    if (pressedMs > 0) {
        SendMessageA(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
        PumpMessages(pressedMs);
    }
    const UINT_PTR guard = SetTimer(nullptr, 0, kMenuTimeoutMs, CloseStuckMenu);
    const LARGE_INTEGER asked = PerformanceNow();

    SendMessageA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(300, 500));
    WaitUntil([] { return menuSeen; }, kMenuTimeoutMs);
    KillTimer(nullptr, guard);
    menuAsked = false;
    PumpMessages(kBetweenPressesMs);
    if (!menuSeen) return -1;
    track->push_back(MicrosecondsBetween(asked, menuTracked));
    if (pressedMs > 0) return MicrosecondsBetween(asked, menuOnScreen);
    if (steps.questions > 0) {
        toFirstQuestion.push_back(MicrosecondsBetween(asked, steps.firstAsked));
        inQuestions.push_back(steps.inQuestions);
        inReads.push_back(steps.inReads);
        inOpening.push_back(steps.inOpening);
        betweenQuestions.push_back(MicrosecondsBetween(steps.firstAsked, steps.lastAnswered) - steps.inQuestions);
        lastAnswerToTrack.push_back(MicrosecondsBetween(steps.lastAnswered, menuTracked));
    }
    titleQuestions += steps.titleQuestions;
    menuQuestions += steps.questions;
    return MicrosecondsBetween(asked, menuOnScreen);
}

// Serves the host's windows until the worker has posted that it is free
// again, then lets that post through.
bool FinishPress() {
    if (!WaitUntil([] { return press.done; }, kPressTimeoutMs)) return false;
    PumpMessages(kBetweenPressesMs);
    return press.commandSeen;
}

// The player's note of the command's arrival, in the counter's low 32
// bits, placed after the release it cannot precede.
LARGE_INTEGER ArrivalAfter(LARGE_INTEGER release) {
    const auto low = static_cast<DWORD>(SendMessageA(player, player_sim::kQueryMessage, 0,
                                                     player_sim::kLastCommandArrival));
    LARGE_INTEGER arrived = release;
    arrived.QuadPart += static_cast<DWORD>(low - release.LowPart);
    return arrived;
}

void Report(const char* name, const std::vector<double>& micros, const char* part = "press") {
    PrintFigure(Printed("%s, %s (median)", part, name), Printed("%.3f ms", Median(micros) / 1000));
    PrintFigure(Printed("%s, %s (p95)", part, name), Printed("%.3f ms", Percentile(micros, 95) / 1000));
}

}  // namespace

int main() {
    PluginSession session;
    if (!session.Start(kPlaylistLength, kPlaylistLength / 2)) {
        std::printf("cannot start: %s\n", session.failure().c_str());
        return 1;
    }
    player = session.player();
    const HMODULE plugin = session.plugin();
    const auto setEvent = PatchTyped(plugin, "kernel32.dll", "SetEvent", &TimedSetEvent, &realSetEvent);
    const auto sendMessage = PatchTyped(plugin, "user32.dll", "SendMessageA", &TimedSendMessage, &realSendMessage);
    const auto postMessage = PatchTyped(plugin, "user32.dll", "PostMessageA", &TimedPostMessage, &realPostMessage);
    if (!setEvent->active() || !sendMessage->active() || !postMessage->active()) {
        std::printf("cannot watch the plug-in's SetEvent, SendMessageA and PostMessageA\n");
        return 1;
    }

    RECT rect;
    GetWindowRect(session.control(), &rect);
    const POINT point = CellPoint(rect, kPlayCell);
    SetCursorPos(point.x, point.y);
    PumpMessages(100);
    const LPARAM client = MAKELPARAM(point.x - rect.left, point.y - rect.top);

    std::vector<double> toSend, toArrive, toAnswer, toHand, handToSend;
    bool posted = false;
    for (int i = 0; i < kPresses; ++i) {
        // A real press comes with the pointer's position fresh in Wine's
        // server; without that, Wine asks the X server where the pointer is
        // (about 0.12 ms) at the release's GetCursorPos.
        SetCursorPos(point.x, point.y);
        SendMessageA(session.control(), WM_LBUTTONDOWN, MK_LBUTTON, client);
        PumpMessages(0);
        press = PressTimes{};
        press.releasing = true;
        press.release = PerformanceNow();
        SendMessageA(session.control(), WM_LBUTTONUP, 0, client);
        press.releasing = false;
        if (!FinishPress()) {
            std::printf("press %d: the command never left for the player\n", i + 1);
            return 1;
        }
        // A sent command arrives while its sender waits for the answer.
        const LARGE_INTEGER arrived = ArrivalAfter(press.release);
        if (arrived.QuadPart < press.sent.QuadPart || (!press.posted && arrived.QuadPart > press.answered.QuadPart)) {
            std::printf("press %d: the player's note of the command's arrival is outside its sending\n", i + 1);
            return 1;
        }
        posted = posted || press.posted;
        toArrive.push_back(MicrosecondsBetween(press.release, arrived));
        toSend.push_back(MicrosecondsBetween(press.release, press.sent));
        toAnswer.push_back(MicrosecondsBetween(press.release, press.answered));
        toHand.push_back(MicrosecondsBetween(press.release, press.handed));
        handToSend.push_back(MicrosecondsBetween(press.handed, press.sent));
    }

    std::printf("%d presses on Play, the command %s\n", kPresses, posted ? "posted" : "sent");
    hostThread = GetCurrentThreadId();
    const auto sendTimeout =
        PatchTyped(plugin, "user32.dll", "SendMessageTimeoutA", &CountedSendTimeout, &realSendTimeout);
    const auto trackMenu =
        PatchTyped(plugin, "user32.dll", "TrackPopupMenuEx", &TimedTrackMenu, &realTrackMenu);
    const auto readMemory =
        PatchTyped(plugin, "kernel32.dll", "ReadProcessMemory", &TimedReadMemory, &realReadMemory);
    const auto openProcess = PatchTyped(plugin, "kernel32.dll", "OpenProcess", &TimedOpenProcess, &realOpenProcess);
    HHOOK menuHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchMenu, nullptr, hostThread);
    if (!sendTimeout->active() || !postMessage->active() || !trackMenu->active() || !readMemory->active() ||
        !openProcess->active() || !menuHook) {
        std::printf("cannot watch the plug-in's messages and the menu\n");
        return 1;
    }
    std::vector<double> toMenu, toMenuAfterPress, toTrackAfterPress;
    for (int i = 0; i < kMenus; ++i) {
        const double micros = MenuMicros(session.control(), 0, &toTrack);
        const double afterPress = MenuMicros(session.control(), kRightButtonHeldMs, &toTrackAfterPress);
        if (micros < 0 || afterPress < 0) {
            std::printf("menu %d: never on screen\n", i + 1);
            return 1;
        }
        toMenu.push_back(micros);
        toMenuAfterPress.push_back(afterPress);
    }
    UnhookWindowsHookEx(menuHook);
    std::printf("%d menus with the player running\n", kMenus);
    const double arrival = Median(toArrive) / 1000;
    PrintFigure("press, release to the player's WM_COMMAND (median)", Printed("%.3f ms", arrival),
                Printed("<= %.1f ms", kBoundMs), arrival <= kBoundMs);
    const double arrivalP95 = Percentile(toArrive, 95) / 1000;
    PrintFigure("press, release to the player's WM_COMMAND (p95)", Printed("%.3f ms", arrivalP95),
                Printed("<= %.0f ms", kP95BoundMs), arrivalP95 <= kP95BoundMs);
    Report("release to the player's answer", toAnswer);
    Report("release to the command leaving", toSend);
    Report("release to waking the command worker (host's thread)", toHand);
    Report("waking the worker to the command leaving", handToSend);
    const double menuMs = Median(toMenuAfterPress) / 1000;
    PrintFigure("menu after a right-click, WM_CONTEXTMENU to the menu on screen, player running (median)",
                Printed("%.3f ms", menuMs), Printed("<= %.0f ms", kMenuBoundMs), menuMs <= kMenuBoundMs);
    PrintFigure("menu after a right-click, WM_CONTEXTMENU to the menu on screen (p95)",
                Printed("%.3f ms", Percentile(toMenuAfterPress, 95) / 1000));
    const double trackMs = Median(toTrackAfterPress) / 1000;
    PrintFigure("menu after a right-click, WM_CONTEXTMENU to TrackPopupMenuEx, 10,000 entries (median)",
                Printed("%.3f ms", trackMs), Printed("<= %.0f ms", kMenuTrackBoundMs), trackMs <= kMenuTrackBoundMs);
    PrintFigure("menu after a right-click, WM_CONTEXTMENU to TrackPopupMenuEx (p95)",
                Printed("%.3f ms", Percentile(toTrackAfterPress, 95) / 1000));
    PrintFigure("menu with no press before (menu key), WM_CONTEXTMENU to the menu on screen (median)",
                Printed("%.3f ms", Median(toMenu) / 1000));
    PrintFigure("menu with no press before (menu key), WM_CONTEXTMENU to TrackPopupMenuEx (median)",
                Printed("%.3f ms", Median(toTrack) / 1000));
    const double perMenu = static_cast<double>(titleQuestions) / kMenus;
    PrintFigure("menu, titles asked of the player per menu", Printed("%.1f", perMenu),
                Printed("<= %d", kTitleQuestionsBound), titleQuestions > 0 && perMenu <= kTitleQuestionsBound);
    PrintFigure("menu, questions to the player per menu", Printed("%.1f", static_cast<double>(menuQuestions) / kMenus));
    std::printf("where a menu's time goes, medians:\n");
    Report("WM_CONTEXTMENU to the worker's first question", toFirstQuestion, "menu");
    Report("the worker waiting for answers", inQuestions, "menu");
    Report("the worker between answers (reads included)", betweenQuestions, "menu");
    Report("the worker reading titles", inReads, "menu");
    Report("the worker opening the player's process", inOpening, "menu");
    Report("the last answer to TrackPopupMenuEx", lastAnswerToTrack, "menu");
    PrintFigure("menu, messages to the player from the host's thread", Printed("%d", hostMessagesToPlayerInMenus),
                "= 0", hostMessagesToPlayerInMenus == 0);
    return 0;
}
