// The built plug-in as the shell keeps it: its workers never run code that
// the shell's FreeLibrary has unmapped, a stop ends their waits at once, and
// a hung player never holds the shell's thread.
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_client.h"
#include "tests/lifecycle/lifecycle_fixture.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr UINT kCommandDone = 1025;
constexpr UINT kLaunchDone = 1032;
constexpr UINT kPreferencesItem = 1026;
constexpr UINT kSetupItem = 1028;
constexpr int kPlayCell = 1;
constexpr int kStopCell = 3;

bool PluginMapped() { return GetModuleHandleA("Pelorin.plg") != nullptr; }

// One call of the plug-in's, held on the worker thread that makes it until
// the test lets it go.
HANDLE release = nullptr;
std::atomic<int> heldCalls{0};
decltype(&PostMessageA) forwardPost = nullptr;

void Hold() {
    ++heldCalls;
    WaitForSingleObject(release, INFINITE);
}

BOOL WINAPI HeldShellExecute(SHELLEXECUTEINFOA* start) {
    Hold();
    start->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_FNF);  // started nothing
    return FALSE;
}

// A program that starts but never opens the player's window, and whose
// process is not known.
BOOL WINAPI StartNothingShellExecute(SHELLEXECUTEINFOA* start) {
    ++heldCalls;
    start->hInstApp = reinterpret_cast<HINSTANCE>(42);
    start->hProcess = nullptr;
    return TRUE;
}

BOOL WINAPI FailedShellExecute(SHELLEXECUTEINFOA* start) {
    start->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_FNF);
    return FALSE;
}

// The system runs out of threads as the start fails: its box gets none.
std::atomic<int> threadsRefused{0};
decltype(&CreateThread) realCreateThread = nullptr;
HANDLE WINAPI CreateThreadUnlessRefused(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                        LPVOID parameter, DWORD flags, LPDWORD id) {
    if (threadsRefused > 0) {
        --threadsRefused;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return realCreateThread(security, stack, start, parameter, flags, id);
}
BOOL WINAPI FailedShellExecuteOutOfThreads(SHELLEXECUTEINFOA* start) {
    threadsRefused = 1;
    return FailedShellExecute(start);
}

// A modal loop on the caller's thread, as a box or a menu runs one, here
// until the test lets it end.
std::atomic<bool> loopRuns{false};
std::atomic<DWORD> loopThread{0};
void RunModalLoop() {
    loopThread = GetCurrentThreadId();
    loopRuns = true;
    while (MsgWaitForMultipleObjects(1, &release, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}
int WINAPI ModalBox(HWND, LPCSTR, LPCSTR, UINT) {
    RunModalLoop();
    return IDOK;
}
BOOL WINAPI ModalMenu(HMENU, UINT, int, int, HWND, LPTPMPARAMS) {
    RunModalLoop();
    return FALSE;  // dismissed
}

// A file on a network share that does not answer.
HANDLE WINAPI HeldCreateFile(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    Hold();
    SetLastError(ERROR_NETNAME_DELETED);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI HeldAfterCommandDone(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const BOOL posted = forwardPost(window, message, wParam, lParam);
    if (message == kCommandDone) Hold();
    return posted;
}

void CALLBACK UnloadOnceTheLoopRuns(HWND, UINT, UINT_PTR timer, DWORD);
class WorkerLifetime;
WorkerLifetime* unloadingTest = nullptr;

class WorkerLifetime : public LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        heldCalls = 0;
        // A path that names a file, so that a launch reaches ShellExecuteExA.
        WriteSettings("Winamp Path=" + PlayerSimExePath() + "\r\n");
    }
    void TearDown() override {
        // The patches live in the module: a test that failed before it let
        // them go must not have them restored into an unloaded image.
        SetEvent(release);
        boxPatch.reset();
        threadPatch.reset();
        patch.reset();
        LoadedPluginTest::TearDown();
        if (sim.process) StopPlayerSim(&sim);
        CloseHandle(release);
    }

    void Patch(const char* dll, const char* function, void* replacement) {
        patch = std::make_unique<ScopedImportPatch>(plugin, dll, function, replacement);
        ASSERT_TRUE(patch->active());
    }

    // Stops and frees the plug-in while a worker is held inside it: the code
    // must stay mapped until the worker, let go, has ended.
    void ExpectHeldWorkerKeepsTheLibraryUntilItEnds() {
        StopPlugin();
        patch.reset();  // restored while the module is surely there
        StopAndUnload();
        ASSERT_TRUE(PluginMapped()) << "unmapped under a running worker";
        SetEvent(release);
        EXPECT_TRUE(WaitUntil([] { return !PluginMapped(); }, 5000)) << "the worker let the library go";
    }

    HWND Control() const { return ControlWindowIn(host.taskbarWindow); }

    void StartPlayer() {
        sim = StartPlayerSim(PlayerSimOptions{});
        ASSERT_TRUE(sim.window) << sim.failure;
    }

    // The player hangs for hangMs from now: it takes nothing until then.
    void HangPlayer(int hangMs) {
        ASSERT_TRUE(SendPlayerSimControl(sim.window, "hang " + std::to_string(hangMs)));
        LRESULT answer = 0;
        EXPECT_FALSE(QueryPlayerSim(sim.window, 0, 104, 50, &answer)) << "the player hangs";
    }

public:
    void UnloadInsideTheLoop() {
        boxPatch.reset();
        threadPatch.reset();
        patch.reset();
        StopAndUnload();
        SetEvent(release);
    }

    // What the host does when the user confirms the page with a changed
    // setting: the plug-in is stopped and started again inside the send.
    void RestartInsideThePage() {
        StopPlugin();
        StartPlugin();
    }

protected:
    // Runs the plug-in into a modal loop of its own (the box or menu patched
    // in by the caller) and unloads it from inside: the loop's return must
    // find the code still there, and the library is freed once the shell's
    // thread is back in its own loop.
    void ExpectAnUnloadInsideTheLoopReturnsIntoNoUnloadedCode(const std::function<void()>& enterTheLoop) {
        loopRuns = false;
        unloadingTest = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, UnloadOnceTheLoopRuns);
        enterTheLoop();
        ASSERT_TRUE(WaitUntil([] { return !PluginMapped(); }, 10000)) << "the library was kept";
        KillTimer(nullptr, timer);
        EXPECT_TRUE(loopRuns);
        PumpMessages(200);
        EXPECT_TRUE(IsWindow(host.taskbarWindow)) << "the shell runs on";
    }

    // "Setup Plug-in" chosen on the control, with the host's page doing
    // what opener does inside the send that opened it.
    void ChooseSetupWith(SetupPageOpener opener) {
        SetSetupPageOpener(opener);
        unloadingTest = this;
        SendMessageA(Control(), WM_COMMAND, kSetupItem, 0);
        SetSetupPageOpener(nullptr);
    }

    std::unique_ptr<ScopedImportPatch> boxPatch;
    std::unique_ptr<ScopedImportPatch> threadPatch;

    std::unique_ptr<ScopedImportPatch> patch;
    PlayerSimProcess sim;
};

// Where the user quits the shell while a box or menu is up: inside whatever
// message loop runs on the shell's thread.
void CALLBACK UnloadOnceTheLoopRuns(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!loopRuns) return;
    KillTimer(nullptr, timer);
    unloadingTest->UnloadInsideTheLoop();
}

