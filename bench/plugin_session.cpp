// Starting and stopping the plug-in for a benchmark.
#include "bench/plugin_session.h"

#include "host/host_abi.h"
#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "tests/support/test_support.h"

namespace {

using InitFn = void(__stdcall*)(HostContext*);
using DoneFn = void(__stdcall*)();

constexpr DWORD kFirstPollMs = 1200;

}  // namespace

bool PluginSession::Fail(const std::string& why) {
    failure_ = why;
    return false;
}

bool PluginSession::Start(int playlistLength, int currentEntry) {
    if (FindPlayerSimWindow()) return Fail("another player is running");
    PlayerSimOptions options;
    options.state = PlayerSimState::Playing;
    for (int i = 1; i <= playlistLength; ++i)
        options.playlist.push_back({"Bench Artist - Bench Title " + std::to_string(i), 3600});
    options.currentTrack = currentEntry;
    // As a real player: a log line and a redraw for every question would be
    // most of what a benchmark of the menu measures.
    options.quietQuestions = true;
    sim_ = StartPlayerSim(options);
    if (!sim_.window) return Fail("the player did not start: " + sim_.failure);

    scratchDir_ = MakeScratchDir("bench");
    if (scratchDir_.empty()) return Fail("no scratch folder");
    HostKitOptions hostOptions;
    hostOptions.storePath = scratchDir_ + "\\mirel.ini";
    hostOptions.pluginPath = PluginDllPath();
    WriteWholeFile(hostOptions.storePath, "[Pelorin]\r\nWinamp Path=" + PlayerSimExePath() + "\r\n");
    hostMade_ = CreateHostKit(hostOptions, &host_);
    if (!hostMade_) return Fail("the host's windows were not made");

    plugin_ = LoadLibraryA(PluginDllPath().c_str());
    if (!plugin_) return Fail("cannot load " + PluginDllPath());
    const auto init = ProcAddress<InitFn>(plugin_, "InitGlobalModule");
    if (!init) return Fail("no InitGlobalModule");
    init(&host_.context);
    running_ = true;
    control_ = FindWindowExA(host_.taskbarWindow, nullptr, "Pelorin", nullptr);
    titleTip_ = FindWindowA("Pelorin_Tip", nullptr);
    if (!control_) return Fail("the plug-in made no control");
    PumpMessages(kFirstPollMs);
    return true;
}

void PluginSession::StopPlayer() {
    if (sim_.process) StopPlayerSim(&sim_);
}

PluginSession::~PluginSession() {
    if (running_) ProcAddress<DoneFn>(plugin_, "DoneModule")();
    PumpMessages(0);
    if (plugin_) FreeLibrary(plugin_);
    if (hostMade_) DestroyHostKit(&host_);
    if (sim_.process) StopPlayerSim(&sim_);
    RemoveTree(scratchDir_);
}
