// What one status poll costs the host's thread, with the stand-in player
// playing and stopped, set against the raw cost of the same messages: the
// benchmark makes the FindWindowA and the SendMessageTimeoutA calls that a
// poll makes, with the same arguments, alternating with the polls so that
// both see the same machine. Also counts the messages the player received
// per poll and the window lookups, times the poll's two other calls (the
// host's FileExists on the stored path, the control's invalidation), and
// times a poll that must learn the player's path (from the process list
// and the process), which happens while the stored path names no file.
// Not part of the test run.
#include "player/bounded_send.h"
#include "player/player_link.h"
#include "player/player_path.h"
#include "host/host_abi.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_client.h"
#include "tests/support/bench_figures.h"
#include "tests/support/iat_patch.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPolls = 1000;
constexpr double kBoundRatio = 1.5;
// Logged by the player between polls, so its log splits into one poll each.
constexpr char kPollMarker[] = "delay 0";

int findWindowCalls = 0;
HWND(WINAPI* realFindWindowA)(LPCSTR, LPCSTR) = nullptr;

HWND WINAPI CountingFindWindowA(LPCSTR windowClass, LPCSTR title) {
    ++findWindowCalls;
    return realFindWindowA(windowClass, title);
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

struct Query {
    WPARAM wParam;
    LPARAM lParam;
};

// What a poll asks: the position and state always, then the length and the
// position again while a track is loaded.
std::vector<Query> PollQueries(PlayerSimState state) {
    std::vector<Query> queries = {{POSITION_MS, QUERY_POSITION_OR_LENGTH}, {0, QUERY_PLAY_STATE}};
    if (state != PlayerSimState::Stopped) {
        queries.push_back({LENGTH_SECONDS, QUERY_POSITION_OR_LENGTH});
        queries.push_back({POSITION_MS, QUERY_POSITION_OR_LENGTH});
    }
    return queries;
}

void RawMessages(const std::vector<Query>& queries) {
    const HWND player = realFindWindowA(kPlayerWindowClass, nullptr);
    for (const Query& query : queries) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(player, PLAYER_QUERY, query.wParam, query.lParam, SMTO_ABORTIFHUNG,
                            kPlayerAnswerTimeoutMs, &answer);
    }
}

template <typename Work>
double TimeCall(Work work) {
    const LARGE_INTEGER start = PerformanceNow();
    work();
    return MicrosecondsBetween(start, PerformanceNow());
}

double TimePoll() {
    const LARGE_INTEGER start = PerformanceNow();
    PollPlayer(nullptr, 0, 0, 0);
    return MicrosecondsBetween(start, PerformanceNow());
}

// The poll's calls other than its messages and lookup.
void MeasureTheRest(const char* label) {
    char stored[kPlayerPathSize];
    CopyPlayerPath(stored, sizeof stored);
    std::vector<double> fileExists, invalidate;
    for (int i = 0; i < kPolls; ++i) {
        fileExists.push_back(TimeCall([&] { FileExists(stored); }));
        invalidate.push_back(TimeCall([] { InvalidateRect(pluginState.controlWindow, nullptr, FALSE); }));
        PumpMessages(0);
    }
    const std::string prefix = std::string("poll, player ") + label;
    PrintFigure(prefix + ", host's FileExists (median)", Printed("%.1f us", Median(fileExists)));
    PrintFigure(prefix + ", InvalidateRect (median)", Printed("%.1f us", Median(invalidate)));
}

// Polls that find no stored path and learn it.
void MeasureLearningPath() {
    std::vector<double> polls;
    for (int i = 0; i < kPolls / 10; ++i) {
        PublishPlayerPath("");
        polls.push_back(TimePoll());
        PumpMessages(0);
    }
    PrintFigure("poll, player playing, learning the player's path (median)", Printed("%.1f us", Median(polls)));
}

bool Measure(const char* label, PlayerSimState state) {
    PlayerSimOptions options;
    options.state = state;
    options.playlist = {{"Bench Artist - Bench Title", 3600}};
    PlayerSimProcess sim = StartPlayerSim(options);
    if (!sim.window) {
        std::printf("%s: the player did not start: %s\n", label, sim.failure.c_str());
        return false;
    }
    PublishPlayerPath(PlayerSimExePath().c_str());

    // First what a poll sends, one poll between two markers in the log.
    findWindowCalls = 0;
    SendPlayerSimControl(sim.window, kPollMarker);
    for (int i = 0; i < kPolls; ++i) {
        PollPlayer(nullptr, 0, 0, 0);
        SendPlayerSimControl(sim.window, kPollMarker);
        PumpMessages(0);
    }
    const double lookupsPerPoll = static_cast<double>(findWindowCalls) / kPolls;

    // Then what it costs, polls and raw messages taking turns.
    const std::vector<Query> queries = PollQueries(state);
    std::vector<double> polls, raws;
    for (int i = 0; i < kPolls; ++i) {
        polls.push_back(TimePoll());
        const LARGE_INTEGER start = PerformanceNow();
        RawMessages(queries);
        raws.push_back(MicrosecondsBetween(start, PerformanceNow()));
        PumpMessages(0);
    }
    MeasureTheRest(label);
    if (state == PlayerSimState::Playing) MeasureLearningPath();
    StopPlayerSim(&sim);

    const std::vector<double> messages = MessagesPerPoll(sim.logPath);
    if (messages.size() != kPolls) {
        std::printf("%s: the log shows %zu polls, not %d\n", label, messages.size(), kPolls);
        return false;
    }
    const double poll = Median(polls), raw = Median(raws);
    std::printf("%-8s polls %d | PollPlayer us: median %.1f p99 %.1f max %.1f | raw %zu messages + FindWindowA us:"
                " median %.1f p99 %.1f | messages/poll: median %.0f max %.0f | FindWindowA/poll %.2f | status %d\n",
                label, kPolls, poll, Percentile(polls, 99), Percentile(polls, 100), queries.size(), raw,
                Percentile(raws, 99), Median(messages), Percentile(messages, 100), lookupsPerPoll,
                pluginState.playerStatus);
    const std::string prefix = std::string("poll, player ") + label;
    PrintFigure(prefix + " / its raw messages (median)", Printed("%.2fx", poll / raw),
                Printed("<= %.1fx", kBoundRatio), poll <= kBoundRatio * raw);
    PrintFigure(prefix + " (median)", Printed("%.1f us", poll));
    PrintFigure(prefix + ", raw messages (median)", Printed("%.1f us", raw));
    PrintFigure(prefix + ", messages per poll (max)", Printed("%.0f", Percentile(messages, 100)));
    return true;
}

}  // namespace

int main() {
    pluginState.controlWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 55, 46, nullptr, nullptr,
                                                GetModuleHandleA(nullptr), nullptr);
    ScopedImportPatch findWindow(GetModuleHandleA(nullptr), "user32.dll", "FindWindowA",
                                 reinterpret_cast<void*>(&CountingFindWindowA));
    realFindWindowA = reinterpret_cast<HWND(WINAPI*)(LPCSTR, LPCSTR)>(findWindow.original());
    if (!findWindow.active()) {
        std::printf("cannot watch FindWindowA\n");
        return 1;
    }
    const bool ok = Measure("playing", PlayerSimState::Playing) && Measure("stopped", PlayerSimState::Stopped);
    DestroyWindow(pluginState.controlWindow);
    return ok ? 0 : 1;
}
