// Starting the player from a press, from the start-up timer and from a
// second request, and giving up on it: what the player simulator saw, what
// the user was told, and what the launch state holds afterwards.
#include "tests/launch/launch_fixture.h"

#include "control/control_handlers.h"
#include "player/launch.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_protocol.h"

#include <atomic>
#include <functional>
#include <thread>

namespace {

constexpr int kOnOff = 0;
constexpr int kPlay = 1;
constexpr int kOpen = 6;
constexpr DWORD kPlayerStartTimeoutMs = 20000;
const char kFailureText[] = "Error loading player!\r";

int CommandsLogged(const std::vector<PlayerSimLogEntry>& log) { return CountPlayerSimLog(log, "COMMAND"); }

TEST_F(LaunchTest, PlayWithoutPlayerStartsItMinimisedThenPlaysOnce) {
    PressCell(kPlay);
    EXPECT_EQ(pluginState.pendingCommand, kPlay);
    EXPECT_NE(pluginState.launchThread, nullptr);

    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "COMMAND", "40045", 1, kPlayerStartTimeoutMs));
    PumpMessages(1500);
    EXPECT_EQ(CommandsLogged(Log()), 1);
    EXPECT_EQ(Started(kShowCommand), std::vector<std::string>{"6"});
    EXPECT_EQ(Started(kCommandLine), std::vector<std::string>{""});
    const std::vector<ShellStart> starts = ShellStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].operation, "");
    EXPECT_EQ(starts[0].file, simPath);
    EXPECT_EQ(starts[0].parameters, "(none)");
    EXPECT_TRUE(starts[0].inApartment) << "ShellExecuteEx wants COM on its thread";
    EXPECT_EQ(pluginState.pendingCommand, HOT_NONE);
    EXPECT_TRUE(LaunchIdle());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LaunchTest, OnOffStartsPlayerShownAsSetAndSendsNothing) {
    pluginState.runMinimized = false;
    PressCell(kOnOff);
    ASSERT_TRUE(WaitForLaunchEnd(kPlayerStartTimeoutMs));
    PumpMessages(1500);
    EXPECT_EQ(Started(kShowCommand), std::vector<std::string>{"5"});
    EXPECT_EQ(CommandsLogged(Log()), 0);
    EXPECT_EQ(pluginState.pendingCommand, HOT_NONE);
    EXPECT_NE(FindPlayerSimWindow(), nullptr);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LaunchTest, CellsThatNeedARunningPlayerDoNothingWithoutOne) {
    for (int cell : {2, 3, 4, 7, 8, 9, HOT_DISPLAY, HOT_POSITION_BAR, HOT_NONE}) {
        PressCell(cell);
        EXPECT_EQ(pluginState.pendingCommand, HOT_NONE) << "cell " << cell;
    }
    PumpMessages(1500);
    EXPECT_EQ(LaunchThreadsCreated(), 0);
    EXPECT_FALSE(pluginState.commandBusy);
    EXPECT_EQ(TimersSet(TIMER_LAUNCH_WATCHDOG), 0);
    EXPECT_TRUE(ShellStarts().empty());
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LaunchTest, OpenIsRememberedLikePlay) {
    PressCell(kOpen);
    EXPECT_EQ(pluginState.pendingCommand, kOpen);
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "COMMAND", "40029", 1, kPlayerStartTimeoutMs));
    EXPECT_EQ(pluginState.pendingCommand, HOT_NONE);
}

// A launch whose player goes away at once (the user closed it, or it died
// at its start) is over: it is no failure to load, and the next press,
// "Run Winamp" or drop starts the player again straight away.
TEST_F(LaunchTest, APlayerThatCameAndWentLeavesNoLaunchBehind) {
    const std::vector<std::function<void()>> nextStarts = {
        [this] { PressCell(kPlay); },
        [] { OnMenuCommand(CMD_RUN_PLAYER); },
        [this] { PostDrop({"C:\\Music\\one.mp3"}); },
    };
    int starts = 0;
    for (const auto& startAgain : nextStarts) {
        StartLaunch();
        ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "START", "", ++starts, 10000));
        ASSERT_TRUE(WaitUntil([] { return FindPlayerSimWindow() != nullptr; }, 10000));
        PostMessageA(FindPlayerSimWindow(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([] { return FindPlayerSimWindow() == nullptr; }, 5000));
        ASSERT_TRUE(WaitForLaunchEnd(3000)) << "the launch waits for a player that went away";

        startAgain();
        ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "START", "", ++starts, 3000)) << "no new start at once";
        ASSERT_TRUE(WaitUntil([] { return FindPlayerSimWindow() != nullptr; }, 10000));
        // The replayed press, too, must have reached the player before it goes.
        ASSERT_TRUE(WaitUntil(
            [this] { return LaunchIdle() && !pluginState.dropBusy && !pluginState.commandBusy; }, 10000));
        starts = CountPlayerSimLog(Log(), "START");
        PostMessageA(FindPlayerSimWindow(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([] { return FindPlayerSimWindow() == nullptr; }, 5000));
    }
    EXPECT_EQ(CountPlayerSimLog(Log(), "COMMAND", "40045"), 1) << "the press, replayed once";
    EXPECT_EQ(CountPlayerSimLog(Log(), "ENQUEUE"), 1) << "the dropped file";
    EXPECT_TRUE(Messages().empty());
}

