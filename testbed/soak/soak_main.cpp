// soak.exe [--events N] [--seed S] [--minutes M]: the plug-in in the
// stand-in shell's taskbar against the stand-in player, N random events
// (or M minutes of them), checked every 500 events and at the end. Prints
// its figures and every check's result; exits 1 when a check failed.
#include "testbed/soak/soak.h"

#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_client.h"

#include <objbase.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int kCheckEvery = 500;
constexpr DWORD kUnloadGraceMs = 5000;
// The most one message of the plug-in, or one stop, may hold the shell's
// loop: nothing of ours waits for the player there.
constexpr DWORD kStallBoundMs = 50;

const char* Verdict(bool holds) { return holds ? "holds" : "FAILS"; }

struct Options {
    int events = 0;
    int minutes = 0;
    unsigned seed = 0;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    options.seed = GetTickCount();
    for (int i = 1; i + 1 < argc; i += 2) {
        const long value = std::strtol(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--events") == 0) options.events = static_cast<int>(value);
        if (std::strcmp(argv[i], "--minutes") == 0) options.minutes = static_cast<int>(value);
        if (std::strcmp(argv[i], "--seed") == 0) options.seed = static_cast<unsigned>(value);
    }
    if (options.events <= 0 && options.minutes <= 0) options.events = 2000;
    return options;
}

std::string MakeScratchFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "pelorin-soak-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Drawn on a thread of their own, so that COM is initialised there and not
// on the shell's thread, which the plug-in shares.
CoverFileSet PlanCoversApart(unsigned seed) {
    CoverFileSet set;
    std::thread planner([&] {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        set = PlanCoverFiles(seed);
        if (SUCCEEDED(com)) CoUninitialize();
    });
    planner.join();
    return set;
}

void WriteCovers(Soak& soak) {
    const DWORD started = GetTickCount();
    soak.covers = PlanCoversApart(soak.seed);
    if (!soak.covers.failure.empty()) Fail(soak, "the cover files are incomplete: " + soak.covers.failure);
    if (!WriteCoverFiles(soak.covers, soak.scratchDir)) Fail(soak, "the cover files could not all be written");
    std::printf("soak: %zu cover files, %zu names for the player, digest %016llx, %lu ms\n", soak.covers.files.size(),
                soak.covers.names.size(), static_cast<unsigned long long>(CoverSetDigest(soak.covers)),
                GetTickCount() - started);
    std::fflush(stdout);
}

bool SetUp(Soak& soak) {
    soak.scratchDir = MakeScratchFolder();
    WriteCovers(soak);
    soak.storePath = soak.scratchDir + "\\mirel.ini";
    soak.storeText = "[Pelorin]\r\nWinamp Path=" + PlayerSimExePath() +
                     "\r\nVolume Steps=3\r\nButtons tips=1\r\nRun at Startup=1\r\n";
    WriteWholeFile(soak.storePath, soak.storeText);

    PlayerSimOptions player;
    player.logPath = soak.scratchDir + "\\player.log";
    soak.simLogPath = ConfigurePlayerSim(player).logPath;

    HostKitOptions host;
    host.storePath = soak.storePath;
    host.pluginPath = ExeFolder() + "\\Plugins\\Pelorin.plg";
    if (!CreateHostKit(host, &soak.host)) return false;
    if (!LoadPluginFile(host.pluginPath, &soak.plugin)) return false;
    soak.probe = std::make_unique<PluginProbe>(soak.plugin.module);
    StartSoakPlugin(soak);
    return true;
}

void EndPlayers() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        HWND player = FindPlayerSimWindow();
        if (!player) return;
        DWORD id = 0;
        GetWindowThreadProcessId(player, &id);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 3000);
            CloseHandle(process);
        }
    }
}

// The last stop, the unload, and that nothing of ours runs after it.
void TearDown(Soak& soak) {
    // Drops still on their way get their time before they are called lost.
    WaitUntil([&] {
        CheckDrops(soak, false);
        return !DropPending(soak);
    }, 20000);
    CheckDrops(soak, true);
    CheckStore(soak);
    StopSoakPlugin(soak);
    soak.probe.reset();
    UnloadPluginFile(&soak.plugin);
    if (!WaitUntil([] { return GetModuleHandleA("Pelorin.plg") == nullptr; }, kUnloadGraceMs))
        Fail(soak, "the library is still loaded after the last stop: a thread of ours runs on");
    EndPlayers();
    DestroyHostKit(&soak.host);
    for (const std::string& path : RemoveCoverFiles(soak.covers, soak.scratchDir))
        Fail(soak, "the cover file " + path + " could not be removed");
}

bool Running(const Options& options, const Soak& soak, DWORD started) {
    if (options.events > 0 && soak.event >= options.events) return false;
    if (options.minutes > 0 && GetTickCount() - started >= static_cast<DWORD>(options.minutes) * 60000u) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    Soak soak;
    soak.seed = options.seed;
    soak.random.seed(options.seed);
    std::printf("soak: seed %u, %d events, %d minutes\n", options.seed, options.events, options.minutes);
    std::fflush(stdout);
    if (!SetUp(soak)) {
        std::printf("soak: cannot set up the shell and the plug-in\n");
        return 2;
    }
    const DWORD started = GetTickCount();
    while (Running(options, soak, started)) {
        ++soak.event;
        RunRandomEvent(soak);
        if (soak.event % 50 == 0) CheckDrops(soak, false);
        if (soak.event % kCheckEvery == 0) {
            CheckStore(soak);
            std::printf("soak: %d events, %lu s, %zu failures\n", soak.event, (GetTickCount() - started) / 1000,
                        soak.failures.size());
            std::fflush(stdout);
        }
    }
    soak.eventKind = "final stop";
    TearDown(soak);

    std::printf("figure: events run | %d | - | -\n", soak.event);
    std::printf("figure: minutes | %.1f | - | -\n", (GetTickCount() - started) / 60000.0);
    std::printf("figure: files named by cover events | %d (of %zu names) | - | -\n", soak.coverNamings,
                soak.covers.names.size());
    std::printf("figure: longest stall of the shell's loop | %lu ms (%s) | <= %lu ms | %s\n", soak.longestStallMs,
                soak.longestStallWhat.c_str(), kStallBoundMs, Verdict(soak.longestStallMs <= kStallBoundMs));
    std::printf("figure: longest stop | %lu ms | <= %lu ms | %s\n", soak.longestStopMs, kStallBoundMs,
                Verdict(soak.longestStopMs <= kStallBoundMs));
    std::printf("checks: %s (%zu failures)\n", soak.failures.empty() ? "all passed" : "FAILED", soak.failures.size());
    return soak.failures.empty() ? 0 : 1;
}
