// Finding the player's window, keeping its path, and the once-a-second poll
// that turns its answers into the control's status, position bar and
// blinking. The host's thread only finds the window and applies answers:
// the questions go to the player from a worker, so a slow or hung player
// never holds the taskbar. Each question is still bounded, so the worker
// is free again for the next poll and a stop.
#include "player/player_link.h"

#include "host/host_services.h"
#include "player/bounded_send.h"
#include "player/player_path.h"
#include "player/process_image.h"
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"
#include "settings/setting_keys.h"
#include "settings/settings.h"

#include <memory>
#include <optional>

int32_t songLengthSec = 0;
int32_t songPositionSec = 0;
int32_t positionPercent = 0;

namespace {

// What the player answered to one poll, in the order asked; the first
// question it did not answer in time, and every one after, stays empty.
struct PollAnswers {
    std::optional<int32_t> positionMs;  // for the standstill rule
    std::optional<int32_t> state;
    std::optional<int32_t> lengthSec;   // asked only while a track is loaded
    std::optional<int32_t> barPositionMs;
};

// The host's thread and the poll worker take turns with it: the host's
// thread names the player and signals `asked`; the worker writes the
// answers, then posts MSG_POLL_DONE. The worker owns it and frees it when
// it ends, which is only at the stop.
struct PollExchange {
    PollExchange() = default;
    PollExchange(const PollExchange&) = delete;
    PollExchange& operator=(const PollExchange&) = delete;
    ~PollExchange() {
        if (asked) CloseHandle(asked);
    }
    HANDLE asked = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWND player = nullptr;
    PollAnswers answers;
};

// The host's side of the poll worker; forgotten at every stop.
struct PollWorker {
    HANDLE thread = nullptr;
    PollExchange* exchange = nullptr;  // the worker's, alive while it runs
    bool out = false;                  // asked, and not answered yet
};
PollWorker pollWorker;

// Whether the player has answered a position other than 0 since its window
// was found. One that never does (some answer 0 and ignore the seek) would
// otherwise look paused at every poll, and Pause would only ever send Play.
bool positionReported = false;

// Poll worker.
PollAnswers AskPlayer(HWND player) {
    const auto ask = [player](WPARAM what, LPARAM query) {
        return SendToPlayerBounded(player, PLAYER_QUERY, what, query);
    };
    PollAnswers answers;
    if (!(answers.positionMs = ask(POSITION_MS, QUERY_POSITION_OR_LENGTH))) return answers;
    if (!(answers.state = ask(0, QUERY_PLAY_STATE))) return answers;
    const int32_t status = MapPlayStatus(*answers.state);
    if (status == PLAYER_STOPPED || status == PLAYER_NOT_RUNNING) return answers;
    if (!(answers.lengthSec = ask(LENGTH_SECONDS, QUERY_POSITION_OR_LENGTH))) return answers;
    answers.barPositionMs = ask(POSITION_MS, QUERY_POSITION_OR_LENGTH);
    return answers;
}

void RunPollWorker(const WorkerLink& link, void* raw) {
    const std::unique_ptr<PollExchange> exchange(static_cast<PollExchange*>(raw));
    while (WaitUnlessStopped(link, exchange->asked, INFINITE)) {
        exchange->answers = AskPlayer(exchange->player);
        PostToControl(link, MSG_POLL_DONE, GetCurrentThreadId(), 0);
    }
}

// Host's thread.
void InvalidateControl() { InvalidateRect(pluginState.controlWindow, nullptr, FALSE); }

// Until the host's context is copied at start there is no store to write
// to; the next poll learns the path again and writes it then.
bool HostStoreKnown() { return hostContext.configId != 0; }

// False when the player did not answer every question the poll needed;
// what was not answered keeps its last value.
bool ApplyStatus(const PollAnswers& answers) {
    PluginState& s = pluginState;
    if (!answers.positionMs || !answers.state) return false;
    if (*answers.positionMs != 0) positionReported = true;
    const StatusReading reading = ReadStatus(*answers.positionMs, *answers.state, s.lastPositionMs, positionReported);
    s.positionUnchanged = reading.positionUnchanged;
    s.lastPositionMs = reading.lastPositionMs;
    s.playerStatus = MapPlayStatus(reading.answer);
    if (s.playerStatus == PLAYER_STOPPED || s.playerStatus == PLAYER_NOT_RUNNING) {
        positionPercent = -1;
        return true;
    }
    if (!answers.lengthSec) return false;
    songLengthSec = *answers.lengthSec;
    if (!answers.barPositionMs) return false;
    songPositionSec = WholeSeconds(*answers.barPositionMs);
    // While the button is held the bar shows where the press points.
    if (!s.buttonDown) positionPercent = PositionPercent(*answers.barPositionMs, songLengthSec);
    return true;
}

void UpdateDrawnMirrors() {
    PluginState& s = pluginState;
    if (s.drawnPlayerStatus != s.playerStatus) {
        s.drawnPlayerStatus = s.playerStatus;
        InvalidateControl();
    }
    if (s.drawnButtonDown != s.buttonDown) {
        s.drawnButtonDown = s.buttonDown;
        InvalidateControl();
    }
}

void ApplyAnswers(const PollAnswers& answers) {
    const bool answered = ApplyStatus(answers);
    pluginState.blinkPhase = !pluginState.blinkPhase;
    InvalidateControl();
    // A player that just failed to answer is left alone until it answers
    // again; the hide itself is queued, never waited for.
    const HWND player = pluginState.playerWindow;
    if (answered && pluginState.hideOnMinimize && IsIconic(player)) ShowWindowAsync(player, SW_HIDE);
    UpdateDrawnMirrors();
}

void ShowNotRunning() {
    pluginState.buttonDown = false;
    pluginState.playerStatus = PLAYER_NOT_RUNNING;
    pluginState.blinkPhase = false;
    UpdateDrawnMirrors();
}

}  // namespace

