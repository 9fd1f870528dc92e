// The stand-in control window and the watch on the core's system calls.
#include "tests/launch/launch_fixture.h"

#include "host/host_services.h"
#include "player/commands.h"
#include "player/dropped_files.h"
#include "player/launch.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "testbed/common/process_list.h"
#include "testbed/shell/scene_runner.h"
#include "tests/support/iat_patch.h"

#include <objbase.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace {

constexpr char kControlClassName[] = "PelorinLaunchTestControl";
constexpr char kLauncherExeName[] = "player_launcher.exe";
// Longer than any launch thread may live with the limits the tests use.
constexpr DWORD kThreadEndTimeoutMs = 30000;

// What the patched imports saw. The launch thread starts programs too, so
// everything is behind one lock.
struct Watch {
    std::mutex lock;
    std::vector<ShellStart> starts;
    std::vector<ShownMessage> messages;
    std::vector<LaunchDonePost> launchDone;
    std::vector<HANDLE> threads;  // every thread started, duplicated so the fixture can wait for them
    std::vector<UINT_PTR> timerIds;
    HANDLE heldStarts = nullptr;  // set: every start waits for it, then fails
    int dropWorkersToFail = 0;  // threads that fail while the next drop is accepted
    int failingThreads = 0;
    int dropsAccepted = 0;
    DWORD longestDropDispatchMs = 0;
    decltype(&ShellExecuteExA) shellExecuteEx = nullptr;
    std::map<DWORD, std::wstring> threadNames;  // by thread id
    decltype(&CreateThread) createThread = nullptr;
    decltype(&GetProcAddress) getProcAddress = nullptr;
    decltype(&SetTimer) setTimer = nullptr;
};
Watch watch;

// A thread already in a single-threaded apartment is told so (S_FALSE)
// when it asks for one again.
bool InApartment() {
    const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(again)) CoUninitialize();
    return again == S_FALSE;
}

void RecordStart(LPCSTR operation, LPCSTR file, LPCSTR parameters, INT show) {
    const bool inApartment = InApartment();
    std::lock_guard<std::mutex> guard(watch.lock);
    watch.starts.push_back({GetTickCount(), operation ? operation : "(none)", file ? file : "(none)",
                            parameters ? parameters : "(none)", show, inApartment});
}

// Every start of the player, a launch's or a dropped file's.
BOOL WINAPI WatchedShellExecuteEx(SHELLEXECUTEINFOA* start) {
    RecordStart(start->lpVerb, start->lpFile, start->lpParameters, start->nShow);
    if (watch.heldStarts) {
        WaitForSingleObject(watch.heldStarts, INFINITE);
        start->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_FNF);
        return FALSE;
    }
    return watch.shellExecuteEx(start);
}

int CaptureMessageBox(HWND owner, std::string text, std::string caption, UINT flags) {
    std::lock_guard<std::mutex> guard(watch.lock);
    watch.messages.push_back({GetTickCount(), owner, std::move(text), std::move(caption), flags});
    return IDOK;
}

int WINAPI CapturedMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    return CaptureMessageBox(owner, text ? text : "", caption ? caption : "", flags);
}

std::string Utf8(LPCWSTR text) {
    if (!text) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

// A box in UTF-16 is kept in UTF-8.
int WINAPI CapturedMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
    return CaptureMessageBox(owner, Utf8(text), Utf8(caption), flags);
}

// Every thread the core starts; which worker each is, its name tells.
HANDLE WINAPI WatchedCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                  LPVOID parameter, DWORD flags, LPDWORD id) {
    if (watch.failingThreads > 0) {
        --watch.failingThreads;
        return nullptr;
    }
    HANDLE thread = watch.createThread(security, stack, start, parameter, flags, id);
    if (thread != nullptr) {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
        std::lock_guard<std::mutex> guard(watch.lock);
        watch.threads.push_back(copy);
    }
    return thread;
}

