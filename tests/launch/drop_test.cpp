// Files dropped on the control reach the player by message, in order, added
// to its playlist or in the playlist's place as the player's state and
// Shift decide, in any script; no second player is ever started for them,
// and what cannot be handed over is named to the user once.
#include "tests/launch/launch_fixture.h"
#include "tests/support/iat_patch.h"

#include "player/dropped_files.h"
#include "player/launch.h"
#include "player/launch_timing.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "testbed/player/player_sim_protocol.h"

namespace {

const std::vector<std::string> kFiles = {"C:\\Music\\one.mp3", "C:\\My Music\\two.mp3", "D:\\three.ogg"};
// The stand-in player's own playlist at start.
constexpr LRESULT kTracksAtStart = 3;
const std::wstring kCyrillic = L"\x0417\x0432\x0435\x0437\x0434\x0430.mp3";  // Звезда
const std::wstring kChinese = L"\x6B4C\x66F2.mp3";                             // 歌曲

using Steps = std::vector<std::string>;

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

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

class DropTest : public LaunchTest {
protected:
    // The hand-over as the player logged it: "clear", "add <name>" (ANSI),
    // "addw <name in UTF-8>", "choose 0", "play".
    Steps HandOver() const {
        Steps steps;
        for (const PlayerSimLogEntry& entry : Log()) {
            if (entry.kind == "ENQUEUE") steps.push_back("add " + entry.args);
            if (entry.kind == "ENQUEUEW") steps.push_back("addw " + entry.args);
            if (entry.kind == "USER" && entry.args == "0 101") steps.push_back("clear");
            if (entry.kind == "USER" && entry.args == "0 121") steps.push_back("choose 0");
            if (entry.kind == "USER" && entry.args == "0 102") steps.push_back("play");
        }
        return steps;
    }
    static Steps Added(const std::vector<std::string>& names) {
        Steps steps;
        for (const std::string& name : names) steps.push_back("add " + Quoted(name));
        return steps;
    }
    static Steps Replaced(const std::vector<std::string>& names) {
        Steps steps = Added(names);
        steps.insert(steps.begin(), "clear");
        steps.push_back("choose 0");
        steps.push_back("play");
        return steps;
    }
    LRESULT Ask(LPARAM code) const {
        LRESULT answer = -99;
        QueryPlayerSim(FindPlayerSimWindow(), 0, code, 3000, &answer);
        return answer;
    }
    // A file of that name in the scratch folder.
    std::wstring MakeFile(const std::wstring& name) const {
        std::wstring path(scratchDir.begin(), scratchDir.end());
        path += L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        return path;
    }
};

struct ModeCase {
    PlayerSimState state;
    bool shift;
    bool replaces;
};

class DropModeTest : public DropTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(DropModeTest, FilesAreAddedOrTakeThePlaylistsPlaceByMessageOnly) {
    const ModeCase c = GetParam();
    StartRunningPlayer(c.state);
    if (c.shift) {
        // A new window's events reset Wine's keyboard state once handled.
        PumpMessages(300);
        ShiftHold shift;
        ASSERT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
        DropFiles(kFiles);
    } else {
        DropFiles(kFiles);
    }
    ASSERT_TRUE(c.replaces ? WaitForPlayerSimLog(simLogPath, "USER", "0 102", 1, 5000)
                           : WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 3, 5000));
    EXPECT_EQ(HandOver(), c.replaces ? Replaced(kFiles) : Added(kFiles));
    EXPECT_EQ(Ask(player_sim::kPlaylistLength), c.replaces ? 3 : kTracksAtStart + 3);
    if (c.replaces) {
        EXPECT_EQ(Ask(player_sim::kPlaylistPosition), 0);
        EXPECT_EQ(Ask(player_sim::kQueryStatus), player_sim::kAnswerPlaying);
    }
    EXPECT_TRUE(ShellStarts().empty()) << "no player is started for a file";
    EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(PlayerAndShift, DropModeTest,
                         ::testing::Values(ModeCase{PlayerSimState::Playing, false, false},
                                           ModeCase{PlayerSimState::Paused, false, true},
                                           ModeCase{PlayerSimState::Stopped, false, true},
                                           ModeCase{PlayerSimState::Stopped, true, false}));

// The second drop is handed over after the first, by the same worker, and
// by the state the first left: the player plays by then, so its files are
// added.
TEST_F(DropTest, TwoQuickDropsKeepTheirOrderOnOneWorker) {
    StartRunningPlayer(PlayerSimState::Stopped);
    PostDrop(std::vector<std::string>{kFiles[0], kFiles[1]});
    DropFiles({kFiles[2], "E:\\four.mp3"});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 4, 5000));
    Steps expected = Replaced({kFiles[0], kFiles[1]});
    const Steps added = Added({kFiles[2], "E:\\four.mp3"});
    expected.insert(expected.end(), added.begin(), added.end());
    EXPECT_EQ(HandOver(), expected);
    EXPECT_EQ(DropWorkersCreated(), 1);
}

