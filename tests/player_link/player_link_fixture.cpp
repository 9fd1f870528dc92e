// The player link tests' fixture.
#include "tests/player_link/player_link_fixture.h"

#include "player/commands.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "testbed/starter/standin_api.h"

int commandDoneCount = 0;
std::atomic<int> repaintsFromTestThread{0};
std::atomic<int> repaintsFromOtherThreads{0};

namespace {

constexpr char kControlClass[] = "PlayerLinkTestControl";
constexpr UINT kRepaintNow = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW;

// pluginState is constant-initialised, so this copy holds its load-time
// values whichever file's initialisers run first.
const PluginState kLoadTimeState = pluginState;

DWORD testThreadId = 0;
BOOL(WINAPI* realRedrawWindow)(HWND, const RECT*, HRGN, UINT) = nullptr;
BOOL(WINAPI* realInvalidateRect)(HWND, const RECT*, BOOL) = nullptr;

// The code under test is linked into this program, so its calls go through
// our import table. The host's thread paints at once; a worker may only
// ask for a paint, since painting at once would wait for the host's thread.
BOOL WINAPI WatchingRedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags) {
    if (flags == kRepaintNow && window == pluginState.controlWindow && GetCurrentThreadId() == testThreadId) {
        ++repaintsFromTestThread;
    }
    return realRedrawWindow(window, rect, region, flags);
}

BOOL WINAPI WatchingInvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    if (window == pluginState.controlWindow && GetCurrentThreadId() != testThreadId) ++repaintsFromOtherThreads;
    return realInvalidateRect(window, rect, erase);
}

LRESULT CALLBACK TestControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case MSG_COMMAND_DONE:
        ++commandDoneCount;
        FinishCommand(wParam, lParam);
        return 0;
    case MSG_POLL_DONE:
        FinishPoll(wParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void SendShift(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_SHIFT;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void PlayerLinkTest::SetUp() {
    HostTest::SetUp();
    pluginState = kLoadTimeState;
    hostContext = host.context;
    songLengthSec = positionPercent = 0;
    PublishPlayerPath("");
    commandDoneCount = repaintsFromTestThread = repaintsFromOtherThreads = 0;
    testThreadId = GetCurrentThreadId();
    redrawWatch_ = std::make_unique<ScopedImportPatch>(GetModuleHandleA(nullptr), "user32.dll", "RedrawWindow",
                                                       reinterpret_cast<void*>(&WatchingRedrawWindow));
    ASSERT_TRUE(redrawWatch_->active());
    realRedrawWindow = reinterpret_cast<BOOL(WINAPI*)(HWND, const RECT*, HRGN, UINT)>(redrawWatch_->original());
    invalidateWatch_ = std::make_unique<ScopedImportPatch>(GetModuleHandleA(nullptr), "user32.dll", "InvalidateRect",
                                                           reinterpret_cast<void*>(&WatchingInvalidateRect));
    ASSERT_TRUE(invalidateWatch_->active());
    realInvalidateRect = reinterpret_cast<BOOL(WINAPI*)(HWND, const RECT*, BOOL)>(invalidateWatch_->original());

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestControlProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kControlClass;
    RegisterClassA(&windowClass);
    control_ = CreateWindowExA(0, kControlClass, "", WS_POPUP, 0, 0, 55, 46, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control_, nullptr);
    pluginState.controlWindow = control_;
    ArmWorkerStop();
    StartPollWorker();
    StandInClearCallLog();
}

void PlayerLinkTest::TearDown() {
    // A thread still running would post to a window that is gone.
    if (pluginState.commandBusy) WaitForCommandDone();
    StopWorkerThreads();
    if (sim.process) StopPlayerSim(&sim);
    DestroyWindow(control_);
    redrawWatch_.reset();
    invalidateWatch_.reset();
    pluginState = kLoadTimeState;
    hostContext = {};
    HostTest::TearDown();
}

void PlayerLinkTest::StartPlayer(PlayerSimState state, int startPositionMs, int lengthSec) {
    PlayerSimOptions simOptions;
    simOptions.state = state;
    simOptions.playlist = {{"Test Artist - Test Title", lengthSec}};
    simOptions.startPositionMs = startPositionMs;
    sim = StartPlayerSim(simOptions);
    ASSERT_NE(sim.window, nullptr) << sim.failure;
    MarkLog();
}

void PlayerLinkTest::MarkLog() { logMark_ = ReadPlayerSimLog(sim.logPath).size(); }

std::vector<std::string> PlayerLinkTest::LoggedSinceMark(const char* kind) {
    const std::vector<PlayerSimLogEntry> log = ReadPlayerSimLog(sim.logPath);
    std::vector<std::string> found;
    for (size_t i = logMark_; i < log.size(); ++i) {
        if (log[i].kind == kind) found.push_back(log[i].args);
    }
    return found;
}

void PlayerLinkTest::Poll() {
    const bool blink = pluginState.blinkPhase;
    PollPlayer(nullptr, 0, 0, 0);
    // Every poll of a player found, answered or not, turns the blink over
    // once its answers are applied.
    if (pluginState.playerWindow) EXPECT_TRUE(WaitUntil([blink] { return pluginState.blinkPhase != blink; }, 5000));
}

void PlayerLinkTest::Press(int cell) {
    pluginState.hotItem = cell;
    StartCommand();
    EXPECT_TRUE(WaitForCommandDone()) << "cell " << cell;
}

bool PlayerLinkTest::WaitForCommandDone() {
    return WaitUntil([] { return !pluginState.commandBusy; }, 5000);
}

std::string PlayerLinkTest::StoreCalls() {
    std::string log(static_cast<size_t>(StandInReadCallLog(nullptr, 0)) + 1, '\0');
    log.resize(static_cast<size_t>(StandInReadCallLog(&log[0], static_cast<int>(log.size()))));
    return log;
}

ScopedShift::ScopedShift() { SendShift(0); }

ScopedShift::~ScopedShift() { SendShift(KEYEVENTF_KEYUP); }
