// Files dropped on the control. The host's thread only copies the names out
// of the drop (in UTF-16, whatever their script), releases it, notes Shift
// and starts the player when it is not running. A drop worker then waits
// until the player answers and hands it the files by message, one after
// another in drop order: added to its playlist, or in the playlist's place,
// as the player's state at that moment and Shift decide. No second
// instance of the player is ever started for a file, so players that
// ignore their command line get the files too. A drop that arrives
// meanwhile waits behind the running one, and dropBusy keeps the control's
// own input and the command thread out until the last has ended. Files the
// player could not be given are named to the user once the drop has ended.
#include "player/launch.h"

#include "player/bounded_send.h"
#include "player/drop_plan.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "player/player_start.h"
#include "player/status_logic.h"
#include "plugin/descriptor.h"
#include "plugin/state/language.h"
#include "plugin/state/plugin_state.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr UINT kFileCountQuery = 0xFFFFFFFF;
// Between questions to a player that does not answer yet.
constexpr DWORD kAnswerStepMs = 100;
// Each message of a hand-over may take what is left of the start limit,
// but never less than this.
constexpr DWORD kShortestSendMs = 500;
// The most names one report lists; the rest are counted.
constexpr size_t kNamesReported = 10;
constexpr UINT kRussianCodePage = 1251;
constexpr LocalText kFilesNotTakenText = {
    "The player did not get these files:",
    "\xCF\xF0\xEE\xE8\xE3\xF0\xFB\xE2\xE0\xF2\xE5\xEB\xFC \xED\xE5 \xEF\xEE\xEB\xF3\xF7\xE8\xEB \xFD\xF2\xE8 "
    "\xF4\xE0\xE9\xEB\xFB:",  // Проигрыватель не получил эти файлы:
};

using Names = std::vector<std::wstring>;

// What one drop hands over: the names in order, and Shift as it was.
struct DroppedFiles {
    Names names;
    bool shiftHeld = false;
};

// Held by the host's thread and by the drop worker: the worker fills
// notTaken before it posts MSG_DROP_DONE, and the host's thread reads it
// on that message. Whichever lets go last frees it, so a worker that
// outlived a stop keeps it alone. (Counted by hand: the standard shared
// pointer would bring the threads library into the plug-in.)
struct DropJob {
    DropJob() = default;
    DropJob(const DropJob&) = delete;
    DropJob& operator=(const DropJob&) = delete;
    ~DropJob() {
        if (launch) CloseHandle(launch);
    }
    LONG holders = 2;
    DroppedFiles files;
    HANDLE launch = nullptr;  // the launch under way when the drop began
    Names notTaken;
};

void LetGo(DropJob* job) {
    if (job && InterlockedDecrement(&job->holders) == 0) delete job;
}

// The host's side; forgotten at every stop.
struct Drops {
    HANDLE thread = nullptr;
    DropJob* job = nullptr;
    std::deque<DroppedFiles> queued;
};
Drops drops;

bool ShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

// Each name at its full length and in its own script: the player, not a
// buffer or a code page of ours, decides what it can open.
Names ReadDroppedNames(HDROP drop) {
    const UINT count = DragQueryFileW(drop, kFileCountQuery, nullptr, 0);
    Names names;
    names.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring name(length + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), length + 1));
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

