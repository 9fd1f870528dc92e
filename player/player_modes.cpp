// Shuffle and repeat asked and set for the context menu by its worker,
// which lives from its first menu to the stop.
#include "player/player_modes.h"

#include "player/bounded_send.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "plugin/workers.h"

#include <memory>
#include <optional>

namespace {

constexpr int kRepeatShift = 2;
constexpr LPARAM kAnswerMask = 3;

// One job of the menu's worker: the two questions, or one setting.
struct ModesJob {
    HWND player;
    LPARAM setting;  // 0: ask; SET_SHUFFLE or SET_REPEAT: set it to `on`
    bool on;
};

// The host's thread and the menu's worker take turns with it, as with the
// command worker: the host's thread writes the job and signals `asked`;
// the worker carries it out and posts MSG_MODES_DONE, and only then may
// the next job be written. The worker owns it and frees it at the stop.
struct ModesExchange {
    ModesExchange() = default;
    ModesExchange(const ModesExchange&) = delete;
    ModesExchange& operator=(const ModesExchange&) = delete;
    ~ModesExchange() {
        if (asked) CloseHandle(asked);
    }
    HANDLE asked = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ModesJob job = {};
};

ModesExchange* modesExchange = nullptr;  // the worker's, alive while it runs
WorkerSlot modesWorker(L"Pelorin menu", [] {
    modesExchange = nullptr;
    pluginState.modesThread = nullptr;
    pluginState.menuWanted = false;
});

std::optional<ModeAnswer> Ask(HWND player, LPARAM question) {
    const std::optional<int32_t> answer = SendToPlayerBounded(player, PLAYER_QUERY, 0, question);
    if (!answer) return std::nullopt;
    return *answer != 0 ? ModeAnswer::On : ModeAnswer::Off;
}

ModeAnswer AnswerFrom(LPARAM bits) {
    switch (bits & kAnswerMask) {
    case static_cast<LPARAM>(ModeAnswer::Off):
        return ModeAnswer::Off;
    case static_cast<LPARAM>(ModeAnswer::On):
        return ModeAnswer::On;
    default:
        return ModeAnswer::Unanswered;
    }
}

// A player that let the first question run out is hung or gone: a second
// would only keep the menu waiting as long again.
LPARAM AskModes(HWND player) {
    PlayerModes modes = {ModeAnswer::Unanswered, ModeAnswer::Unanswered};
    if (const std::optional<ModeAnswer> shuffle = Ask(player, QUERY_SHUFFLE)) {
        modes.shuffle = *shuffle;
        modes.repeat = Ask(player, QUERY_REPEAT).value_or(ModeAnswer::Unanswered);
    }
    return PackModes(modes);
}

void RunModesWorker(const WorkerLink& link, void* raw) {
    const std::unique_ptr<ModesExchange> exchange(static_cast<ModesExchange*>(raw));
    while (WaitInWorker(link, exchange->asked, INFINITE) == WaitEnd::Signalled) {
        const ModesJob& job = exchange->job;
        LPARAM answers = 0;
        if (job.setting == 0) {
            answers = AskModes(job.player);
        } else {
            // Sent, not posted: the next menu's questions are sent too, and
            // a player serves sent messages before posted ones, so a posted
            // change could be answered as not made yet. One the player
            // cannot take in time is dropped, and the next menu shows the
            // mode unchanged.
            SendToPlayerBounded(job.player, PLAYER_QUERY, job.on ? 1 : 0, job.setting);
        }
        PostToControl(link, MSG_MODES_DONE, GetCurrentThreadId(), answers);
    }
}

bool HandToModesWorker(const ModesJob& job) {
    if (pluginState.modesThread != nullptr) return false;
    if (modesExchange == nullptr) {
        auto exchange = std::make_unique<ModesExchange>();
        if (exchange->asked == nullptr || !modesWorker.Start(RunModesWorker, exchange.get())) return false;
        modesExchange = exchange.release();  // and the worker's
    }
    modesExchange->job = job;
    pluginState.modesThread = modesWorker.Thread();
    SetEvent(modesExchange->asked);
    return true;
}

}  // namespace

LPARAM PackModes(PlayerModes modes) {
    return static_cast<LPARAM>(modes.shuffle) | static_cast<LPARAM>(modes.repeat) << kRepeatShift;
}

PlayerModes UnpackModes(LPARAM packed) { return {AnswerFrom(packed), AnswerFrom(packed >> kRepeatShift)}; }

bool StartModeQuestions(HWND player) { return HandToModesWorker({player, 0, false}); }

bool StartModeChange(HWND player, LPARAM setting, bool on) { return HandToModesWorker({player, setting, on}); }

bool FinishModesJob(WPARAM poster) {
    if (pluginState.modesThread == nullptr || GetThreadId(pluginState.modesThread) != poster) return false;
    // The handle is the worker's slot's: the worker lives on for the next menu.
    pluginState.modesThread = nullptr;
    return true;
}
