// Shuffle and repeat asked and set for the context menu by its worker,
// which lives from its first menu to the stop.
#include "player/player_modes.h"

#include "player/bounded_send.h"
#include "player/player_link.h"
#include "player/playlist.h"
#include "player/known_player.h"
#include "plugin/job_worker.h"
#include "plugin/state/plugin_state.h"

#include <optional>

namespace {

constexpr int kRepeatShift = 2;
constexpr LPARAM kAnswerMask = 3;

// One job of the menu's worker: the questions, or one setting. The
// playlist's answers come back in the job: they do not fit a message.
struct ModesJob {
    HWND player;
    LPARAM setting;  // 0: ask; SET_SHUFFLE or SET_REPEAT: set it to `on`
    bool on;
    bool askWide;  // titles are asked in UTF-16 first
    PointerAnswers pointers;  // as known on the host's thread, learnt here when not
    PlaylistPart playlist;
};

std::optional<ModeAnswer> Ask(HWND player, LPARAM question, DWORD deadline) {
    const std::optional<int32_t> answer = SendToPlayerBy(player, PLAYER_QUERY, 0, question, deadline);
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
LPARAM AskModes(HWND player, DWORD deadline) {
    PlayerModes modes = {ModeAnswer::Unanswered, ModeAnswer::Unanswered};
    if (const std::optional<ModeAnswer> shuffle = Ask(player, QUERY_SHUFFLE, deadline)) {
        modes.shuffle = *shuffle;
        modes.repeat = Ask(player, QUERY_REPEAT, deadline).value_or(ModeAnswer::Unanswered);
    }
    return PackModes(modes);
}

// Worker thread: the answers packed, or 0 after a setting.
LPARAM CarryOut(const WorkerLink&, ModesJob& job) {
    if (job.setting == 0) {
        // One bound for all of the menu's questions: the menu waits for
        // the last answer, so a slow player costs it one bound, not three.
        const DWORD deadline = GetTickCount() + kMenuQuestionsBoundMs;
        const LPARAM modes = AskModes(job.player, deadline);
        // Unanswered, the player is hung or gone: the playlist is not asked.
        if (UnpackModes(modes).shuffle == ModeAnswer::Unanswered) return modes;
        if (job.pointers == PointerAnswers::Unknown) job.pointers = LearnPointerAnswers(job.player);
        // A bitness that could not be learnt (an elevated player, a failed
        // question) may be 64: no address is asked of it this time.
        if (job.pointers == PointerAnswers::Readable) job.playlist = AskPlaylist(job.player, job.askWide, deadline);
        return modes;
    }
    // Sent, not posted: the next menu's questions are sent too, and a player
    // serves sent messages before posted ones, so a posted change could be
    // answered as not made yet. One the player cannot take in time is
    // dropped, and the next menu shows the mode unchanged.
    SendToPlayerBounded(job.player, PLAYER_QUERY, job.on ? 1 : 0, job.setting);
    return 0;
}

JobWorker<ModesJob> modesWorker(L"Pelorin menu", MSG_MODES_DONE, CarryOut);

}  // namespace

LPARAM PackModes(PlayerModes modes) {
    return static_cast<LPARAM>(modes.shuffle) | static_cast<LPARAM>(modes.repeat) << kRepeatShift;
}

PlayerModes UnpackModes(LPARAM packed) { return {AnswerFrom(packed), AnswerFrom(packed >> kRepeatShift)}; }

bool ModesWorkerBusy() { return modesWorker.Busy(); }

bool StartModeQuestions(HWND player) {
    // A player does not learn UTF-16 titles while it runs: one found to
    // know none is asked in the code page alone, a round trip fewer a title.
    const PlayerFacts known = KnownFacts(player);
    return modesWorker.Hand({player, 0, false, !known.narrowTitles, known.pointers, {}});
}

bool StartModeChange(HWND player, LPARAM setting, bool on) {
    return modesWorker.Hand({player, setting, on, false, PointerAnswers::Unknown, {}});
}

const PlaylistPart* FinishModesJob(WPARAM poster) {
    const ModesJob* job = modesWorker.Finish(poster);
    if (job == nullptr) return nullptr;
    if (job->playlist.narrowTitles) RememberNarrowTitles(job->player);
    RememberPointerAnswers(job->player, job->pointers);
    return &job->playlist;
}
