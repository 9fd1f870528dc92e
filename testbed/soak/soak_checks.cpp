// The soak's checks, one place each: what a stop must leave, that dropped
// files reached the player, that the store holds only what the plug-in
// writes back.
#include "testbed/soak/soak.h"

#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_client.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

// The settings the plug-in itself writes back; every other key must read
// exactly as the soak wrote it.
const std::set<std::string> kWrittenBack = {"Winamp Path", "Hide on Minimize"};
constexpr DWORD kWorkerGraceMs = 3000;
// The code page the soak's dropped names are written in.
constexpr UINT kDropNameCodePage = 1251;
constexpr char kLaunchFailureText[] = "Error loading player!\r";

bool OurWindowsExist() {
    return FindWindowA("Pelorin", nullptr) != nullptr || FindWindowA("Pelorin_Tip", nullptr) != nullptr;
}

// A name in UTF-8, in the code page the soak names files in; empty when a
// character has no place there, since no dropped name can then be it.
std::string InCodePage(const std::string& utf8, UINT codePage) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                               static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], wideLength);
    BOOL lost = FALSE;
    const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0,
                                           nullptr, &lost);
    if (length <= 0 || lost) return std::string();
    std::string name(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, &name[0], length, nullptr,
                        nullptr);
    return name;
}

// The quoted name in what the player logged for a file it took: a command
// line handed over or its own, or a file handed over by the player's
// protocol (ENQUEUEW in UTF-8); empty for every other entry.
std::string QuotedName(const PlayerSimLogEntry& entry) {
    const bool taken = entry.kind == "COPYDATA" || entry.kind == "CMDLINE" || entry.kind == "ENQUEUE" ||
                       entry.kind == "ENQUEUEW";
    const std::string& line = entry.args;
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    if (!taken || open == std::string::npos || close <= open) return std::string();
    const std::string name = line.substr(open + 1, close - open - 1);
    return entry.kind == "ENQUEUEW" ? InCodePage(name, kDropNameCodePage) : name;
}

// The two boxes the plug-in may show in a soak: the report of dropped
// files the player never took ("...:", then a name a line), and a start of
// the player that failed. No other box, whatever the player names.
bool DropReport(const std::string& text) {
    const size_t at = text.find('\r');
    return at != std::string::npos && at > 0 && text[at - 1] == ':';
}
bool LaunchFailure(const std::string& text) { return text.rfind(kLaunchFailureText, 0) == 0; }

// Every box since the last look: a file the plug-in names in a drop report
// is accounted for (the player went before it could be handed over), a box
// that is no report of ours is a failure.
void AccountForBoxes(Soak& soak) {
    const std::vector<ShownMessage> shown = ShownMessages();
    for (size_t i = soak.boxesRead; i < shown.size(); ++i) {
        const std::string& text = shown[i].text;
        if (!DropReport(text)) {
            if (!LaunchFailure(text)) Fail(soak, "a box the soak did not expect: " + shown[i].caption + ": " + text);
            continue;
        }
        size_t at = text.find('\r');
        while (at != std::string::npos) {
            const size_t end = text.find('\r', at + 1);
            // The plug-in read the dropped bytes in this process's code page.
            const std::string name = InCodePage(text.substr(at + 1, end - at - 1), CP_ACP);
            for (ExpectedDrop& drop : soak.drops) drop.names.erase(std::remove(drop.names.begin(), drop.names.end(), name), drop.names.end());
            at = end;
        }
    }
    soak.boxesRead = shown.size();
    soak.drops.erase(std::remove_if(soak.drops.begin(), soak.drops.end(),
                                    [](const ExpectedDrop& drop) { return drop.names.empty(); }),
                     soak.drops.end());
}

// key=value lines of the store's one section, in order.
std::vector<std::pair<std::string, std::string>> StoreEntries(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> entries;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals != std::string::npos) entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        at = end + 1;
    }
    return entries;
}

}  // namespace

void Fail(Soak& soak, const std::string& what) {
    std::string line = "FAILED at event " + std::to_string(soak.event) + " (" + soak.eventKind + ", seed " +
                       std::to_string(soak.seed) + "): " + what;
    // The plug-in reads a cover after the event that named its file.
    if (!soak.lastCoverNamed.empty()) line += " [last cover file named: " + soak.lastCoverNamed + "]";
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    soak.failures.push_back(line);
}

void RunShell(Soak& soak, DWORD ms) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < ms) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        const DWORD before = GetTickCount();
        TranslateMessage(&message);
        DispatchMessageA(&message);
        const DWORD took = GetTickCount() - before;
        if (took > soak.longestStallMs) {
            soak.longestStallMs = took;
            char className[64] = {};
            GetClassNameA(message.hwnd, className, sizeof className);
            soak.longestStallWhat = "message " + std::to_string(message.message) + " (timer " +
                                    std::to_string(message.message == WM_TIMER ? message.wParam : 0) + ") to " +
                                    className + ", " + soak.eventKind +
                                    (soak.lastCoverNamed.empty() ? "" : ", after cover file " + soak.lastCoverNamed);
        }
    }
}

HWND SoakControl(const Soak& soak) { return FindWindowExA(soak.host.taskbarWindow, nullptr, "Pelorin", nullptr); }

