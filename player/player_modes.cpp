// Shuffle and repeat asked and set from workers for the context menu.
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

struct ModeChange {
    HWND player;
    LPARAM setting;
    bool on;
};

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

// Mode workers. The player is the parameter itself: nothing to free.
void AskModes(const WorkerLink& link, void* player) {
    const HWND window = static_cast<HWND>(player);
    PlayerModes modes = {ModeAnswer::Unanswered, ModeAnswer::Unanswered};
    // A player that let the first question run out is hung or gone: a
    // second would only keep the menu waiting as long again.
    if (const std::optional<ModeAnswer> shuffle = Ask(window, QUERY_SHUFFLE)) {
        modes.shuffle = *shuffle;
        modes.repeat = Ask(window, QUERY_REPEAT).value_or(ModeAnswer::Unanswered);
    }
    PostToControl(link, MSG_MODES_DONE, GetCurrentThreadId(), PackModes(modes));
}

void ChangeMode(const WorkerLink& link, void* raw) {
    const std::unique_ptr<ModeChange> change(static_cast<ModeChange*>(raw));
    // Sent, not posted: the next menu's questions are sent too, and a
    // player serves sent messages before posted ones, so a posted change
    // could be answered as not made yet. One the player cannot take in
    // time is dropped, and the next menu shows the mode unchanged.
    SendToPlayerBounded(change->player, PLAYER_QUERY, change->on ? 1 : 0, change->setting);
    PostToControl(link, MSG_MODES_DONE, GetCurrentThreadId(), 0);
}

}  // namespace

LPARAM PackModes(PlayerModes modes) {
    return static_cast<LPARAM>(modes.shuffle) | static_cast<LPARAM>(modes.repeat) << kRepeatShift;
}

PlayerModes UnpackModes(LPARAM packed) { return {AnswerFrom(packed), AnswerFrom(packed >> kRepeatShift)}; }

bool StartModeQuestions(WorkerSlot& slot, HWND player) { return slot.Start(AskModes, player); }

bool StartModeChange(WorkerSlot& slot, HWND player, LPARAM setting, bool on) {
    auto change = std::make_unique<ModeChange>(ModeChange{player, setting, on});
    if (!slot.Start(ChangeMode, change.get())) return false;
    change.release();  // the worker's
    return true;
}
