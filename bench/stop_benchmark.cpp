// How long a stop (DoneModule) holds the shell while two of the plug-in's
// workers cannot end: a command thread waiting on a player that hangs, and
// a launch held inside its start (ShellExecuteExA held by a patch of the
// plug-in's import until the stop has returned). The built plug-in in the
// stand-in host, with the stand-in player. Not part of the test run.
#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_client.h"
#include "testbed/shell/plugin_loader.h"
#include "testbed/shell/scene_script.h"
#include "bench/bench_figures.h"
#include "tests/support/iat_patch.h"
#include "tests/support/test_support.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 5;
constexpr double kBoundMs = 50;
constexpr int kPlayCell = 1;
constexpr int kStopCell = 3;
constexpr DWORD kWaitMs = 10000;

HANDLE release = nullptr;
std::atomic<int> heldStarts{0};

void Hold() {
    ++heldStarts;
    WaitForSingleObject(release, INFINITE);
}

BOOL WINAPI HeldShellExecuteEx(SHELLEXECUTEINFOA* start) {
    Hold();
    start->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_FNF);  // started nothing
    return FALSE;
}

// Builds that start the player with ShellExecuteA are held there.
HINSTANCE WINAPI HeldShellExecute(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    Hold();
    return reinterpret_cast<HINSTANCE>(SE_ERR_FNF);
}

void Click(HWND control, int cell) {
    RECT rect;
    GetWindowRect(control, &rect);
    const POINT screen = CellPoint(rect, cell);
    SetCursorPos(screen.x, screen.y);
    PumpMessages(50);
    POINT client = screen;
    ScreenToClient(control, &client);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
}

// One round: both workers stuck, then the stop timed. -1 when the round
// could not be set up.
double TimeOneStop(LoadedPlugin* plugin, HostKit* host) {
    ResetEvent(release);
    heldStarts = 0;
    StartPlugin(plugin, host);
    const HWND control = FindWindowExA(host->taskbarWindow, nullptr, "Pelorin", nullptr);
    if (!control) return -1;
    double stopMs = -1;
    PlayerSimProcess sim;
    {
        ScopedImportPatch patchEx(plugin->module, "shell32.dll", "ShellExecuteExA",
                                  reinterpret_cast<void*>(&HeldShellExecuteEx));
        ScopedImportPatch patch(plugin->module, "shell32.dll", "ShellExecuteA",
                                reinterpret_cast<void*>(&HeldShellExecute));
        Click(control, kPlayCell);
        if ((patchEx.active() || patch.active()) && WaitUntil([] { return heldStarts == 1; }, kWaitMs)) {
            sim = StartPlayerSim(PlayerSimOptions{});
            LRESULT answer = 0;
            if (sim.window && SendPlayerSimControl(sim.window, "hang 3000") &&
                !QueryPlayerSim(sim.window, 0, 104, 50, &answer)) {
                Click(control, kStopCell);
                PumpMessages(100);
                const LARGE_INTEGER start = PerformanceNow();
                StopPlugin(plugin);
                stopMs = MicrosecondsBetween(start, PerformanceNow()) / 1000;
            }
        }
        if (plugin->running) StopPlugin(plugin);
    }
    SetEvent(release);
    if (sim.window) WaitForPlayerSimLog(sim.logPath, "COMMAND", "40047", 1, kWaitMs);
    if (sim.process) StopPlayerSim(&sim);
    ForgetClosedTaskbarItems(host);
    return stopMs;
}

}  // namespace

int main() {
    const std::string scratch = MakeScratchDir("stop-bench");
    HostKitOptions options;
    options.storePath = scratch + "\\mirel.ini";
    options.pluginPath = PluginDllPath();
    WriteWholeFile(options.storePath, "[Pelorin]\r\nWinamp Path=" + PlayerSimExePath() + "\r\n");
    HostKit host;
    LoadedPlugin plugin;
    if (FindPlayerSimWindow() || !CreateHostKit(options, &host) || !LoadPluginFile(options.pluginPath, &plugin)) {
        std::printf("cannot set up the host, the plug-in or the player\n");
        return 1;
    }
    release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<double> stops;
    for (int round = 0; round < kRounds; ++round) {
        const double ms = TimeOneStop(&plugin, &host);
        if (ms < 0) {
            std::printf("round %d: the workers could not be held\n", round);
            return 1;
        }
        stops.push_back(ms);
    }
    UnloadPluginFile(&plugin);
    DestroyHostKit(&host);
    CloseHandle(release);
    RemoveTree(scratch);

    std::printf("DoneModule ms over %d rounds: median %.2f max %.2f\n", kRounds, Median(stops),
                Percentile(stops, 100));
    PrintFigure("stop with a hung command and a held launch (median)", Printed("%.2f ms", Median(stops)),
                Printed("<= %.0f ms", kBoundMs), Median(stops) <= kBoundMs);
    PrintFigure("stop with a hung command and a held launch (max)", Printed("%.2f ms", Percentile(stops, 100)));
    return 0;
}