TEST_F(DropTest, ANameOfAnyLengthReachesThePlayerWhole) {
    StartRunningPlayer(PlayerSimState::Playing);
    const std::string longName = "C:\\Music\\" + std::string(300, 'x') + ".mp3";
    DropFiles({longName, kFiles[1]});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 2, 5000));
    EXPECT_EQ(HandOver(), Added({longName, kFiles[1]}));
}

// On this system's code page neither name fits: a Unicode window takes
// them in UTF-16, any other by their short names; a file that has neither
// is named to the user, and the others still go.
TEST_F(DropTest, NamesInAnyScriptReachAnAnsiAndAUnicodeWindow) {
    const std::wstring cyrillic = MakeFile(kCyrillic);
    const std::wstring chinese = MakeFile(kChinese);
    const std::wstring missing = std::wstring(scratchDir.begin(), scratchDir.end()) + L"\\missing-" + kChinese;
    StartRunningPlayer(PlayerSimState::Playing);
    DropFiles({cyrillic, missing, chinese});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 2, 5000));
    wchar_t shortCyrillic[MAX_PATH] = {}, shortChinese[MAX_PATH] = {};
    GetShortPathNameW(cyrillic.c_str(), shortCyrillic, MAX_PATH);
    GetShortPathNameW(chinese.c_str(), shortChinese, MAX_PATH);
    // The system spells the short name's extension in capitals; the player gets it in lower case.
    const auto sent = [](std::wstring shortName) { return shortName.replace(shortName.size() - 3, 3, L"mp3"); };
    EXPECT_EQ(HandOver(), (Steps{"add " + Quoted(Utf8(sent(shortCyrillic))), "add " + Quoted(Utf8(sent(shortChinese)))}));
    // Named once the worker's done post is served, after the player has the files.
    ASSERT_TRUE(WaitUntil([] { return Messages().size() == 1; }, 3000));
    EXPECT_NE(Messages()[0].text.find(Utf8(missing)), std::string::npos) << Messages()[0].text;
    EXPECT_EQ(Messages()[0].text.find(Utf8(cyrillic)), std::string::npos) << "a file that went is not named";

    StopPlayerSim(&runningPlayer);
    PlayerSimOptions unicode;
    unicode.utf8Caption = "Unicode - Winamp";
    unicode.logPath = simLogPath;
    runningPlayer = StartPlayerSim(unicode);
    ASSERT_TRUE(runningPlayer.window) << runningPlayer.failure;
    const size_t before = HandOver().size();
    DropFiles({cyrillic, chinese});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUEW", "", 2, 5000));
    const Steps steps = HandOver();
    EXPECT_EQ(Steps(steps.begin() + static_cast<long>(before), steps.end()),
              (Steps{"addw " + Quoted(Utf8(cyrillic)), "addw " + Quoted(Utf8(chinese))}));
}

// The player hangs as the drop begins: the files go once it answers again,
// each once, and the control's thread is never held meanwhile.
TEST_F(DropTest, APlayerHangingDuringTheDropGetsEachFileOnceAfterItWakes) {
    StartRunningPlayer(PlayerSimState::Playing);
    ASSERT_TRUE(SendPlayerSimControl(runningPlayer.window, "hang 2000"));
    const DWORD dropped = GetTickCount();
    DropFiles(kFiles);
    EXPECT_GE(GetTickCount() - dropped, 1500u) << "the files went to a hung player";
    EXPECT_LT(LongestDropDispatchMs(), 200u) << "the drop held the control's thread";
    PumpMessages(500);
    EXPECT_EQ(HandOver(), Added(kFiles));
    EXPECT_TRUE(Messages().empty());
}

// A player that ignores its command line gets the files all the same,
// whether it runs already or the drop starts it; nothing starts a second one.
TEST_F(DropTest, APlayerThatIgnoresItsCommandLineGetsTheFiles) {
    PlayerSimOptions ignoring;
    ignoring.ignoreCommandLine = true;
    ignoring.state = PlayerSimState::Stopped;
    ConfigureStartedPlayer(ignoring);
    DropFiles({kFiles[0]});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 1, 5000));
    DropFiles({kFiles[1]});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 2, 5000));
    Steps expected = Replaced({kFiles[0]});
    expected.push_back("add " + Quoted(kFiles[1]));
    EXPECT_EQ(HandOver(), expected);
    EXPECT_EQ(CountPlayerSimLog(Log(), "START"), 1) << "the launch's start only";
    EXPECT_EQ(CountPlayerSimLog(Log(), "IGNORED"), 0);
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    EXPECT_TRUE(Messages().empty());
}