void UnloadFromThePage(HostKit*, const char*) { unloadingTest->UnloadInsideTheLoop(); }
void RestartFromThePage(HostKit*, const char*) { unloadingTest->RestartInsideThePage(); }

int ControlsIn(HWND taskbar) {
    int count = 0;
    for (HWND child = nullptr; (child = FindWindowExA(taskbar, child, "Pelorin", nullptr)) != nullptr;) ++count;
    return count;
}

}  // namespace

TEST_F(WorkerLifetime, ALaunchThreadTheWatchdogGaveUpOnKeepsTheLibraryUntilItEnds) {
    StartPlugin();
    Patch("shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(&HeldShellExecute));
    ClickCell(kPlayCell);
    ASSERT_TRUE(WaitUntil([] { return heldCalls == 1; }, 5000));
    PostMessageA(Control(), kLaunchDone, 0, 0);  // the watchdog's give-up
    PumpMessages(200);
    ExpectHeldWorkerKeepsTheLibraryUntilItEnds();
}

TEST_F(WorkerLifetime, ACommandThreadPastItsDonePostKeepsTheLibraryUntilItEnds) {
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    StartPlugin();
    Patch("user32.dll", "PostMessageA", reinterpret_cast<void*>(&HeldAfterCommandDone));
    forwardPost = reinterpret_cast<decltype(forwardPost)>(patch->original());
    ClickCell(kStopCell);
    ASSERT_TRUE(WaitUntil([] { return heldCalls == 1; }, 5000));
    PumpMessages(200);  // the done message is handled
    ExpectHeldWorkerKeepsTheLibraryUntilItEnds();
}

// The cover's worker waits on a song's file that hangs: the shell's thread
// goes on, the stop returns at once, and the code stays mapped until the
// worker has ended.
TEST_F(WorkerLifetime, ACoverWorkerHeldInASongsFileHoldsNeitherTheShellNorTheStop) {
    PlayerSimOptions playing;
    playing.playlist = {{"Artist - Song", 200, PlayerSimExePath()}};
    sim = StartPlayerSim(playing);
    ASSERT_TRUE(sim.window) << sim.failure;
    ASSERT_TRUE(LoadPlugin());
    Patch("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(&HeldCreateFile));
    const DWORD start = GetTickCount();
    StartPlugin();
    ASSERT_TRUE(WaitUntil([] { return heldCalls == 1; }, 5000)) << "the worker never opened the song's file";
    EXPECT_LT(GetTickCount() - start, 1000u) << "the start waited for the file";
    ClickCell(kStopCell);
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40047", 1, 3000)) << "the control answered no press";
    const DWORD stop = GetTickCount();
    StopPlugin();
    EXPECT_LT(GetTickCount() - stop, 1000u) << "the stop waited for the worker";
    ExpectHeldWorkerKeepsTheLibraryUntilItEnds();
}

TEST_F(WorkerLifetime, AStopEndsALaunchWaitingForAWindowAtOnce) {
    StartPlugin();
    Patch("shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(&StartNothingShellExecute));
    ClickCell(kPlayCell);
    ASSERT_TRUE(WaitUntil([] { return heldCalls == 1; }, 5000));
    const DWORD start = GetTickCount();
    StopPlugin();
    EXPECT_LT(GetTickCount() - start, 1000u) << "the stop waited out the launch's wait";
    patch.reset();
    StopAndUnload();
    EXPECT_TRUE(WaitUntil([] { return !PluginMapped(); }, 1000));
}

TEST_F(WorkerLifetime, ASecondStartMeasuresTheTitleAfresh) {
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    StartPlugin();
    HWND tip = FindWindowA("Pelorin_Tip", nullptr);
    ASSERT_TRUE(tip);
    RECT first;
    GetWindowRect(tip, &first);
    ASSERT_GT(first.right - first.left, 4);
    StopPlugin();
    StartPlugin();
    tip = FindWindowA("Pelorin_Tip", nullptr);
    ASSERT_TRUE(tip);
    RECT second;
    GetWindowRect(tip, &second);
    EXPECT_EQ(second.right - second.left, first.right - first.left);
    EXPECT_EQ(second.bottom - second.top, first.bottom - first.top);
}

// The player is hung for four seconds; what the user does on the control
// meanwhile must not wait for it.
TEST_F(WorkerLifetime, AHungPlayerNeverHoldsTheShellsThread) {
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    StartPlugin();
    ASSERT_NO_FATAL_FAILURE(HangPlayer(4000));

    DWORD start = GetTickCount();
    SendMessageA(Control(), WM_MBUTTONUP, 0, 0);
    EXPECT_LT(GetTickCount() - start, 1000u) << "showing or hiding the player";
    start = GetTickCount();
    SendMessageA(Control(), WM_COMMAND, kPreferencesItem, 0);
    EXPECT_LT(GetTickCount() - start, 1000u) << "the player's preferences";
    EXPECT_EQ(host.modalMessages, (std::vector<UINT>{32738, 32737}));
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40012", 1, 10000)) << "delivered once it woke";
}

// A launch held in its start and a command in a hung player: the stop
// returns at once, the code stays mapped until both workers have ended, the
// command still reaches the player once it wakes, and a new start works.
TEST_F(WorkerLifetime, AStopReturnsAtOnceUnderAHungCommandAndAHeldLaunch) {
    StartPlugin();
    Patch("shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(&HeldShellExecute));
    ClickCell(kPlayCell);
    ASSERT_TRUE(WaitUntil([] { return heldCalls == 1; }, 5000));
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    ASSERT_NO_FATAL_FAILURE(HangPlayer(4000));
    ClickCell(kStopCell);

    const DWORD start = GetTickCount();
    StopPlugin();
    EXPECT_LT(GetTickCount() - start, 1000u) << "the stop waited for its workers";
    patch.reset();
    StopAndUnload();
    EXPECT_TRUE(PluginMapped());
    SetEvent(release);
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40047", 1, 10000)) << "the press reached the player";
    EXPECT_TRUE(WaitUntil([] { return !PluginMapped(); }, 5000)) << "a worker kept the library";
    StartPlugin();
    EXPECT_TRUE(Control());
}

// The player hangs in a command when the shell stops and starts the
// plug-in again: the new start's presses have a worker of their own.
TEST_F(WorkerLifetime, AStartAfterAStopWhoseWorkerHangsInACommandHasWorkingPresses) {
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    StartPlugin();
    ASSERT_NO_FATAL_FAILURE(HangPlayer(3000));
    ClickCell(kStopCell);
    StopPlugin();
    StartPlugin();
    ClickCell(kPlayCell);
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40045", 1, 10000)) << "the new start's press";
    EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "COMMAND", "40047"), 1);
}

// "Error loading player!" is up when the shell stops and unloads the
// plug-in: closing the box must not return into the unloaded code.
TEST_F(WorkerLifetime, ABoxClosedAfterTheUnloadReturnsIntoNoUnloadedCode) {
    StartPlugin();
    Patch("shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(&FailedShellExecute));
    boxPatch = std::make_unique<ScopedImportPatch>(plugin, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&ModalBox));
    ASSERT_TRUE(boxPatch->active());
    ExpectAnUnloadInsideTheLoopReturnsIntoNoUnloadedCode([this] { ClickCell(kPlayCell); });
}

// The same with the system out of threads as the box is asked for: the box
// shows on the shell's own thread.
TEST_F(WorkerLifetime, ABoxWithoutAThreadClosedAfterTheUnloadReturnsIntoNoUnloadedCode) {
    StartPlugin();
    Patch("shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(&FailedShellExecuteOutOfThreads));
    threadPatch = std::make_unique<ScopedImportPatch>(plugin, "kernel32.dll", "CreateThread",
                                                      reinterpret_cast<void*>(&CreateThreadUnlessRefused));
    ASSERT_TRUE(threadPatch->active());
    realCreateThread = reinterpret_cast<decltype(realCreateThread)>(threadPatch->original());
    boxPatch = std::make_unique<ScopedImportPatch>(plugin, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&ModalBox));
    ASSERT_TRUE(boxPatch->active());
    ExpectAnUnloadInsideTheLoopReturnsIntoNoUnloadedCode([this] { ClickCell(kPlayCell); });
    EXPECT_EQ(loopThread, GetCurrentThreadId()) << "the box had a thread of its own";
}

// The normal skin cannot be used, and the user turns the plug-in off while
// the start's box says so: the stop is seen although no control exists.
TEST_F(WorkerLifetime, AnUnusableSkinsBoxClosedAfterTheUnloadReturnsIntoNoUnloadedCode) {
    const std::string icon = scratchDir + "\\not-a-skin.ico";
    WriteIconFile(icon);
    WriteSettings("Normal Skin=" + icon + "\r\n");
    ASSERT_TRUE(LoadPlugin());
    boxPatch = std::make_unique<ScopedImportPatch>(plugin, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&ModalBox));
    ASSERT_TRUE(boxPatch->active());
    ExpectAnUnloadInsideTheLoopReturnsIntoNoUnloadedCode([this] { StartPlugin(); });
}

// The user quits the shell while the control's menu is open; the host's
// taskbar hears nothing of a right-click whose plug-in is gone.
TEST_F(WorkerLifetime, AMenuClosedAfterTheUnloadReturnsIntoNoUnloadedCode) {
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    StartPlugin();
    Patch("user32.dll", "TrackPopupMenuEx", reinterpret_cast<void*>(&ModalMenu));
    const HWND control = Control();
    ExpectAnUnloadInsideTheLoopReturnsIntoNoUnloadedCode(
        [control] { SendMessageA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(300, 500)); });
    EXPECT_EQ(host.taskbarRightClicks, 0);
}