class LaunchFailure : public LaunchTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(LaunchFailure, ReportedWithThePath) {
    const std::string path = GetParam()[0] ? scratchDir + GetParam() : std::string();
    lstrcpynA(playerPath, path.c_str(), kPlayerPathSize);
    PressCell(kPlay);
    ASSERT_TRUE(WaitUntil([] { return !Messages().empty(); }, 5000));
    PumpMessages(500);

    const std::vector<ShownMessage> messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kFailureText + path);
    EXPECT_EQ(messages[0].caption, "Pelorin");
    EXPECT_EQ(messages[0].flags, static_cast<UINT>(MB_ICONERROR | MB_TOPMOST));
    EXPECT_EQ(messages[0].owner, nullptr);
    EXPECT_TRUE(ShellStarts().empty());
    EXPECT_TRUE(host.modalMessages.empty());
    EXPECT_EQ(pluginState.pendingCommand, HOT_NONE);
    EXPECT_TRUE(LaunchIdle());
}

INSTANTIATE_TEST_SUITE_P(EmptyOrMissing, LaunchFailure, ::testing::Values("", "\\no such folder\\player.exe"));

TEST_F(LaunchTest, StartupTickLaunchesOnceAndStopsItsTimer) {
    pluginState.runAtStartup = true;
    // As start-up arms it, with a delay short enough for a test.
    pluginState.startupTimer = SetTimer(control, TIMER_STARTUP, 200, StartupLaunch);
    ASSERT_NE(pluginState.startupTimer, 0u);

    ASSERT_TRUE(WaitUntil([] { return !pluginState.startupPending; }, 5000));
    EXPECT_EQ(pluginState.startupTimer, 0u);
    ASSERT_TRUE(WaitForLaunchEnd(kPlayerStartTimeoutMs));
    PumpMessages(1000);
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    EXPECT_EQ(Started(kShowCommand), std::vector<std::string>{"6"});
    EXPECT_EQ(CommandsLogged(Log()), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LaunchTest, StartupTickWithPlayerRunningStartsNothing) {
    StartRunningPlayer(PlayerSimState::Stopped);
    pluginState.runAtStartup = true;
    pluginState.startupTimer = SetTimer(control, TIMER_STARTUP, 200, StartupLaunch);
    ASSERT_TRUE(WaitUntil([] { return !pluginState.startupPending; }, 5000));
    ASSERT_TRUE(WaitForLaunchEnd(5000));
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    EXPECT_TRUE(ShellStarts().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LaunchTest, StartupTickWithoutRunAtStartupOnlyStopsItself) {
    pluginState.startupTimer = SetTimer(control, TIMER_STARTUP, 200, StartupLaunch);
    ASSERT_TRUE(WaitUntil([] { return !pluginState.startupPending; }, 5000));
    PumpMessages(600);
    EXPECT_EQ(pluginState.startupTimer, 0u);
    EXPECT_EQ(LaunchThreadsCreated(), 0);
    EXPECT_TRUE(LaunchIdle());
}

TEST_F(LaunchTest, TwoStartsInARowMakeOneThreadAndOneWatchdog) {
    StartRunningPlayer(PlayerSimState::Playing);
    StartLaunch();
    const HANDLE first = pluginState.launchThread;
    StartLaunch();
    EXPECT_EQ(pluginState.launchThread, first);
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    EXPECT_EQ(TimersSet(TIMER_LAUNCH_WATCHDOG), 1);
    ASSERT_TRUE(WaitForLaunchEnd(5000));
    EXPECT_TRUE(ShellStarts().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LaunchTest, WatchdogGivesUpThenTheLatePostChangesNothing) {
    PlayerSimOptions slow;
    slow.startDelayMs = 3000;
    ConfigureStartedPlayer(slow);
    launchTiming.watchdogMs = 1000;
    PressCell(kPlay);

    ASSERT_TRUE(WaitUntil([] { return !Messages().empty(); }, 5000));
    EXPECT_EQ(Messages()[0].text, kFailureText + simPath);
    EXPECT_EQ(pluginState.pendingCommand, HOT_NONE);
    EXPECT_TRUE(LaunchIdle());

    // The written-off thread sees the player later and posts its own end.
    const DWORD threadId = LaunchThreadId(0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const LaunchDonePost& post : LaunchDonePosts()) {
                if (post.poster == threadId) return true;
            }
            return false;
        },
        kPlayerStartTimeoutMs));
    EXPECT_NE(FindPlayerSimWindow(), nullptr);
    PumpMessages(1500);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(CommandsLogged(Log()), 0) << "the dropped Play must not come back";
    EXPECT_TRUE(LaunchIdle());
    EXPECT_EQ(LaunchThreadsCreated(), 1);
}