// Threads are named as they start; a name is gone once its thread has
// ended, so the names are kept as they are given.
HRESULT WINAPI RecordThreadName(HANDLE thread, PCWSTR name) {
    std::lock_guard<std::mutex> guard(watch.lock);
    watch.threadNames[GetThreadId(thread)] = name ? name : L"";
    return S_OK;
}

FARPROC WINAPI WatchedGetProcAddress(HMODULE module, LPCSTR name) {
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && std::strcmp(name, "SetThreadDescription") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordThreadName));
    return watch.getProcAddress(module, name);
}

// Those of them given name, in start order.
std::vector<HANDLE> ThreadsNamed(const wchar_t* name) {
    std::lock_guard<std::mutex> guard(watch.lock);
    std::vector<HANDLE> named;
    for (HANDLE thread : watch.threads) {
        const auto found = watch.threadNames.find(GetThreadId(thread));
        if (found != watch.threadNames.end() && found->second == name) named.push_back(thread);
    }
    return named;
}

std::vector<HANDLE> LaunchThreads() { return ThreadsNamed(L"Pelorin launch"); }

UINT_PTR WINAPI WatchedSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    {
        std::lock_guard<std::mutex> guard(watch.lock);
        watch.timerIds.push_back(id);
    }
    return watch.setTimer(window, id, elapse, callback);
}

LRESULT CALLBACK TestControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case MSG_LAUNCH_DONE: {
        const HANDLE before = pluginState.launchThread;
        FinishLaunch(wParam, lParam);
        std::lock_guard<std::mutex> guard(watch.lock);
        watch.launchDone.push_back(
            {GetTickCount(), wParam, before, pluginState.launchThread, pluginState.launchWatchdogTimer});
        return 0;
    }
    case MSG_COMMAND_DONE:
        FinishCommand(wParam, lParam);
        return 0;
    case WM_DROPFILES: {
        const DWORD start = GetTickCount();
        watch.failingThreads = watch.dropWorkersToFail;
        watch.dropWorkersToFail = 0;
        AcceptDroppedFiles(reinterpret_cast<HDROP>(wParam));
        watch.failingThreads = 0;
        watch.longestDropDispatchMs = std::max(watch.longestDropDispatchMs, GetTickCount() - start);
        ++watch.dropsAccepted;
        break;
    }
    case MSG_DROP_DONE:
        FinishDrop(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<std::unique_ptr<ScopedImportPatch>> patches;

void PatchOwnImport(const char* dll, const char* function, void* replacement, void** original) {
    patches.push_back(std::make_unique<ScopedImportPatch>(GetModuleHandleA(nullptr), dll, function, replacement));
    if (original != nullptr) *original = patches.back()->original();
}

DWORD ProcessIdOf(const std::string& startArgs) {
    return static_cast<DWORD>(std::strtoul(startArgs.c_str() + startArgs.find("PID=") + 4, nullptr, 10));
}

// The command line runs to the end of the START line; other fields end at a blank.
std::string FieldOf(const std::string& startArgs, const char* key) {
    const size_t at = startArgs.find(key);
    if (at == std::string::npos) return std::string();
    const size_t from = at + std::strlen(key);
    if (std::strcmp(key, kCommandLine) == 0) return startArgs.substr(from);
    return startArgs.substr(from, startArgs.find(' ', from) - from);
}

void EndProcess(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return;
    // A player still in its start delay, or waiting to hand over its
    // arguments, has no window to close.
    const HWND window = FindPlayerSimWindowOf(processId);
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    if (!window || !WaitUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 3000)) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 3000);
    }
    CloseHandle(process);
}

void ResetLaunchState() {
    pluginState.controlWindow = nullptr;
    pluginState.playerWindow = nullptr;
    pluginState.hotItem = HOT_NONE;
    pluginState.pendingCommand = HOT_NONE;
    pluginState.playerStatus = PLAYER_NOT_RUNNING;
    pluginState.launchThread = nullptr;
    pluginState.commandBusy = false;
    pluginState.launchWatchdogTimer = 0;
    pluginState.startupTimer = 0;
    pluginState.startupPending = true;
    pluginState.runAtStartup = false;
    pluginState.runMinimized = true;
    pluginState.dropBusy = false;
    pluginState.positionUnchanged = false;
    pluginState.volumeSteps = 5;
    launchTiming = {LAUNCH_WATCHDOG_MS, LAUNCH_WATCHDOG_MS};
}

