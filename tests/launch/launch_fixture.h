// A stand-in control window for the launch and drop operations, with the
// host's windows behind it, the player simulator as the player's program,
// and the plug-in core's calls to the system watched through this test
// program's import table (the core is linked in, so its imports are ours).
#pragma once

#include "tests/support/test_support.h"
#include "testbed/player/player_sim_client.h"

#include <windows.h>
#include <string>
#include <vector>

constexpr char kShowCommand[] = "SW=";
constexpr char kCommandLine[] = "CMDLINE=";

struct ShellStart {
    DWORD tick;
    std::string operation;
    std::string file;
    std::string parameters;  // "(none)" for a null pointer
    int show;
    bool inApartment;  // the calling thread had COM in a single-threaded apartment
};

struct ShownMessage {
    DWORD tick;
    HWND owner;
    std::string text;  // UTF-8 for a box in UTF-16
    std::string caption;
    UINT flags;
};

// One MSG_LAUNCH_DONE as the control window received it.
struct LaunchDonePost {
    DWORD tick;
    WPARAM poster;
    HANDLE threadBefore;
    HANDLE threadAfter;
    UINT_PTR watchdogAfter;
};

class LaunchTest : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Presses a cell as the control's release does.
    void PressCell(int cell);
    // Starts the simulator as a running player that this test stops.
    void StartRunningPlayer(PlayerSimState state);
    // Simulator options for players the plug-in starts from now on.
    void ConfigureStartedPlayer(const PlayerSimOptions& started);
    // Players started from now on open no window before startLimitMs, which
    // becomes the launch's start limit.
    void ConfigurePlayerLaterThan(DWORD startLimitMs);
    // Posts WM_DROPFILES with these names (ANSI, or UTF-16).
    void PostDrop(const std::vector<std::string>& names);
    void PostDrop(const std::vector<std::wstring>& names);
    // Posts it and waits until the drop has ended.
    void DropFiles(const std::vector<std::string>& names);
    void DropFiles(const std::vector<std::wstring>& names);

    std::vector<PlayerSimLogEntry> Log() const { return ReadPlayerSimLog(simLogPath); }
    // A field (kShowCommand, kCommandLine) of every player start the
    // plug-in made, in log order.
    std::vector<std::string> Started(const char* field) const;
    bool LaunchIdle() const;
    bool WaitForLaunchEnd(DWORD timeoutMs);

    // From now on the plug-in starts the player through the stand-in
    // launcher, which starts it and ends at once.
    void UseLauncher();
    // Whether a stand-in launcher still runs.
    static bool LauncherRunning();

    // From now on every start of a program is held, as by a security
    // prompt, until TearDown; then it fails.
    static void HoldStarts();
    // The next drop accepted gets no thread for the next count the core
    // asks for (the drop worker first, unless it already runs).
    static void FailDropWorkers(int count);

    // What the core asked of the system since SetUp.
    static std::vector<ShellStart> ShellStarts();
    static std::vector<ShownMessage> Messages();
    static std::vector<LaunchDonePost> LaunchDonePosts();
    static int LaunchThreadsCreated();
    static int DropWorkersCreated();
    // The thread id of the latest drop worker, 0 before the first.
    static DWORD DropWorkerThreadId();
    // The longest time WM_DROPFILES held the control's thread.
    static DWORD LongestDropDispatchMs();
    static DWORD LaunchThreadId(int index);
    static int TimersSet(UINT_PTR id);

    HWND control = nullptr;
    std::string simLogPath;
    std::string simPath;
    std::string launcherPath;
    PlayerSimProcess runningPlayer;
};