TEST_F(LaunchTest, WrittenOffThreadCannotEndANewerLaunch) {
    // Players that never open a window: each launch thread follows its own
    // until the start limit, long after the first watchdog gave up.
    ConfigurePlayerLaterThan(1500);
    launchTiming.watchdogMs = 200;
    StartLaunch();
    ASSERT_TRUE(WaitUntil([] { return Messages().size() == 1; }, 3000));
    launchTiming.watchdogMs = LAUNCH_WATCHDOG_MS;
    StartLaunch();
    const HANDLE newer = pluginState.launchThread;
    ASSERT_NE(newer, nullptr);
    const DWORD oldId = LaunchThreadId(0);

    ASSERT_TRUE(WaitUntil([] { return LaunchDonePosts().size() >= 3; }, 5000));
    const std::vector<LaunchDonePost> posts = LaunchDonePosts();
    EXPECT_EQ(posts[0].poster, 0u);
    ASSERT_EQ(posts[1].poster, oldId);
    EXPECT_EQ(posts[1].threadBefore, newer);
    EXPECT_EQ(posts[1].threadAfter, newer);
    EXPECT_NE(posts[1].watchdogAfter, 0u);
    EXPECT_EQ(posts[2].poster, LaunchThreadId(1));
    EXPECT_EQ(posts[2].threadAfter, nullptr);
    EXPECT_EQ(posts[2].watchdogAfter, 0u);
    EXPECT_TRUE(WaitUntil([] { return Messages().size() == 2; }, 3000));
}

TEST_F(LaunchTest, LaunchThreadGivesUpAtTheStartLimit) {
    ConfigurePlayerLaterThan(1500);
    const DWORD pressed = GetTickCount();
    PressCell(kOnOff);

    ASSERT_TRUE(WaitUntil([] { return !LaunchDonePosts().empty(); }, 10000));
    const LaunchDonePost post = LaunchDonePosts()[0];
    EXPECT_EQ(post.poster, LaunchThreadId(0));
    EXPECT_GE(post.tick - pressed, 1500u);
    EXPECT_LT(post.tick - pressed, 5000u);
    EXPECT_TRUE(LaunchIdle());
    ASSERT_TRUE(WaitUntil([] { return Messages().size() == 1; }, 3000));
    EXPECT_EQ(Messages()[0].text, kFailureText + simPath);
}

// The player's program named as the path may be a launcher that starts the
// player and ends before the player's window exists; the launch waits for
// that window all the same. The player here takes its time, so the
// launcher has surely ended first.
class LauncherTest : public LaunchTest {
protected:
    void SetUp() override {
        LaunchTest::SetUp();
        ConfigureLauncher(false, false);
        UseLauncher();
    }
    void ConfigureLauncher(bool windowlessChild, bool middleProcess) {
        PlayerSimOptions slow;
        slow.startDelayMs = 1500;
        slow.launcherWindowlessChild = windowlessChild;
        slow.launcherPlayerAfterMs = windowlessChild ? 200 : 0;
        slow.launcherMiddleProcess = middleProcess;
        ConfigureStartedPlayer(slow);
    }
    void ExpectLauncherGoneBeforeThePlayersWindow() {
        ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "START", "", 1, 10000)) << "the launcher started no player";
        ASSERT_TRUE(WaitUntil([] { return !LauncherRunning(); }, 5000));
        ASSERT_EQ(FindPlayerSimWindow(), nullptr) << "the player's window came before the launcher ended";
    }
};