void SetPlayerPath(const std::string& path) { lstrcpynA(playerPath, path.c_str(), kPlayerPathSize); }

}  // namespace

void LaunchTest::SetUp() {
    HostTest::SetUp();
    ResetLaunchState();
    ArmWorkerStop();
    hostContext = host.context;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestControlProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kControlClassName;
    RegisterClassA(&windowClass);
    control = CreateWindowExA(0, kControlClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 55, 23, host.taskbarWindow,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    pluginState.controlWindow = control;

    simPath = PlayerSimExePath();
    SetPlayerPath(simPath);
    ConfigureStartedPlayer(PlayerSimOptions{});

    PatchOwnImport("shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(&WatchedShellExecuteEx),
                   reinterpret_cast<void**>(&watch.shellExecuteEx));
    PatchOwnImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(&CapturedMessageBox), nullptr);
    PatchOwnImport("user32.dll", "MessageBoxW", reinterpret_cast<void*>(&CapturedMessageBoxW), nullptr);
    PatchOwnImport("kernel32.dll", "CreateThread", reinterpret_cast<void*>(&WatchedCreateThread),
                   reinterpret_cast<void**>(&watch.createThread));
    PatchOwnImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&WatchedGetProcAddress),
                   reinterpret_cast<void**>(&watch.getProcAddress));
    PatchOwnImport("user32.dll", "SetTimer", reinterpret_cast<void*>(&WatchedSetTimer),
                   reinterpret_cast<void**>(&watch.setTimer));
    for (const auto& patch : patches) ASSERT_TRUE(patch->active());
}

void LaunchTest::TearDown() {
    if (watch.heldStarts) SetEvent(watch.heldStarts);
    const std::vector<HANDLE> threads = LaunchThreads();
    // Launch threads repaint the control, so this thread keeps serving it.
    for (HANDLE thread : threads) {
        EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, kThreadEndTimeoutMs))
            << "a launch thread outlived its limit";
    }
    WaitUntil([] { return pluginState.launchThread == nullptr && !pluginState.commandBusy; }, 3000);
    StopWorkerThreads();
    StopTimer(control, &pluginState.launchWatchdogTimer);
    StopTimer(control, &pluginState.startupTimer);
    if (pluginState.launchThread) CloseHandle(pluginState.launchThread);
    if (control) DestroyWindow(control);
    ResetLaunchState();

    StopPlayerSim(&runningPlayer);
    for (const PlayerSimLogEntry& entry : Log()) {
        if (entry.kind == "START") EndProcess(ProcessIdOf(entry.args));
    }
    EXPECT_TRUE(WaitUntil([] { return FindPlayerSimWindow() == nullptr; }, 5000));

    patches.clear();
    {
        std::lock_guard<std::mutex> guard(watch.lock);
        for (HANDLE thread : watch.threads) CloseHandle(thread);
        watch.threadNames.clear();
        watch.starts.clear();
        watch.messages.clear();
        watch.launchDone.clear();
        watch.threads.clear();
        watch.timerIds.clear();
        watch.longestDropDispatchMs = 0;
    }
    if (watch.heldStarts) CloseHandle(watch.heldStarts);
    watch.heldStarts = nullptr;
    watch.dropWorkersToFail = 0;
    SetPlayerPath("");
    HostTest::TearDown();
}

void LaunchTest::PressCell(int cell) {
    pluginState.hotItem = cell;
    ActivateCell();
}

void LaunchTest::StartRunningPlayer(PlayerSimState state) {
    PlayerSimOptions playing;
    playing.state = state;
    playing.logPath = simLogPath;
    runningPlayer = StartPlayerSim(playing);
    ASSERT_NE(runningPlayer.window, nullptr) << runningPlayer.failure;
}