// The user turns the plug-in off on its own setup page: the host stops and
// frees it inside the send that opened the page.
TEST_F(WorkerLifetime, ASetupPageThatUnloadsThePluginReturnsIntoNoUnloadedCode) {
    StartPlugin();
    ChooseSetupWith(UnloadFromThePage);
    EXPECT_TRUE(WaitUntil([] { return !PluginMapped(); }, 5000)) << "the library was kept";
    EXPECT_EQ(host.setupPageOpens, 1);
    EXPECT_TRUE(IsWindow(host.taskbarWindow)) << "the shell runs on";
}

// A host that applies its page by stopping and starting the plug-in inside
// the send: one control afterwards, the second start's, and it works.
TEST_F(WorkerLifetime, ASetupPageThatRestartsThePluginLeavesOneWorkingControl) {
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    StartPlugin();
    const HWND first = Control();
    ChooseSetupWith(RestartFromThePage);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(ControlsIn(host.taskbarWindow), 1);
    ClickCell(kPlayCell);
    EXPECT_TRUE(WaitForPlayerSimLog(sim.logPath, "COMMAND", "40045", 1, 5000)) << "Play on the second start's control";
    StopAndUnload();
    EXPECT_TRUE(WaitUntil([] { return !PluginMapped(); }, 5000)) << "something of ours still runs";
}