// Only the start limit passing without a player's window is a failure to
// load; the launcher's end is not.
TEST_F(LauncherTest, NoPlayersWindowByTheStartLimitFailsToLoad) {
    ConfigurePlayerLaterThan(2000);
    const DWORD pressed = GetTickCount();
    PressCell(kPlay);

    ASSERT_TRUE(WaitUntil([] { return !Messages().empty(); }, 10000));
    EXPECT_GE(Messages()[0].tick - pressed, 2000u);
    EXPECT_EQ(Messages()[0].text, kFailureText + launcherPath);
    EXPECT_TRUE(LaunchIdle());
    EXPECT_EQ(pluginState.pendingCommand, HOT_NONE);
    EXPECT_FALSE(LauncherRunning());
}

// How the launcher gets to the player: at once; past a windowless child of
// its own (a console host) that ends a little after it, the player 200 ms
// after that child; or through a process between (cmd's start, a script
// host) that starts the player and ends at once, the launcher 500 ms later,
// so that the player's parent is gone by the time the launcher ends.
struct LauncherKind {
    const char* name;
    bool windowlessChild;
    bool middleProcess;
};

void PrintTo(const LauncherKind& kind, std::ostream* out) { *out << kind.name; }

class LauncherKindTest : public LauncherTest, public ::testing::WithParamInterface<LauncherKind> {
protected:
    void SetUp() override {
        LauncherTest::SetUp();
        ConfigureLauncher(GetParam().windowlessChild, GetParam().middleProcess);
    }
};

TEST_P(LauncherKindTest, ThePressReachesThePlayerOnceItsWindowComes) {
    PressCell(kPlay);
    ASSERT_NO_FATAL_FAILURE(ExpectLauncherGoneBeforeThePlayersWindow());

    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "COMMAND", "40045", 1, kPlayerStartTimeoutMs)) << "the press was lost";
    PumpMessages(1500);
    EXPECT_EQ(CommandsLogged(Log()), 1);
    ASSERT_EQ(ShellStarts().size(), 1u);
    EXPECT_EQ(ShellStarts()[0].file, launcherPath);
    EXPECT_EQ(CountPlayerSimLog(Log(), "START"), 1);
    EXPECT_EQ(pluginState.pendingCommand, HOT_NONE);
    EXPECT_TRUE(LaunchIdle());
    EXPECT_TRUE(Messages().empty());
}

TEST_P(LauncherKindTest, DroppedFilesReachThePlayersPlaylist) {
    const std::vector<std::string> files = {"C:\\Music\\one.mp3", "C:\\My Music\\two.mp3"};
    PostDrop(files);
    ASSERT_NO_FATAL_FAILURE(ExpectLauncherGoneBeforeThePlayersWindow());

    ASSERT_TRUE(WaitUntil([] { return !pluginState.dropBusy; }, kPlayerStartTimeoutMs));
    ASSERT_NE(FindPlayerSimWindow(), nullptr) << "the drop ended before the player came";
    PumpMessages(500);
    EXPECT_TRUE(Messages().empty()) << Messages()[0].text;
    std::vector<std::string> enqueued;
    for (const PlayerSimLogEntry& entry : Log())
        if (entry.kind == "ENQUEUE") enqueued.push_back(entry.args);
    EXPECT_EQ(enqueued, (std::vector<std::string>{"\"" + files[0] + "\"", "\"" + files[1] + "\""}));
    LRESULT length = 0;
    ASSERT_TRUE(QueryPlayerSim(FindPlayerSimWindow(), 0, player_sim::kPlaylistLength, 3000, &length));
    EXPECT_EQ(length, 3 + 2) << "the player's own three tracks and the two dropped";
    EXPECT_EQ(CountPlayerSimLog(Log(), "START"), 1);
}

INSTANTIATE_TEST_SUITE_P(Launchers, LauncherKindTest,
                         ::testing::Values(LauncherKind{"Direct", false, false},
                                           LauncherKind{"WindowlessChild", true, false},
                                           LauncherKind{"MiddleProcess", false, true}),
                         [](const ::testing::TestParamInfo<LauncherKind>& kind) { return std::string(kind.param.name); });

}  // namespace
