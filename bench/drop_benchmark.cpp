// How long ten files dropped on the control take to reach the playlist of
// a running player, and what a drop costs the host's thread. The built
// plug-in runs in the stand-in host with the stand-in player playing; each
// drop posts WM_DROPFILES with ten new names to the control, and this
// program's own loop serves the host's thread: it reads the tick as it
// hands the drop to the control's window procedure, and times the drop's
// messages there (WM_DROPFILES and the plug-in's own posts back from its
// workers, never its timers). The player logs every file it takes with its
// GetTickCount tick, the clock read here; a drop has reached the playlist
// at the tick of its tenth file's line. A drop is over once the threads
// the plug-in started meanwhile have ended (or have stayed on as workers
// for later drops) and their posts are served.
// Not part of the test run.
#include "testbed/common/message_wait.h"
#include "testbed/shell/scene_runner.h"
#include "bench/plugin_session.h"
#include "bench/bench_figures.h"
#include "tests/support/iat_patch.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kDrops = 9;  // odd, so the median is one drop
constexpr int kFilesPerDrop = 10;
constexpr double kArrivalBoundMs = 50;
constexpr double kHostShareBoundMs = 1;
constexpr DWORD kDropTimeoutMs = 60000;
constexpr DWORD kServeMs = 5;
constexpr DWORD kLogReadEveryMs = 10;
// After the tenth file: a drop's workers end within this, or are kept for
// later drops; then their last posts come.
constexpr DWORD kWorkerEndMs = 3000;
constexpr DWORD kSettleAfterMs = 300;
constexpr DWORD kBetweenDropsMs = 200;
// The private messages the plug-in posts to its own windows; its timers
// and paints are not part of a drop.
constexpr UINT kFirstPrivateMessage = WM_USER;
constexpr UINT kLastPrivateMessage = 0xBFFF;

using CreateThreadFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
CreateThreadFn realCreateThread = nullptr;

// Threads the plug-in started since the last drop began, to wait on.
std::mutex startedLock;
std::vector<HANDLE> startedThreads;

HANDLE WINAPI RecordCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE procedure,
                                 LPVOID parameter, DWORD flags, LPDWORD id) {
    HANDLE thread = realCreateThread(security, stack, procedure, parameter, flags, id);
    HANDLE copy = nullptr;
    if (thread && DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0)) {
        std::lock_guard<std::mutex> hold(startedLock);
        startedThreads.push_back(copy);
    }
    return thread;
}

bool StartedThreadsEnded() {
    std::lock_guard<std::mutex> hold(startedLock);
    for (HANDLE thread : startedThreads) {
        if (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return false;
    }
    return true;
}

void ForgetStartedThreads() {
    std::lock_guard<std::mutex> hold(startedLock);
    for (HANDLE thread : startedThreads) CloseHandle(thread);
    startedThreads.clear();
}

struct DropRun {
    std::optional<DWORD> droppedTick;  // WM_DROPFILES handed to the control
    double droppedMicros = 0;          // in its window procedure
    double hostMicros = 0;             // with the posts back
    int hostMessages = 0;
};

// Waits up to waitMs for something for the host's thread, then handles all
// there is, timing the drop's messages to the plug-in's windows.
void Serve(const PluginSession& session, DropRun* run, DWORD waitMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const bool ours = msg.hwnd && (msg.hwnd == session.control() || msg.hwnd == session.titleTip());
        const bool dropped = ours && msg.message == WM_DROPFILES;
        const bool posted = ours && msg.message >= kFirstPrivateMessage && msg.message <= kLastPrivateMessage;
        if (dropped) run->droppedTick = GetTickCount();
        const LARGE_INTEGER start = PerformanceNow();
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        const double micros = MicrosecondsBetween(start, PerformanceNow());
        if (dropped) run->droppedMicros += micros;
        if (dropped || posted) {
            run->hostMicros += micros;
            ++run->hostMessages;
        }
    }
}

// The tick of the player's line for this file: handed over by a start of
// the player (COPYDATA), taken by a start that became the player (CMDLINE),
// or handed over by message (ENQUEUE, ENQUEUEW).
std::optional<DWORD> TakenTick(const std::vector<PlayerSimLogEntry>& log, const std::string& name) {
    const std::string quoted = "\"" + name + "\"";
    for (const PlayerSimLogEntry& entry : log) {
        const bool taken = entry.kind == "COPYDATA" || entry.kind == "CMDLINE" || entry.kind == "ENQUEUE" ||
                           entry.kind == "ENQUEUEW";
        if (taken && entry.args.find(quoted) != std::string::npos) return entry.tick;
    }
    return std::nullopt;
}

int CountTaken(const std::vector<PlayerSimLogEntry>& log, const std::vector<std::string>& names) {
    int taken = 0;
    for (const std::string& name : names) taken += TakenTick(log, name).has_value();
    return taken;
}