// The drop waits for a launch under way, and for the player it brings up.
TEST_F(DropTest, ADropDuringALaunchWaitsForItsPlayer) {
    PlayerSimOptions slow;
    slow.state = PlayerSimState::Stopped;
    slow.startDelayMs = 1500;
    ConfigureStartedPlayer(slow);
    StartLaunch();
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "START", "", 1, 10000));
    DropFiles(kFiles);
    ASSERT_TRUE(WaitForLaunchEnd(10000));
    EXPECT_EQ(HandOver(), Replaced(kFiles));
    EXPECT_EQ(LaunchThreadsCreated(), 1);
    EXPECT_EQ(ShellStarts().size(), 1u);
    EXPECT_TRUE(Messages().empty());
}

// A player that never comes: the launch gives up at the start limit and
// says so, and the drop names its files, once each.
TEST_F(DropTest, FilesAPlayerNeverTookAreNamedOnce) {
    ConfigurePlayerLaterThan(1000);
    DropFiles({kFiles[0], kFiles[1]});
    ASSERT_TRUE(WaitUntil([] { return Messages().size() == 2; }, 5000));
    PumpMessages(300);
    std::vector<ShownMessage> messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    // Each box has a thread of its own: either may come first.
    if (messages[0].text.rfind("Error", 0) != 0) std::swap(messages[0], messages[1]);
    EXPECT_EQ(messages[0].text, "Error loading player!\r" + simPath);
    EXPECT_EQ(messages[1].text, "The player did not get these files:\r" + kFiles[0] + "\r" + kFiles[1]);
    EXPECT_EQ(messages[1].flags, static_cast<UINT>(MB_ICONERROR | MB_TOPMOST));
    EXPECT_TRUE(HandOver().empty());
}

// A start held in the system (a security prompt, a slow network drive)
// holds each drop, and the control's input, only to the start limit from
// that drop; a drop that came while the start was out does not start the
// player again, nor hear of its failure twice.
TEST_F(DropTest, AStartHeldInTheSystemHoldsEachDropOnlyToItsOwnStartLimit) {
    HoldStarts();
    launchTiming = {1000, 1000};
    const DWORD firstDropped = GetTickCount();
    PostDrop({kFiles[0]});
    PumpMessages(300);
    const DWORD secondDropped = GetTickCount();
    DropFiles({kFiles[1]});
    ASSERT_TRUE(WaitUntil([] { return Messages().size() >= 3; }, 5000));
    PumpMessages(1500);  // a second start would have failed by now
    const auto toldAt = [](const std::string& text) {
        for (const ShownMessage& message : Messages())
            if (message.text == text) return message.tick;
        return DWORD{0};
    };
    const DWORD firstTold = toldAt("The player did not get these files:\r" + kFiles[0]);
    const DWORD secondTold = toldAt("The player did not get these files:\r" + kFiles[1]);
    ASSERT_TRUE(firstTold && secondTold);
    // The limit, a step of the wait and the box's own thread.
    constexpr DWORD kLimitAndBoxMs = 1000 + 600;
    EXPECT_LE(firstTold - firstDropped, kLimitAndBoxMs);
    EXPECT_LE(secondTold - secondDropped, kLimitAndBoxMs);
    EXPECT_EQ(ShellStarts().size(), 1u);
    EXPECT_EQ(Messages().size(), 3u) << "one start, one failure";
}

// A player slow to carry out the clear (one just started, near the drop's
// limit) still gets the files after it: taking the clear for one not made
// would leave the user an emptied playlist and none of the files.
TEST_F(DropTest, AClearAnsweredLateIsStillFollowedByTheFiles) {
    StartRunningPlayer(PlayerSimState::Stopped);
    launchTiming.startLimitMs = 1000;
    ASSERT_TRUE(SendPlayerSimControl(runningPlayer.window, "clear-delay 1500"));
    DropFiles({kFiles[0], kFiles[1]});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "USER", "0 102", 1, 10000));
    EXPECT_EQ(HandOver(), Replaced({kFiles[0], kFiles[1]}));
    EXPECT_EQ(Ask(player_sim::kPlaylistLength), 2);
    EXPECT_TRUE(Messages().empty());
}

// A drop that gets no worker is named, and the next drop still goes.
TEST_F(DropTest, ADropWithoutAWorkerIsNamedAndTheNextDropGoes) {
    StartRunningPlayer(PlayerSimState::Playing);
    FailDropWorkers(1);
    DropFiles({kFiles[0]});
    EXPECT_FALSE(pluginState.dropBusy);
    DropFiles({kFiles[1]});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 1, 5000));
    EXPECT_EQ(HandOver(), Added({kFiles[1]}));
    ASSERT_TRUE(WaitUntil([] { return Messages().size() == 1; }, 3000));
    EXPECT_EQ(Messages()[0].text, "The player did not get these files:\r" + kFiles[0]);
}

