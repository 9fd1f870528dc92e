// The drop worker: it waits until the player answers, then hands it the
// files by message, added to its playlist or in the playlist's place, as
// the player's state as the control shows it and Shift decide. No second
// instance of the player is ever started for a file, so players that
// ignore their command line get the files too.
#include "player/drop_job.h"

#include "player/bounded_send.h"
#include "player/drop_plan.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"

#include <algorithm>
#include <optional>

namespace {

// Between questions to a player that does not answer yet.
constexpr DWORD kAnswerStepMs = 100;
// Each message of a hand-over may take what is left of the start limit,
// but never less than this.
constexpr DWORD kShortestSendMs = 500;
// Once the clear is out, the playlist may be gone or about to go, and the
// files must follow it even into a player slow to answer: each message may
// take this long at least.
constexpr DWORD kShortestSendAfterClearMs = 10000;

bool TimeUp(DWORD began) { return GetTickCount() - began >= launchTiming.startLimitMs; }

DWORD TimeLeft(DWORD began, DWORD atLeast) {
    const DWORD elapsed = GetTickCount() - began;
    const DWORD left = elapsed >= launchTiming.startLimitMs ? 0 : launchTiming.startLimitMs - elapsed;
    return std::max(left, atLeast);
}

struct AnsweringPlayer {
    HWND window;
    int32_t state;  // its answer to the play-state question
};

enum class Wait { Answered, NoPlayer, Stopped };

// The player once its window exists and it answers. NoPlayer when there is
// no player and none on its way, or when none answered within the start
// limit: a start held in the system (a security prompt, a slow network
// drive) must not hold the drop, and the control's input, for ever.
Wait WaitForAnsweringPlayer(const WorkerLink& link, const DropJob& job, AnsweringPlayer* player) {
    for (;;) {
        if (const HWND window = PlayerWindowNow()) {
            if (const std::optional<int32_t> state = SendToPlayerBounded(window, PLAYER_QUERY, 0, QUERY_PLAY_STATE)) {
                *player = AnsweringPlayer{window, *state};
                return Wait::Answered;
            }
        } else if (!job.launch || WaitForSingleObject(job.launch.get(), 0) == WAIT_OBJECT_0) {
            // A launch ends once its player's window exists, once the player
            // has gone, or at its own limit.
            return Wait::NoPlayer;
        }
        if (TimeUp(job.began)) return Wait::NoPlayer;
        if (StopRequestedWithin(link, kAnswerStepMs)) return Wait::Stopped;
    }
}

std::wstring ShortNameOf(const std::wstring& name) {
    const DWORD size = GetShortPathNameW(name.c_str(), nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring shortName(size, L'\0');
    shortName.resize(GetShortPathNameW(name.c_str(), shortName.data(), size));
    return shortName;
}

// A name in the system's own code page, which may be UTF-8.
NameForPlayer NameFor(const std::wstring& name, bool unicodeWindow) {
    const UINT codePage = GetACP();
    NameForPlayer chosen = ChooseNameForPlayer(name, codePage, unicodeWindow, std::wstring_view());
    // Only a file that has no other form asks the file system for its short name.
    if (chosen.form == NameForPlayer::None)
        chosen = ChooseNameForPlayer(name, codePage, unicodeWindow, ShortNameOf(name));
    return chosen;
}

// How long each message of one hand-over may wait for the player.
struct SendBound {
    DWORD began;
    bool cleared;  // the playlist's clear has gone out
};

// A message that did not get through in time (the player went, or hangs
// past it) was not handed over. What the player answers is no verdict:
// players differ in it. Unlike the poll's questions (bounded_send.h), which
// give up at once on a player that looks hung and are asked again a second
// later, a file has no second chance: a player just started, or busy
// loading what it was given, may look hung and still take it in time.
bool SendBefore(const SendBound& bound, HWND player, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    const DWORD waitMs = TimeLeft(bound.began, bound.cleared ? kShortestSendAfterClearMs : kShortestSendMs);
    return SendMessageTimeoutA(player, message, wParam, lParam, SMTO_NORMAL, waitMs, &answer) != 0;
}

// The control stands as the sender, as WM_COPYDATA asks.
bool SendFile(const WorkerLink& link, const SendBound& bound, HWND player, const NameForPlayer& name) {
    COPYDATASTRUCT data = {};
    if (name.form == NameForPlayer::Wide) {
        data.dwData = COPY_APPEND_FILE_WIDE;
        data.cbData = static_cast<DWORD>((name.wide.size() + 1) * sizeof(wchar_t));
        data.lpData = const_cast<wchar_t*>(name.wide.c_str());
    } else {
        data.dwData = COPY_APPEND_FILE;
        data.cbData = static_cast<DWORD>(name.ansi.size() + 1);
        data.lpData = const_cast<char*>(name.ansi.c_str());
    }
    return SendBefore(bound, player, WM_COPYDATA, reinterpret_cast<WPARAM>(link.control),
                      reinterpret_cast<LPARAM>(&data));
}

// A dropped name in the form the player's window takes, with its place
// among the dropped.
struct SendableName {
    NameForPlayer name;
    size_t dropped;
};

// What a hand-over that was not stopped leaves for the host's thread; once
// stopped it is nobody's.
struct HandOverEnd {
    DroppedNames notTaken;
    bool played = false;
};

void NotTakenFrom(const DropJob& job, const std::vector<SendableName>& sendable, size_t first, HandOverEnd* end) {
    for (size_t i = first; i < sendable.size(); ++i) end->notTaken.push_back(job.names[sendable[i].dropped]);
}

HandOverEnd HandOver(const WorkerLink& link, const DropJob& job) {
    HandOverEnd end;
    AnsweringPlayer player = {};
    const Wait wait = WaitForAnsweringPlayer(link, job, &player);
    if (wait != Wait::Answered) {
        if (wait == Wait::NoPlayer) end.notTaken = job.names;
        return end;
    }
    const bool unicodeWindow = IsWindowUnicode(player.window) != FALSE;
    std::vector<SendableName> sendable;
    for (size_t i = 0; i < job.names.size(); ++i) {
        NameForPlayer name = NameFor(job.names[i], unicodeWindow);
        if (name.form == NameForPlayer::None)
            end.notTaken.push_back(job.names[i]);
        else
            sendable.push_back({std::move(name), i});
    }
    const int32_t shown = MapPlayStatus(StateShown(player.state, job.standstill));
    const bool append = DropAppends(shown, job.shiftHeld);
    SendBound bound = {job.began, false};
    for (const HandOverStep& step : HandOverSteps(sendable.size(), append)) {
        // A stop cancels the files still waiting, but never once the
        // playlist they replace may be gone: an emptied playlist would be
        // all the user had left.
        if (!bound.cleared && StopRequestedWithin(link, 0)) return end;
        if (step.kind == HandOverStep::Ipc) {
            const bool sent = SendBefore(bound, player.window, PLAYER_IPC, step.argument, step.ipc);
            // A clear the player did not answer in time may still be carried
            // out, late: the files go all the same. At worst they join the
            // playlist they were to replace, which stays the user's.
            if (step.ipc == IPC_CLEAR_PLAYLIST) bound.cleared = true;
            if (step.ipc == IPC_PLAY_CURRENT) end.played = sent;
            continue;
        }
        if (!SendFile(link, bound, player.window, sendable[step.file].name)) {
            NotTakenFrom(job, sendable, step.file, &end);
            break;
        }
    }
    return end;
}

}  // namespace

LPARAM PassDroppedFiles(const WorkerLink& link, DropJob& job) {
    HandOverEnd end = HandOver(link, job);
    job.launch.reset();
    job.notTaken = std::move(end.notTaken);
    job.played = end.played;
    return 0;
}
