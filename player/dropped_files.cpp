// Files dropped on the control, the host's side: the queue of drops, their
// worker, which lives from the first drop to the stop and is woken for each,
// and the report of what the player did not get.
#include "player/dropped_files.h"

#include "player/commands.h"
#include "player/drop_job.h"
#include "player/launch.h"
#include "player/player_link.h"
#include "plugin/descriptor.h"
#include "plugin/error_box.h"
#include "plugin/job_worker.h"
#include "plugin/state/language.h"
#include "plugin/state/plugin_state.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <string>

namespace {

constexpr UINT kFileCountQuery = 0xFFFFFFFF;
// The most names one report lists; the rest are counted.
constexpr size_t kNamesReported = 10;
constexpr UINT kRussianCodePage = 1251;
constexpr LocalText kFilesNotTakenText = {
    "The player did not get these files:",
    "\xCF\xF0\xEE\xE8\xE3\xF0\xFB\xE2\xE0\xF2\xE5\xEB\xFC \xED\xE5 \xEF\xEE\xEB\xF3\xF7\xE8\xEB \xFD\xF2\xE8 "
    "\xF4\xE0\xE9\xEB\xFB:",  // Проигрыватель не получил эти файлы:
};

// What one drop hands over: the names in order, Shift as it was, and when
// it came, which every wait for it counts from.
struct DroppedFiles {
    DroppedNames names;
    bool shiftHeld = false;
    DWORD arrived = 0;
    // The start under way as it came, which serves it and every drop that
    // came meanwhile; none when the player ran then.
    std::unique_ptr<void, HandleCloser> launch;
};

// The drops behind the one the worker hands over; forgotten at every stop.
std::deque<DroppedFiles> queuedDrops;

void ForgetDrops() {
    queuedDrops.clear();
    pluginState.dropBusy = false;
}
void ReportFilesNotTaken(const DroppedNames& names);
// Not one of its files was handed over: the worker ends only between jobs.
void ReportLostDrop(DropJob& job) { ReportFilesNotTaken(job.names); }
JobWorker<DropJob> dropWorker(L"Pelorin drop", MSG_DROP_DONE, PassDroppedFiles, nullptr, ForgetDrops, ReportLostDrop);

// Each name at its full length and in its own script: the player, not a
// buffer or a code page of ours, decides what it can open.
DroppedNames ReadDroppedNames(HDROP drop) {
    const UINT count = DragQueryFileW(drop, kFileCountQuery, nullptr, 0);
    DroppedNames names;
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

std::wstring Widened(const char* text) {
    // The Russian texts are code page 1251; the English ones are ASCII.
    const int size = MultiByteToWideChar(kRussianCodePage, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 1)), L'\0');
    MultiByteToWideChar(kRussianCodePage, 0, text, -1, wide.data(), size);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// One box for the drop, naming each file once, in its own script.
void ReportFilesNotTaken(const DroppedNames& names) {
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
    ShowErrorBoxApart(Widened(kPluginName), text);
}

// The player is started for a drop as it comes, unless it runs or a start
// is under way already: a drop that waits behind another never starts it
// a second time.
void StartPlayerFor(DroppedFiles& files) {
    if (FindPlayer()) return;
    StartLaunch();
    files.launch.reset(DuplicateToWaitOn(pluginState.launchThread));
}

// Hands the drop to the worker, or false when it has none.
bool BeginDrop(DroppedFiles& files) {
    // The player ran as the drop came, and has gone since.
    if (!files.launch) StartPlayerFor(files);
    if (!dropWorker.Ready()) return false;
    DropJob job;
    job.names = std::move(files.names);
    job.shiftHeld = files.shiftHeld;
    job.standstill = pluginState.positionUnchanged;
    job.began = files.arrived;
    job.launch = std::move(files.launch);
    // The worker runs and is free: the hand cannot fail.
    return dropWorker.Hand(std::move(job));
}

// The queued drops in order until the worker has one; a drop that has no
// worker is named, and those behind it still go.
void BeginNextDrop() {
    while (!dropWorker.Busy() && !queuedDrops.empty()) {
        DroppedFiles next = std::move(queuedDrops.front());
        queuedDrops.pop_front();
        if (!BeginDrop(next)) ReportFilesNotTaken(next.names);
    }
    pluginState.dropBusy = dropWorker.Busy();
}

}  // namespace

void AcceptDroppedFiles(HDROP drop) {
    DroppedFiles files{ReadDroppedNames(drop), ShiftHeld(), GetTickCount(), nullptr};
    // The drag source may wait for this; nothing of the drop is needed after.
    DragFinish(drop);
    StartPlayerFor(files);
    queuedDrops.push_back(std::move(files));
    BeginNextDrop();
}

bool DropBusy() {
    // A drop lost with a worker whose wait failed never ends by itself: the
    // next one in the queue takes its turn, and the control its clicks.
    if (pluginState.dropBusy && dropWorker.Ended()) BeginNextDrop();
    return pluginState.dropBusy;
}

void FinishDrop(WPARAM poster) {
    DropJob* done = dropWorker.Finish(poster);
    if (done == nullptr) return;
    // Play has set the player going, as the Play button does.
    if (done->played) pluginState.positionUnchanged = false;
    if (!done->notTaken.empty()) ReportFilesNotTaken(done->notTaken);
    BeginNextDrop();
}