std::vector<std::string> DropNames(int drop) {
    std::vector<std::string> names;
    for (int file = 1; file <= kFilesPerDrop; ++file) {
        names.push_back("C:\\Bench\\drop" + std::to_string(drop) + "-" + std::to_string(file) + ".mp3");
    }
    return names;
}

struct DropResult {
    double arrivalMs = 0;
    double hostMs = 0;
    double droppedMs = 0;
    int hostMessages = 0;
};

std::optional<DropResult> RunDrop(const PluginSession& session, int drop, std::string* failure) {
    const std::vector<std::string> names = DropNames(drop);
    ForgetStartedThreads();
    DropRun run;
    HGLOBAL list = MakeDropList(names, {20, 10});
    if (!list || !PostMessageA(session.control(), WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0)) {
        if (list) GlobalFree(list);
        *failure = "the drop could not be posted";
        return std::nullopt;
    }

    const DWORD begin = GetTickCount();
    std::optional<DWORD> lastTaken;
    DWORD lastRead = 0;
    while (!lastTaken) {
        if (GetTickCount() - begin > kDropTimeoutMs) {
            *failure = Printed("drop %d: the tenth file never reached the player", drop);
            return std::nullopt;
        }
        Serve(session, &run, kServeMs);
        if (GetTickCount() - lastRead < kLogReadEveryMs) continue;
        lastRead = GetTickCount();
        lastTaken = TakenTick(ReadPlayerSimLog(session.playerLog()), names.back());
    }
    for (const DWORD arrived = GetTickCount(); !StartedThreadsEnded() && GetTickCount() - arrived < kWorkerEndMs;)
        Serve(session, &run, kServeMs);
    for (const DWORD settle = GetTickCount(); GetTickCount() - settle < kSettleAfterMs;) Serve(session, &run, kServeMs);

    const int taken = CountTaken(ReadPlayerSimLog(session.playerLog()), names);
    if (!run.droppedTick || taken != kFilesPerDrop) {
        *failure = Printed("drop %d: %d of %d files reached the player", drop, taken, kFilesPerDrop);
        return std::nullopt;
    }
    DropResult result;
    result.arrivalMs = static_cast<LONG>(*lastTaken - *run.droppedTick);
    result.hostMs = run.hostMicros / 1000;
    result.droppedMs = run.droppedMicros / 1000;
    result.hostMessages = run.hostMessages;
    return result;
}

}  // namespace

int main() {
    PluginSession session;
    if (!session.Start()) {
        std::printf("cannot start: %s\n", session.failure().c_str());
        return 1;
    }
    ScopedImportPatch createThread(session.plugin(), "kernel32.dll", "CreateThread",
                                   reinterpret_cast<void*>(&RecordCreateThread));
    realCreateThread = reinterpret_cast<CreateThreadFn>(createThread.original());
    if (!createThread.active()) {
        std::printf("cannot watch the plug-in's CreateThread\n");
        return 1;
    }

    std::vector<double> arrivalMs, hostMs;
    for (int drop = 1; drop <= kDrops; ++drop) {
        std::string failure;
        const std::optional<DropResult> result = RunDrop(session, drop, &failure);
        if (!result) {
            std::printf("%s\n", failure.c_str());
            return 1;
        }
        std::printf("drop %d: tenth file in the playlist after %.0f ms; host's thread %.3f ms in %d messages, "
                    "%.3f ms of it in WM_DROPFILES\n",
                    drop, result->arrivalMs, result->hostMs, result->hostMessages, result->droppedMs);
        arrivalMs.push_back(result->arrivalMs);
        hostMs.push_back(result->hostMs);
        PumpMessages(kBetweenDropsMs);
    }
    ForgetStartedThreads();

    std::printf("%d drops of %d files on the playing player; ticks are GetTickCount's, which Wine moves in steps "
                "of about 16 ms\n",
                kDrops, kFilesPerDrop);
    const double arrival = Median(arrivalMs);
    PrintFigure("drop of ten files, WM_DROPFILES to the tenth in the playlist (median)", Printed("%.0f ms", arrival),
                Printed("<= %.0f ms", kArrivalBoundMs), arrival <= kArrivalBoundMs);
    PrintFigure("drop of ten files, WM_DROPFILES to the tenth in the playlist (min / max)",
                Printed("%.0f / %.0f ms", Percentile(arrivalMs, 0), Percentile(arrivalMs, 100)));
    const double host = Median(hostMs);
    PrintFigure("drop, the host thread's share (median)", Printed("%.3f ms", host),
                Printed("<= %.0f ms", kHostShareBoundMs), host <= kHostShareBoundMs);
    PrintFigure("drop, the host thread's share (max)", Printed("%.3f ms", Percentile(hostMs, 100)));
    return 0;
}
