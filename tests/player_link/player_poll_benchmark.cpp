// What one status poll costs the host's thread, with the stand-in player
// playing and stopped: the poll's own time, the messages the player
// received and the window lookups, over 1,000 polls each. Run by hand from
// the bin folder under Wine; it is not a test.
#include "player/player_link.h"
#include "player/player_path.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_client.h"
#include "tests/support/iat_patch.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPolls = 1000;
// Logged by the player between polls, so its log splits into one poll each.
constexpr char kPollMarker[] = "delay 0";

int findWindowCalls = 0;
HWND(WINAPI* realFindWindowA)(LPCSTR, LPCSTR) = nullptr;

HWND WINAPI CountingFindWindowA(LPCSTR windowClass, LPCSTR title) {
    ++findWindowCalls;
    return realFindWindowA(windowClass, title);
}

struct Spread {
    double mean;
    double median;
    double p99;
    double max;
};

template <typename T>
Spread SpreadOf(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (T value : values) sum += value;
    const size_t n = values.size();
    return {sum / n, static_cast<double>(values[n / 2]), static_cast<double>(values[n * 99 / 100]),
            static_cast<double>(values.back())};
}

// Messages the player received in each poll, from the markers between them.
std::vector<int> MessagesPerPoll(const std::string& logPath) {
    std::vector<int> counts;
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

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> micros;
    micros.reserve(kPolls);
    findWindowCalls = 0;
    SendPlayerSimControl(sim.window, kPollMarker);
    for (int i = 0; i < kPolls; ++i) {
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        PollPlayer(nullptr, 0, 0, 0);
        QueryPerformanceCounter(&after);
        micros.push_back((after.QuadPart - before.QuadPart) * 1e6 / frequency.QuadPart);
        SendPlayerSimControl(sim.window, kPollMarker);
        PumpMessages(0);
    }
    StopPlayerSim(&sim);

    const std::vector<int> messages = MessagesPerPoll(sim.logPath);
    if (messages.size() != kPolls) {
        std::printf("%s: the log shows %zu polls, not %d\n", label, messages.size(), kPolls);
        return false;
    }
    const Spread time = SpreadOf(micros);
    const Spread sent = SpreadOf(messages);
    std::printf("%-8s polls %d | PollPlayer us: mean %.1f median %.1f p99 %.1f max %.1f"
                " | messages/poll: mean %.2f max %.0f | FindWindowA/poll %.2f | status %d\n",
                label, kPolls, time.mean, time.median, time.p99, time.max, sent.mean, sent.max,
                static_cast<double>(findWindowCalls) / kPolls, pluginState.playerStatus);
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