HANDLE DuplicateForWorker(HANDLE thread) {
    HANDLE copy = nullptr;
    if (thread) DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

// Drop worker.

bool TimeUp(DWORD started) { return GetTickCount() - started >= launchTiming.startLimitMs; }

DWORD TimeLeft(DWORD started) {
    const DWORD elapsed = GetTickCount() - started;
    const DWORD left = elapsed >= launchTiming.startLimitMs ? 0 : launchTiming.startLimitMs - elapsed;
    return std::max(left, kShortestSendMs);
}

struct AnsweringPlayer {
    HWND window;
    int32_t state;  // its answer to the play-state question
};

// The player once its window exists and it answers. Nothing when there is
// no player and none on its way, when it does not answer within the start
// limit from when its window was first seen (*started), or when the
// plug-in stops (then *stopped).
std::optional<AnsweringPlayer> WaitForAnsweringPlayer(const WorkerLink& link, const DropJob& job, DWORD* started,
                                                      bool* stopped) {
    bool windowSeen = false;
    for (;;) {
        if (const HWND window = PlayerWindowNow()) {
            if (!windowSeen) *started = GetTickCount();
            windowSeen = true;
            if (const std::optional<int32_t> state = SendToPlayerBounded(window, PLAYER_QUERY, 0, QUERY_PLAY_STATE))
                return AnsweringPlayer{window, *state};
            if (TimeUp(*started)) return std::nullopt;
        } else if (job.launch == nullptr || WaitForSingleObject(job.launch, 0) == WAIT_OBJECT_0) {
            // A launch ends once its player's window exists, once the player
            // has gone, or at its own limit.
            return std::nullopt;
        }
        if (StopRequestedWithin(link, kAnswerStepMs)) {
            *stopped = true;
            return std::nullopt;
        }
    }
}

std::wstring ShortNameOf(const std::wstring& name) {
    const DWORD size = GetShortPathNameW(name.c_str(), nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring shortName(size, L'\0');
    shortName.resize(GetShortPathNameW(name.c_str(), shortName.data(), size));
    return shortName;
}

NameForPlayer NameFor(const std::wstring& name, bool unicodeWindow) {
    NameForPlayer chosen = ChooseNameForPlayer(name, CP_ACP, unicodeWindow, std::wstring_view());
    // Only a file that has no other form asks the file system for its short name.
    if (chosen.form == NameForPlayer::None) chosen = ChooseNameForPlayer(name, CP_ACP, unicodeWindow, ShortNameOf(name));
    return chosen;
}

// A message that did not get through before the start limit (the player
// went, or hangs past it) was not handed over. What the player answers is
// no verdict: players differ in it.
bool SendBefore(DWORD started, HWND player, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(player, message, wParam, lParam, SMTO_NORMAL, TimeLeft(started), &answer) != 0;
}

// The control stands as the sender, as WM_COPYDATA asks.
bool SendFile(const WorkerLink& link, DWORD started, HWND player, const NameForPlayer& name) {
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
    return SendBefore(started, player, WM_COPYDATA, reinterpret_cast<WPARAM>(link.control),
                      reinterpret_cast<LPARAM>(&data));
}

// False when the plug-in stopped; job.notTaken then holds nothing.
bool HandOver(const WorkerLink& link, DropJob& job) {
    DWORD started = GetTickCount();
    const Names& names = job.files.names;
    bool stopped = false;
    const std::optional<AnsweringPlayer> player = WaitForAnsweringPlayer(link, job, &started, &stopped);
    if (stopped) return false;
    if (!player) {
        job.notTaken = names;
        return true;
    }
    const bool unicodeWindow = IsWindowUnicode(player->window) != FALSE;
    std::vector<NameForPlayer> sendable;
    std::vector<size_t> sentFrom;  // each sendable name's place among the dropped
    for (size_t i = 0; i < names.size(); ++i) {
        NameForPlayer name = NameFor(names[i], unicodeWindow);
        if (name.form == NameForPlayer::None) {
            job.notTaken.push_back(names[i]);
            continue;
        }
        sendable.push_back(std::move(name));
        sentFrom.push_back(i);
    }
    const bool append = DropAppends(MapPlayStatus(player->state), job.files.shiftHeld);
    for (const HandOverStep& step : HandOverSteps(sendable.size(), append)) {
        // A stop while files wait cancels them.
        if (StopRequestedWithin(link, 0)) return false;
        if (step.kind == HandOverStep::Ipc) {
            const bool sent = SendBefore(started, player->window, PLAYER_IPC, step.argument, step.ipc);
            // Without the clear no file may go: it would join what it was to replace.
            if (!sent && step.ipc == IPC_CLEAR_PLAYLIST) {
                for (size_t from : sentFrom) job.notTaken.push_back(names[from]);
                break;
            }
            continue;
        }
        if (!SendFile(link, started, player->window, sendable[step.file])) {
            for (size_t i = step.file; i < sendable.size(); ++i) job.notTaken.push_back(names[sentFrom[i]]);
            break;
        }
    }
    return true;
}


// Host's thread.

void BeginDrop(DroppedFiles files) {
    pluginState.dropBusy = true;
    if (!FindPlayer()) StartLaunch();
    auto job = std::make_unique<DropJob>();
    job->files = std::move(files);
    job->launch = DuplicateForWorker(pluginState.launchThread);
    drops.thread = StartWorkerThread(PassDroppedFiles, job.get());
    if (drops.thread) {
        drops.job = job.release();  // and the worker's
    } else {
        pluginState.dropBusy = false;
    }
}

std::wstring Widened(const char* text) {
    // The Russian texts are code page 1251; the English ones are ASCII.
    const int size = MultiByteToWideChar(kRussianCodePage, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 1)), L'\0');
    MultiByteToWideChar(kRussianCodePage, 0, text, -1, wide.data(), size);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// One box for the drop, naming each file once, in its own script.
void ReportFilesNotTaken(const Names& names) {
    std::wstring text = Widened(TextIn(uiLanguage, kFilesNotTakenText));
    for (size_t i = 0; i < names.size() && i < kNamesReported; ++i) text += L"\r" + names[i];
    if (names.size() > kNamesReported) {
        // Digits are the same in both character sets; the wide formatter
        // would bring a printf of its own into the plug-in.
        const std::string more = std::to_string(names.size() - kNamesReported);
        text += L"\r... (+";
        text.append(more.begin(), more.end());
        text += L")";
    }
    MessageBoxW(nullptr, text.c_str(), Widened(kPluginName).c_str(), MB_ICONERROR | MB_TOPMOST);
}

}  // namespace

void PassDroppedFiles(const WorkerLink& link, void* parameter) {
    DropJob* job = static_cast<DropJob*>(parameter);
    if (HandOver(link, *job)) PostToControl(link, MSG_DROP_DONE, GetCurrentThreadId(), 0);
    LetGo(job);
}

void AcceptDroppedFiles(HDROP drop) {
    DroppedFiles files{ReadDroppedNames(drop), ShiftHeld()};
    // The drag source may wait for this; nothing of the drop is needed after.
    DragFinish(drop);
    if (drops.thread) {
        drops.queued.push_back(std::move(files));
        return;
    }
    BeginDrop(std::move(files));
}

void FinishDrop(WPARAM poster) {
    if (drops.thread == nullptr || GetThreadId(drops.thread) != poster) return;
    const Names notTaken = std::move(drops.job->notTaken);
    CloseHandle(drops.thread);
    drops.thread = nullptr;
    LetGo(drops.job);
    drops.job = nullptr;
    // The next drop goes on while the user reads about this one.
    if (drops.queued.empty()) {
        pluginState.dropBusy = false;
    } else {
        DroppedFiles next = std::move(drops.queued.front());
        drops.queued.pop_front();
        BeginDrop(std::move(next));
    }
    if (!notTaken.empty()) ReportFilesNotTaken(notTaken);
}

void ForgetDrops() {
    if (drops.thread) CloseHandle(drops.thread);
    LetGo(drops.job);
    drops = Drops{};
    pluginState.dropBusy = false;
}