bool FindPlayer() {
    const HWND player = FindWindowA(kPlayerWindowClass, nullptr);
    if (player != pluginState.playerWindow) positionReported = false;
    pluginState.playerWindow = player;
    if (player == nullptr) return false;

    char stored[kPlayerPathSize];
    CopyPlayerPath(stored, sizeof stored);
    if (FileExists(stored)) return true;

    char learned[kPlayerPathSize] = {};
    LearnPlayerPath(player, learned, sizeof learned);
    PublishPlayerPath(learned);
    if (HostStoreKnown() && FileExists(learned)) {
        WriteSetting(hostContext, kSettingsSection, kSettingKeys[SETTING_WINAMP_PATH].key, learned);
    }
    return true;
}

void StartPollWorker() {
    if (pollWorker.thread) return;
    auto exchange = std::make_unique<PollExchange>();
    if (exchange->asked == nullptr) return;
    pollWorker.thread = StartWorkerThread(RunPollWorker, exchange.get());
    if (pollWorker.thread) pollWorker.exchange = exchange.release();
}

void ForgetPollWorker() {
    if (pollWorker.thread) CloseHandle(pollWorker.thread);
    pollWorker = PollWorker{};
}

void CALLBACK PollPlayer(HWND, UINT, UINT_PTR, DWORD) {
    if (!FindPlayer()) {
        ShowNotRunning();
        return;
    }
    // A tick while a poll is out starts no second one: a slow player is
    // asked as often as it can answer.
    if (pollWorker.out) return;
    if (pollWorker.exchange == nullptr) {
        // Without a worker nothing can be asked: as a player that does not answer.
        ApplyAnswers(PollAnswers{});
        return;
    }
    pollWorker.exchange->player = pluginState.playerWindow;
    pollWorker.out = true;
    SetEvent(pollWorker.exchange->asked);
}

bool PollOut() { return pollWorker.out; }

void FinishPoll(WPARAM poster) {
    if (!pollWorker.out || pollWorker.thread == nullptr || GetThreadId(pollWorker.thread) != poster) return;
    pollWorker.out = false;
    // The player went, or another took its place, while it was asked: the
    // next tick asks the one there is now.
    if (pollWorker.exchange->player != pluginState.playerWindow) return;
    ApplyAnswers(pollWorker.exchange->answers);
}
