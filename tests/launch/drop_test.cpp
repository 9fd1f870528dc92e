// Files dropped on the control reach the player one start per file, in
// order, appended or opened as the player's state and Shift decide; the
// drop's waits end even when the player never opens or the watchdog
// cannot start.
#include "tests/launch/launch_fixture.h"

#include "player/launch.h"
#include "player/launch_timing.h"
#include "player/player_path.h"
#include "plugin/state/plugin_state.h"

namespace {

const std::vector<std::string> kFiles = {"C:\\Music\\one.mp3", "C:\\My Music\\two.mp3", "D:\\three.ogg"};
constexpr DWORD kDropStepMs = 250;

std::vector<std::string> Appended(const char* first) {
    return {first, "/ADD \"C:\\My Music\\two.mp3\"", "/ADD \"D:\\three.ogg\""};
}
const char kFirstAppended[] = "/ADD \"C:\\Music\\one.mp3\"";
const char kFirstOpened[] = "\"C:\\Music\\one.mp3\"";

// Holds Shift as a user would.
class ShiftHold {
public:
    ShiftHold() { Send(0); }
    ~ShiftHold() { Send(KEYEVENTF_KEYUP); }

private:
    static void Send(DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_SHIFT;
        input.ki.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    }
};

class DropTest : public LaunchTest {
protected:
    // The drop's starts as the core made them and as the player saw them.
    void ExpectDelivered(const std::vector<std::string>& lines) {
        const std::vector<ShellStart> starts = ShellStarts();
        ASSERT_EQ(starts.size(), lines.size());
        for (size_t i = 0; i < starts.size(); ++i) {
            EXPECT_EQ(starts[i].parameters, lines[i]);
            EXPECT_EQ(starts[i].operation, "");
            EXPECT_EQ(starts[i].file, simPath);
            EXPECT_EQ(starts[i].show, SW_MINIMIZE);
            if (i > 0) {
                EXPECT_GE(starts[i].tick - starts[i - 1].tick, kDropStepMs);
            }
        }
        ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "COPYDATA", "", static_cast<int>(lines.size()), 10000));
        EXPECT_EQ(Started(kCommandLine), lines);
    }
};

TEST_F(DropTest, OnAPlayingPlayerEveryFileIsAppended) {
    StartRunningPlayer(PlayerSimState::Playing);
    pluginState.playerStatus = PLAYER_PLAYING;
    DropFiles(kFiles);
    EXPECT_FALSE(pluginState.dropBusy);
    ExpectDelivered(Appended(kFirstAppended));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DropTest, OnAStoppedPlayerTheFirstFileIsOpened) {
    StartRunningPlayer(PlayerSimState::Stopped);
    pluginState.playerStatus = PLAYER_STOPPED;
    DropFiles(kFiles);
    ExpectDelivered(Appended(kFirstOpened));
}

TEST_F(DropTest, ShiftAppendsTheFirstFileToAStoppedPlayer) {
    StartRunningPlayer(PlayerSimState::Stopped);
    pluginState.playerStatus = PLAYER_STOPPED;
    // A window appearing under the pointer reaches Wine as window-system
    // events that reset the keyboard state when they are handled; let the
    // player's be handled before Shift goes down. The pointer stays put.
    PumpMessages(300);
    {
        ShiftHold shift;
        ASSERT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
        DropFiles(kFiles);
    }
    ExpectDelivered(Appended(kFirstAppended));
}

TEST_F(DropTest, DuringALaunchNoSecondThreadIsStarted) {
    PlayerSimOptions slow;
    slow.state = PlayerSimState::Stopped;
    slow.startDelayMs = 1500;
    ConfigureStartedPlayer(slow);
    StartLaunch();
    // The launch has started the player, whose window is not there yet.
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "START", "", 1, 10000));
    DropFiles(kFiles);
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    ASSERT_TRUE(WaitForLaunchEnd(10000));
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    EXPECT_TRUE(Messages().empty());
    // The player came up stopped, so the first file is opened.
    std::vector<std::string> lines = Appended(kFirstOpened);
    lines.insert(lines.begin(), "");
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "START", "", 4, 10000));
    EXPECT_EQ(Started(kCommandLine), lines);
}

