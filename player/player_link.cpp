// Finding the player's window, keeping its path, and the once-a-second poll
// that turns its answers into the control's status, position bar and
// blinking. The host's thread only finds the window and applies answers:
// the questions go to the player from a worker, so a slow or hung player
// never holds the taskbar. Each question is still bounded, so the worker
// is free again for the next poll and a stop.
#include "player/player_link.h"

#include "host/host_services.h"
#include "player/bounded_send.h"
#include "player/control_repaint.h"
#include "player/playlist.h"
#include "player/process_image.h"
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "plugin/worker_exchange.h"
#include "plugin/worker_slot.h"
#include "settings/setting_keys.h"
#include "settings/settings.h"

#include <cstring>
#include <optional>

char playerPath[kPlayerPathSize] = {};
int32_t songLengthSec = 0;
int32_t songPositionSec = 0;
int32_t positionPercent = 0;
uint32_t songChangesNoticed = 0;

namespace {

const ForgottenAtStop songChangesForgotten([] { songChangesNoticed = 0; });

// What the player answered to one poll, in the order asked; the first
// question it did not answer in time, and every one after, stays empty.
struct PollAnswers {
    DWORD askedAt = 0;
    std::optional<int32_t> positionMs;  // for the standstill rule
    std::optional<int32_t> state;
    std::optional<int32_t> lengthSec;   // asked only while a track is loaded
    std::optional<int32_t> barPositionMs;
    std::optional<int32_t> entry;       // asked only while the player plays
};

// Where a poll stands. The host's thread and the worker move it on with
// interlocked exchanges, so that one of them at a time owns the answers.
enum PollStage : LONG {
    kPollIdle,     // nothing asked, or the answers were taken
    kPollForTick,  // a tick found no answers ready: the worker asks and posts
    kPollAhead,    // the worker asks ahead of the next tick, without a post
    kPollReady,    // answers wait for the host's thread
};

// The host's thread and the poll worker take turns with it. A tick that
// finds no answers names the player and signals `asked`; the worker asks
// and posts MSG_POLL_DONE. While the ticks come once a period, the worker
// also asks on its own shortly before each tick, and the tick takes those
// answers without a post: the post would wake the host's thread once more
// a second. That is why the poll is not a JobWorker, whose jobs come only
// from the host's thread and end only with a post; its done posts are told
// apart from stale ones as every worker's are, by its slot. Shared by the
// two: a worker that ends frees nothing the host's thread still reads.
struct PollExchange : SharedWithWorker {
    WakeEvent asked;
    HWND player = nullptr;   // written by the host's thread before it signals
    DWORD askAheadAt = 0;    // likewise; 0 when the ticks are not regular
    LONG stage = kPollIdle;
    PollAnswers answers;
    DWORD answeredAt = 0;
};

// Asked this long before the tick, so that even a player slow to answer
// has answered by then; answers older than kFreshMs at the tick are asked
// again.
constexpr DWORD kAskAheadMs = 150;
constexpr DWORD kFreshMs = 400;
// How far a tick may stray from the period and still count as regular.
constexpr DWORD kTickJitterMs = 100;

// The host's side of the poll worker; forgotten at every stop.
struct PollWorker {
    PollExchange* exchange = nullptr;  // the worker's, alive while it runs
    bool out = false;                  // asked for a tick, and not answered yet
    DWORD lastTick = 0;
    std::optional<SongReading> lastSong;  // the last poll that found the player playing
};
PollWorker pollWorker;
void ForgetPollWorker() {
    LetGo(pollWorker.exchange);
    pollWorker = PollWorker{};
}
WorkerSlot pollThread(L"Pelorin poll", ForgetPollWorker);

// Whether the player has answered a position other than 0 since its window
// was found. One that never does (some answer 0 and ignore the seek) would
// otherwise look paused at every poll, and Pause would only ever send Play.
bool positionReported = false;

// Poll worker. While the player plays, one question more tells the song
// apart when its caption does not (an untagged "01.mp3" of another album,
// a caption without the playlist number): the current entry (125). With
// the position, asked anyway, it covers every way the song changes. A new
// entry moves the index. A playlist replaced or edited so that another song
// plays starts that song from its beginning, which the position shows even
// at the same index. A playlist's length (124) that changes while the
// position runs on and the index stays has the same song playing (entries
// added or taken away after it): asking it would tell nothing more.
PollAnswers AskPlayer(HWND player) {
    const auto ask = [player](WPARAM what, LPARAM query) {
        return SendToPlayerBounded(player, PLAYER_QUERY, what, query);
    };
    PollAnswers answers;
    answers.askedAt = GetTickCount();
    if (!(answers.positionMs = ask(POSITION_MS, QUERY_POSITION_OR_LENGTH))) return answers;
    if (!(answers.state = ask(0, QUERY_PLAY_STATE))) return answers;
    const int32_t status = MapPlayStatus(*answers.state);
    if (status == PLAYER_STOPPED || status == PLAYER_NOT_RUNNING) return answers;
    if (!(answers.lengthSec = ask(LENGTH_SECONDS, QUERY_POSITION_OR_LENGTH))) return answers;
    if (!(answers.barPositionMs = ask(POSITION_MS, QUERY_POSITION_OR_LENGTH))) return answers;
    if (status == PLAYER_PLAYING) answers.entry = ask(0, QUERY_PLAYLIST_POSITION);
    return answers;
}

DWORD WaitUntilTick(DWORD at) {
    if (at == 0) return INFINITE;
    const LONG left = static_cast<LONG>(at - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

void AskForTicks(const WorkerLink& link, PollExchange* exchange) {
    DWORD askAheadAt = 0;
    for (;;) {
        const WaitEnd end = WaitInWorker(link, exchange->asked.Handle(), WaitUntilTick(askAheadAt));
        if (end == WaitEnd::Stopped) return;
        if (end == WaitEnd::Signalled) {
            askAheadAt = exchange->askAheadAt;
        } else {
            // The player has gone: no tick asks until one is found, and the
            // clock sleeps until that tick wakes it.
            if (!IsWindow(exchange->player)) {
                askAheadAt = 0;
                continue;
            }
            askAheadAt += POLL_PERIOD_MS;
            // Answers not taken yet, or a tick asking: nothing to ask ahead for.
            if (InterlockedCompareExchange(&exchange->stage, kPollAhead, kPollIdle) != kPollIdle) continue;
        }
        exchange->answers = AskPlayer(exchange->player);
        exchange->answeredAt = GetTickCount();
        // A tick that came while the worker asked ahead waits for a post.
        if (end == WaitEnd::TimedOut &&
            InterlockedCompareExchange(&exchange->stage, kPollReady, kPollAhead) == kPollAhead)
            continue;
        InterlockedExchange(&exchange->stage, kPollReady);
        PostToControl(link, MSG_POLL_DONE, GetCurrentThreadId(), 0);
    }
}

void RunPollWorker(const WorkerLink& link, void* raw) {
    auto* exchange = static_cast<PollExchange*>(raw);
    AskForTicks(link, exchange);
    LetGo(exchange);
}

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

// The title tip looks for the cover again when the count grows.
void NoticeSongChange(const PollAnswers& answers) {
    if (!answers.entry || !answers.positionMs) return;
    const SongReading now{*answers.entry, *answers.positionMs, answers.askedAt};
    if (pollWorker.lastSong && SongMayHaveChanged(*pollWorker.lastSong, now)) ++songChangesNoticed;
    pollWorker.lastSong = now;
}

void ApplyAnswers(const PollAnswers& answers) {
    const bool answered = ApplyStatus(answers);
    NoticeSongChange(answers);
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

void CopyPlayerPath(char* out, int size) {
    if (out == nullptr || size <= 0) return;
    lstrcpynA(out, playerPath, size);
}

void PublishPlayerPath(const char* path) {
    std::memset(playerPath, 0, sizeof playerPath);
    lstrcpynA(playerPath, path, sizeof playerPath - 1);
}

HWND PlayerWindowNow() { return FindWindowA(kPlayerWindowClass, nullptr); }

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

namespace {

// The answers the worker asked ahead, when they are there, for the player
// there is now and recent enough. Copied before they are let go: the
// worker may ask again as soon as they are.
std::optional<PollAnswers> TakeAnswersAhead(PollExchange& exchange, DWORD now) {
    if (InterlockedCompareExchange(&exchange.stage, kPollReady, kPollReady) != kPollReady) return std::nullopt;
    const bool usable = exchange.player == pluginState.playerWindow && now - exchange.answeredAt <= kFreshMs;
    const PollAnswers answers = exchange.answers;
    InterlockedExchange(&exchange.stage, kPollIdle);
    if (!usable) return std::nullopt;
    return answers;
}

}  // namespace

void StartPollWorker() {
    auto* exchange = new PollExchange;
    if (exchange->asked.Handle() == nullptr || !pollThread.Start(RunPollWorker, exchange)) {
        delete exchange;
        return;
    }
    pollWorker.exchange = exchange;
}

void CALLBACK PollPlayer(HWND, UINT, UINT_PTR, DWORD) {
    // A worker whose wait failed has ended; a tick it was asking for is lost
    // with it, and the next one asks a new worker.
    if (pollThread.Ended()) {
        pollThread.Release();
        ForgetPollWorker();
        StartPollWorker();
    }
    if (!FindPlayer()) {
        ShowNotRunning();
        return;
    }
    const DWORD now = GetTickCount();
    const DWORD sinceLast = now - pollWorker.lastTick;
    const bool regular = pollWorker.lastTick != 0 && sinceLast + kTickJitterMs >= POLL_PERIOD_MS &&
                         sinceLast <= POLL_PERIOD_MS + kTickJitterMs;
    pollWorker.lastTick = now;
    // A tick while a poll is out starts no second one: a slow player is
    // asked as often as it can answer.
    if (pollWorker.out) return;
    PollExchange* exchange = pollWorker.exchange;
    if (exchange == nullptr) {
        // Without a worker nothing can be asked: as a player that does not answer.
        ApplyAnswers(PollAnswers{});
        return;
    }
    if (const std::optional<PollAnswers> ahead = TakeAnswersAhead(*exchange, now)) {
        ApplyAnswers(*ahead);
        return;
    }
    // Asking ahead now: its answers come by post, for this tick.
    if (InterlockedCompareExchange(&exchange->stage, kPollForTick, kPollAhead) == kPollAhead) {
        pollWorker.out = true;
        return;
    }
    if (InterlockedCompareExchange(&exchange->stage, kPollForTick, kPollIdle) != kPollIdle) return;
    exchange->player = pluginState.playerWindow;
    exchange->askAheadAt = regular ? now + POLL_PERIOD_MS - kAskAheadMs : 0;
    pollWorker.out = true;
    exchange->asked.Wake();
}

void FinishPoll(WPARAM poster) {
    if (!pollWorker.out || !pollThread.Posted(poster)) return;
    pollWorker.out = false;
    PollExchange& exchange = *pollWorker.exchange;
    const PollAnswers answers = exchange.answers;
    const HWND asked = exchange.player;
    InterlockedExchange(&exchange.stage, kPollIdle);
    // The player went, or another took its place, while it was asked: the
    // next tick asks the one there is now.
    if (asked != pluginState.playerWindow) return;
    ApplyAnswers(answers);
}