// The drop worker's wait that wakes for the next job fails, as a wait on a
// handle no longer valid would: the job handed is lost with the worker.
std::atomic<DWORD> workerToFailOnceWoken{0};
decltype(&WaitForMultipleObjects) realWaitForMultiple = nullptr;
DWORD WINAPI WaitFailingOnceWoken(DWORD count, const HANDLE* handles, BOOL all, DWORD waitMs) {
    const DWORD woken = realWaitForMultiple(count, handles, all, waitMs);
    if (woken == WAIT_TIMEOUT || GetCurrentThreadId() != workerToFailOnceWoken.load()) return woken;
    workerToFailOnceWoken = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

// Its files are named at the control's next message, which the control
// takes, and the next drop goes.
TEST_F(DropTest, ADropLostWithItsWorkerIsNamedAndTheControlAnswersAgain) {
    StartRunningPlayer(PlayerSimState::Stopped);
    const auto patch = PatchTyped(GetModuleHandleA(nullptr), "kernel32.dll", "WaitForMultipleObjects",
                                  &WaitFailingOnceWoken, &realWaitForMultiple);
    ASSERT_TRUE(patch->active());
    DropFiles({kFiles[0]});
    const DWORD worker = DropWorkerThreadId();
    const HANDLE workerThread = OpenThread(SYNCHRONIZE, FALSE, worker);
    ASSERT_TRUE(workerThread);
    workerToFailOnceWoken = worker;
    PostDrop({kFiles[1]});
    EXPECT_TRUE(WaitUntil([workerThread] { return WaitForSingleObject(workerThread, 0) == WAIT_OBJECT_0; }, 3000));
    CloseHandle(workerThread);
    EXPECT_FALSE(DropBusy()) << "the control would stay deaf to clicks";
    ASSERT_TRUE(WaitUntil([] { return Messages().size() == 1; }, 3000)) << "the lost drop was not named";
    EXPECT_EQ(Messages()[0].text, "The player did not get these files:\r" + kFiles[1]);
    DropFiles({kFiles[2]});
    EXPECT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 2, 5000)) << "the next drop";
}

// A playing player that the control shows standing still (paused) has its
// playlist replaced, as a paused one; the replacement plays, so a drop
// after it is added.
TEST_F(DropTest, APlayerShownStandingStillIsTreatedAsPaused) {
    StartRunningPlayer(PlayerSimState::Playing);
    pluginState.positionUnchanged = true;
    DropFiles({kFiles[0]});
    DropFiles({kFiles[1]});
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "ENQUEUE", "", 2, 5000));
    Steps expected = Replaced({kFiles[0]});
    expected.push_back("add " + Quoted(kFiles[1]));
    EXPECT_EQ(HandOver(), expected);
    EXPECT_FALSE(pluginState.positionUnchanged);
}

// A stop while the drop waits for a hung player cancels its files.
TEST_F(DropTest, AStopCancelsTheFilesStillWaiting) {
    StartRunningPlayer(PlayerSimState::Playing);
    ASSERT_TRUE(SendPlayerSimControl(runningPlayer.window, "hang 1500"));
    PostDrop(kFiles);
    ASSERT_TRUE(WaitUntil([] { return pluginState.dropBusy; }, 3000));
    PumpMessages(300);
    StopWorkerThreads();
    EXPECT_FALSE(pluginState.dropBusy);
    PumpMessages(2500);  // the player is awake again
    EXPECT_TRUE(HandOver().empty());
    EXPECT_TRUE(Messages().empty());
    ArmWorkerStop();
}

// Once the playlist is cleared for the files, a stop no longer cancels
// them: it would leave the user an empty playlist.
TEST_F(DropTest, AStopAfterTheClearStillHandsTheFilesOver) {
    PlayerSimOptions slow;
    slow.state = PlayerSimState::Stopped;
    slow.answerDelayMs = 300;  // within the bound of the question that finds it
    slow.logPath = simLogPath;
    runningPlayer = StartPlayerSim(slow);
    ASSERT_TRUE(runningPlayer.window) << runningPlayer.failure;
    PostDrop(kFiles);
    ASSERT_TRUE(WaitForPlayerSimLog(simLogPath, "USER", "0 101", 1, 5000));
    StopWorkerThreads();
    // Play comes last: by then the whole hand-over is in the log.
    EXPECT_TRUE(WaitForPlayerSimLog(simLogPath, "USER", "0 102", 1, 10000));
    EXPECT_EQ(HandOver(), Replaced(kFiles));
    ArmWorkerStop();
}

}  // namespace