TEST_F(DropTest, EndsWhenTheWatchdogCannotStart) {
    StartRunningPlayer(PlayerSimState::Playing);
    pluginState.playerStatus = PLAYER_PLAYING;
    FailWatchdogTimer(true);
    DropFiles({kFiles[0]});
    EXPECT_EQ(pluginState.launchWatchdogTimer, 0u);
    ExpectDelivered({kFirstAppended});
    // The launch thread's own post still ends the launch.
    EXPECT_TRUE(WaitForLaunchEnd(5000));
}

TEST_F(DropTest, EachFilesWaitEndsAtTheStartLimit) {
    PlayerSimOptions never;
    never.startDelayMs = 15000;
    ConfigureStartedPlayer(never);
    launchTiming.startLimitMs = 1000;
    const DWORD dropped = GetTickCount();
    DropFiles({kFiles[0], kFiles[1]});
    // Half a second of head start, at most the limit for the launch, then at
    // most the limit and a step per file.
    EXPECT_LT(GetTickCount() - dropped, 500u + 1000u + 2 * (1000u + kDropStepMs) + 1500u);
    int duringDrop = 0;
    for (const ShownMessage& message : Messages()) {
        if (message.duringDrop) {
            ++duringDrop;
            EXPECT_EQ(message.text, "Error loading player!\r" + simPath);
        }
    }
    // The launch's own give-up, then one per file.
    EXPECT_EQ(duringDrop, 3);
}

// The drop waits on a worker, so a launch it needs runs meanwhile instead
// of after it, and no file is handed to a player that has no window yet
// (a real player would start a second instance for it).
TEST_F(DropTest, OnAPlayerNotRunningTheLaunchGoesFirstAndTheFilesFollowItsWindow) {
    PlayerSimOptions slow;
    slow.startDelayMs = 1500;
    ConfigureStartedPlayer(slow);
    DropFiles(kFiles);
    const std::vector<ShellStart> starts = ShellStarts();
    ASSERT_EQ(starts.size(), 4u);
    EXPECT_EQ(starts[0].parameters, "(none)") << "the launch's start";
    for (size_t i = 1; i < starts.size(); ++i) EXPECT_TRUE(starts[i].playerWindowExisted) << i;
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DropTest, ANameOfAnyLengthReachesThePlayerWhole) {
    StartRunningPlayer(PlayerSimState::Playing);
    pluginState.playerStatus = PLAYER_PLAYING;
    const std::string longName = "C:\\Music\\" + std::string(300, 'x') + ".mp3";
    DropFiles({longName, kFiles[1]});
    ExpectDelivered({"/ADD \"" + longName + "\"", "/ADD \"C:\\My Music\\two.mp3\""});
}

// A box about one file of a drop runs a modal loop; a drop arriving there
// must wait its turn rather than run inside the first.
TEST_F(DropTest, ADropArrivingWhileAFailureBoxIsOpenWaitsBehindTheRunningDrop) {
    PublishPlayerPath("C:\\nowhere\\player.exe");
    // The launch says first that the player cannot be started; the next box
    // is about the drop's first file.
    WhileNextMessageBoxIsOpen([&] {
        WhileNextMessageBoxIsOpen([&] {
            PostDrop({"C:\\late.mp3"});
            PumpMessages(1500);
        });
    });
    DropFiles({kFiles[0], kFiles[1]});
    ASSERT_TRUE(WaitUntil([] { return !pluginState.dropBusy; }, 10000));
    std::vector<std::string> order;
    for (const ShellStart& start : ShellStarts()) order.push_back(start.parameters);
    EXPECT_EQ(order, (std::vector<std::string>{kFirstOpened, "/ADD \"C:\\My Music\\two.mp3\"", "\"C:\\late.mp3\""}));
}

// A start that is slow to hand its file over must not be overtaken by the
// next file's start.
TEST_F(DropTest, FilesReachThePlayerInOrderWhenOneStartIsSlow) {
    StartRunningPlayer(PlayerSimState::Playing);
    pluginState.playerStatus = PLAYER_PLAYING;
    PlayerSimOptions slowFirst;
    slowFirst.forwardDelayMs = 1500;
    slowFirst.forwardDelayFor = "one.mp3";
    ConfigureStartedPlayer(slowFirst);
    DropFiles({kFiles[0], kFiles[1]});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "COPYDATA", "", 2, 10000));
    std::vector<std::string> taken;
    for (const PlayerSimLogEntry& entry : Log())
        if (entry.kind == "COPYDATA") taken.push_back(entry.args);
    EXPECT_EQ(taken, (std::vector<std::string>{kFirstAppended, "/ADD \"C:\\My Music\\two.mp3\""}));
}

}  // namespace