void LaunchTest::ConfigurePlayerLaterThan(DWORD startLimitMs) {
    PlayerSimOptions never;
    never.startDelayMs = 15000;
    ConfigureStartedPlayer(never);
    launchTiming.startLimitMs = startLimitMs;
}

void LaunchTest::ConfigureStartedPlayer(const PlayerSimOptions& started) {
    PlayerSimOptions withLog = started;
    withLog.logPath = simLogPath;
    simLogPath = ConfigurePlayerSim(withLog).logPath;
}

void LaunchTest::PostDrop(const std::vector<std::string>& names) {
    HGLOBAL list = MakeDropList(names, {20, 10});
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(PostMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0));
}

void LaunchTest::PostDrop(const std::vector<std::wstring>& names) {
    HGLOBAL list = MakeWideDropList(names, {20, 10});
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(PostMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0));
}

namespace {

void WaitForDropEnd(int acceptedBefore) {
    ASSERT_TRUE(WaitUntil([&] { return watch.dropsAccepted > acceptedBefore && !pluginState.dropBusy; }, 60000));
}

}  // namespace

void LaunchTest::DropFiles(const std::vector<std::string>& names) {
    const int accepted = watch.dropsAccepted;
    PostDrop(names);
    WaitForDropEnd(accepted);
}

void LaunchTest::DropFiles(const std::vector<std::wstring>& names) {
    const int accepted = watch.dropsAccepted;
    PostDrop(names);
    WaitForDropEnd(accepted);
}

std::vector<std::string> LaunchTest::Started(const char* field) const {
    std::vector<std::string> values;
    for (const PlayerSimLogEntry& entry : Log()) {
        if (entry.kind == "START" && ProcessIdOf(entry.args) != runningPlayer.processId) {
            values.push_back(FieldOf(entry.args, field));
        }
    }
    return values;
}

bool LaunchTest::LaunchIdle() const {
    return pluginState.launchThread == nullptr && pluginState.launchWatchdogTimer == 0;
}

bool LaunchTest::WaitForLaunchEnd(DWORD timeoutMs) {
    return WaitUntil([this] { return LaunchIdle(); }, timeoutMs);
}

std::vector<ShellStart> LaunchTest::ShellStarts() {
    std::lock_guard<std::mutex> guard(watch.lock);
    return watch.starts;
}

std::vector<ShownMessage> LaunchTest::Messages() {
    std::lock_guard<std::mutex> guard(watch.lock);
    return watch.messages;
}

std::vector<LaunchDonePost> LaunchTest::LaunchDonePosts() {
    std::lock_guard<std::mutex> guard(watch.lock);
    return watch.launchDone;
}

void LaunchTest::UseLauncher() {
    launcherPath = ExeFolder() + "\\" + kLauncherExeName;
    SetPlayerPath(launcherPath);
}

bool LaunchTest::LauncherRunning() { return !ProcessIdsNamed(kLauncherExeName).empty(); }

void LaunchTest::HoldStarts() { watch.heldStarts = CreateEventA(nullptr, TRUE, FALSE, nullptr); }

void LaunchTest::FailDropWorkers(int count) { watch.dropWorkersToFail = count; }

DWORD LaunchTest::LongestDropDispatchMs() { return watch.longestDropDispatchMs; }

int LaunchTest::LaunchThreadsCreated() { return static_cast<int>(LaunchThreads().size()); }

int LaunchTest::DropWorkersCreated() { return static_cast<int>(ThreadsNamed(L"Pelorin drop").size()); }

DWORD LaunchTest::DropWorkerThreadId() {
    const std::vector<HANDLE> workers = ThreadsNamed(L"Pelorin drop");
    return workers.empty() ? 0 : GetThreadId(workers.back());
}

DWORD LaunchTest::LaunchThreadId(int index) { return GetThreadId(LaunchThreads().at(static_cast<size_t>(index))); }

int LaunchTest::TimersSet(UINT_PTR id) {
    std::lock_guard<std::mutex> guard(watch.lock);
    int count = 0;
    for (UINT_PTR set : watch.timerIds) count += set == id;
    return count;
}


