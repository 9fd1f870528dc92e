// What one status poll costs the host's thread: the tick (finding the
// player and waking the poll worker) and the handling of the worker's
// answers, timed apart, with the stand-in player playing, stopped, and
// answering every question 400 ms late. The questions themselves go from
// the worker, so a slow player must not show in the host's time. Also
// counts the messages the player received per poll, and times a tick that
// must learn the player's path (from the process list and the process),
// which happens while the stored path names no file. Not part of the test
// run.
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "testbed/player/player_sim_client.h"
#include "bench/bench_figures.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kPolls = 300;
constexpr int kSlowPolls = 8;
constexpr int kSlowAnswerMs = 400;
constexpr double kBoundUs = 1000;
// Logged by the player between polls, so its log splits into one poll each.
constexpr char kPollMarker[] = "caption-auto";
constexpr DWORD kAnswerTimeoutMs = 5000;

double answerUs = 0;  // the last MSG_POLL_DONE's handling
int pollsAnswered = 0;

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != MSG_POLL_DONE) return DefWindowProcA(window, message, wParam, lParam);
    const LARGE_INTEGER start = PerformanceNow();
    FinishPoll(wParam);
    answerUs = MicrosecondsBetween(start, PerformanceNow());
    ++pollsAnswered;
    return 0;
}

// Messages the player received in each poll, from the markers between them.
std::vector<double> MessagesPerPoll(const std::string& logPath) {
    std::vector<double> counts;
    int current = -1;
    for (const PlayerSimLogEntry& entry : ReadPlayerSimLog(logPath)) {
        if (entry.kind == "CONTROL" && entry.args == kPollMarker) {
            if (current >= 0) counts.push_back(current);
            current = 0;
        } else if (current >= 0 && (entry.kind == "USER" || entry.kind == "COMMAND")) {
            ++current;
        }
    }
    return counts;
}

// One poll: the tick's time, then, once the answers are in, the host's
// whole share. False when the answers did not come.
bool TimeOnePoll(double* tickUs, double* hostUs) {
    const int answered = pollsAnswered;
    const LARGE_INTEGER start = PerformanceNow();
    PollPlayer(nullptr, 0, 0, 0);
    *tickUs = MicrosecondsBetween(start, PerformanceNow());
    if (!WaitUntil([&] { return pollsAnswered > answered; }, kAnswerTimeoutMs)) return false;
    *hostUs = *tickUs + answerUs;
    return true;
}

// Ticks that find no stored path and learn it.
void MeasureLearningPath() {
    std::vector<double> ticks, hosts;
    for (int i = 0; i < kPolls / 10; ++i) {
        PublishPlayerPath("");
        double tick = 0, host = 0;
        if (TimeOnePoll(&tick, &host)) ticks.push_back(tick);
    }
    PrintFigure("poll tick, player playing, learning the player's path (median)",
                Printed("%.1f us", Median(ticks)));
}

bool Measure(const char* label, PlayerSimState state, int answerDelayMs, int polls) {
    PlayerSimOptions options;
    options.state = state;
    options.playlist = {{"Bench Artist - Bench Title", 3600}};
    options.answerDelayMs = answerDelayMs;
    PlayerSimProcess sim = StartPlayerSim(options);
    if (!sim.window) {
        std::printf("%s: the player did not start: %s\n", label, sim.failure.c_str());
        return false;
    }
    PublishPlayerPath(PlayerSimExePath().c_str());

    std::vector<double> ticks, hosts;
    SendPlayerSimControl(sim.window, kPollMarker);
    for (int i = 0; i < polls; ++i) {
        double tick = 0, host = 0;
        if (!TimeOnePoll(&tick, &host)) {
            std::printf("%s: poll %d got no answers\n", label, i);
            StopPlayerSim(&sim);
            return false;
        }
        ticks.push_back(tick);
        hosts.push_back(host);
        SendPlayerSimControl(sim.window, kPollMarker);
    }
    if (state == PlayerSimState::Playing && answerDelayMs == 0) MeasureLearningPath();
    StopPlayerSim(&sim);

    const std::vector<double> messages = MessagesPerPoll(sim.logPath);
    const double host = Median(hosts);
    std::printf("%-26s polls %d | host's thread us: median %.1f p99 %.1f max %.1f | tick us: median %.1f |"
                " messages/poll: median %.0f max %.0f | status %d\n",
                label, polls, host, Percentile(hosts, 99), Percentile(hosts, 100), Median(ticks), Median(messages),
                Percentile(messages, 100), pluginState.playerStatus);
    const std::string prefix = std::string("poll on the host's thread, player ") + label;
    PrintFigure(prefix + " (median)", Printed("%.1f us", host), Printed("<= %.0f us", kBoundUs), host <= kBoundUs);
    PrintFigure(prefix + " (max)", Printed("%.1f us", Percentile(hosts, 100)));
    PrintFigure(std::string("poll, player ") + label + ", messages per poll (max)",
                Printed("%.0f", Percentile(messages, 100)));
    return true;
}

}  // namespace

int main() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ControlProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PollBenchmarkControl";
    RegisterClassA(&windowClass);
    pluginState.controlWindow = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 55, 46, nullptr,
                                                nullptr, windowClass.hInstance, nullptr);
    ArmWorkerStop();
    StartPollWorker();
    const bool ok = Measure("playing", PlayerSimState::Playing, 0, kPolls) &&
                    Measure("stopped", PlayerSimState::Stopped, 0, kPolls) &&
                    Measure("answering 400 ms late", PlayerSimState::Playing, kSlowAnswerMs, kSlowPolls);
    StopWorkerThreads();
    DestroyWindow(pluginState.controlWindow);
    return ok ? 0 : 1;
}