void StartSoakPlugin(Soak& soak) {
    soak.baseline.threads = ThreadCount();
    soak.baseline.windows = WindowCount(soak.host.taskbarWindow);
    soak.baseline.gdiObjects = probe.liveGdi.size();
    StartPlugin(&soak.plugin, &soak.host);
    if (!SoakControl(soak)) Fail(soak, "the plug-in put no control into the taskbar");
}

void StopSoakPlugin(Soak& soak) {
    const DWORD start = GetTickCount();
    StopPlugin(&soak.plugin);
    soak.longestStopMs = std::max(soak.longestStopMs, GetTickCount() - start);
    if (OurWindowsExist()) Fail(soak, "a window of the plug-in outlived the stop");
    if (WindowCount(soak.host.taskbarWindow) != soak.baseline.windows) Fail(soak, "window count changed by a run");
    for (const PluginTimerStart& timer : probe.timers) {
        if (timer.window && IsWindow(timer.window)) Fail(soak, "a timer's window outlived the stop");
    }
    probe.timers.clear();
    if (probe.liveGdi.size() != soak.baseline.gdiObjects) {
        Fail(soak, std::to_string(probe.liveGdi.size() - soak.baseline.gdiObjects) + " GDI objects left by a run");
    }
    // The workers may still be on their way out of a call to the player.
    if (!WaitUntil([&] { return ThreadCount() <= soak.baseline.threads; }, kWorkerGraceMs))
        Fail(soak, "a thread of the plug-in outlived the stop");
    // A cover is read on a worker: its file must be closed by now.
    for (const std::string& path : CoverFilesHeldOpen(soak.covers, soak.scratchDir))
        Fail(soak, "the cover file " + path + " is still open after a stop");
    // The stop signal lives as long as the library.
    if (LiveKernelHandles() > 1) Fail(soak, std::to_string(LiveKernelHandles()) + " kernel handles left open");
}

bool DropPending(const Soak& soak) { return !soak.drops.empty(); }

void CheckDrops(Soak& soak, bool final) {
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(soak.simLogPath);
    // Read after the log: a report that came before a later drop's file is in.
    AccountForBoxes(soak);
    // Each expected name must come next among the names the player took:
    // by message, handed over by a later start or, when the player had just
    // gone, on the command line of the instance that became the player.
    // Names of drops nobody waits for may come between. A name of a later
    // drop means that what is left of the earlier ones never came in order.
    for (size_t i = soak.logEntriesMatched; i < log.size() && !soak.drops.empty(); ++i) {
        const std::string name = QuotedName(log[i]);
        if (name.empty()) continue;
        auto holder = std::find_if(soak.drops.begin(), soak.drops.end(), [&](const ExpectedDrop& drop) {
            return std::find(drop.names.begin(), drop.names.end(), name) != drop.names.end();
        });
        if (holder == soak.drops.end()) continue;
        for (auto earlier = soak.drops.begin(); earlier != holder; ++earlier)
            Fail(soak, "dropped file " + earlier->names.front() + " did not reach the player before a later drop's");
        soak.drops.erase(soak.drops.begin(), holder);
        ExpectedDrop& drop = soak.drops.front();
        auto expected = std::find(drop.names.begin(), drop.names.end(), name);
        if (expected != drop.names.begin())
            Fail(soak, "dropped file " + drop.names.front() + " did not reach the player before " + name);
        drop.names.erase(drop.names.begin(), expected + 1);
        if (drop.names.empty()) soak.drops.erase(soak.drops.begin());
        soak.logEntriesMatched = i + 1;
    }
    const DWORD now = GetTickCount();
    while (!soak.drops.empty() && (final || static_cast<LONG>(now - soak.drops.front().deadline) > 0)) {
        const ExpectedDrop& lost = soak.drops.front();
        Fail(soak, "dropped file " + lost.names.front() + " never reached the player (drop at event " +
                       std::to_string(lost.event) + ")");
        soak.drops.erase(soak.drops.begin());
    }
    // A name taken twice shows as a second entry for it anywhere in the log.
    if (final) {
        std::set<std::string> seen;
        for (const PlayerSimLogEntry& entry : log) {
            const std::string name = QuotedName(entry);
            if (!name.empty() && !seen.insert(name).second) Fail(soak, "dropped file " + name + " taken twice");
        }
    }
}

void CheckStore(Soak& soak) {
    const std::vector<std::pair<std::string, std::string>> written = StoreEntries(soak.storeText);
    const std::vector<std::pair<std::string, std::string>> now = StoreEntries(ReadWholeFile(soak.storePath));
    if (now.empty()) {
        Fail(soak, "the store is empty or unreadable");
        return;
    }
    for (const auto& [key, value] : now) {
        if (kWrittenBack.count(key)) continue;
        auto same = std::find(written.begin(), written.end(), std::make_pair(key, value));
        if (same == written.end()) Fail(soak, "the store holds " + key + "=" + value + ", not written by the soak");
    }
    for (const auto& [key, value] : written) {
        const bool kept = std::any_of(now.begin(), now.end(), [&](const auto& entry) { return entry.first == key; });
        if (!kept) Fail(soak, "the store lost " + key);
    }
}
