// The running stand-in player, spoken to through its window protocol as the
// plug-in speaks to it: answers, clock, commands, caption, command lines,
// the playlist filled by messages, the second start (handed over or
// ignored), slow and hung answers, players that end by themselves, the
// entries' file names, playlist edits, the console launcher, and the log of
// it all.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "testbed/common/process_list.h"
#include "testbed/player/player_sim_client.h"
#include "testbed/player/player_sim_protocol.h"

using namespace player_sim;

namespace {

constexpr DWORD kAnswerMs = 2000;  // bound for a query that should answer

class PlayerSimTest : public testing::Test {
 protected:
  void TearDown() override { StopPlayerSim(&sim_); }

  void Start(const PlayerSimOptions& options = PlayerSimOptions(), std::string_view arguments = {},
             int showCommand = SW_SHOWNOACTIVATE) {
    sim_ = StartPlayerSim(options, arguments, showCommand);
    ASSERT_TRUE(sim_.window) << sim_.failure;
  }

  LRESULT Ask(WPARAM wParam, LPARAM code) {
    LRESULT answer = -12345;
    EXPECT_TRUE(QueryPlayerSim(sim_.window, wParam, code, kAnswerMs, &answer)) << wParam << " " << code;
    return answer;
  }
  LRESULT Status() { return Ask(0, kQueryStatus); }
  LRESULT PositionMs() { return Ask(kTimePosition, kQueryTime); }
  LRESULT LengthSec() { return Ask(kTimeLength, kQueryTime); }

  void Command(int id) { SendMessageA(sim_.window, WM_COMMAND, id, 0); }

  std::string Caption() {
    char text[1024] = {};
    GetWindowTextA(sim_.window, text, sizeof text);
    return text;
  }
  std::wstring WideCaption() {
    wchar_t text[1024] = {};
    GetWindowTextW(sim_.window, text, 1024);
    return text;
  }

  // The player ran and handed over: exit code 0 within a bound.
  DWORD RunSecondStart(std::string_view arguments) {
    HANDLE second = LaunchPlayerSim(arguments);
    EXPECT_NE(second, nullptr);
    if (!second) return 1;
    DWORD code = STILL_ACTIVE;
    if (WaitUntil([&] { return WaitForSingleObject(second, 0) == WAIT_OBJECT_0; }, 10000)) {
      GetExitCodeProcess(second, &code);
    } else {
      TerminateProcess(second, 1);
    }
    CloseHandle(second);
    return code;
  }

  std::vector<PlayerSimLogEntry> Log() { return ReadPlayerSimLog(sim_.logPath); }

  PlayerSimProcess sim_;
};

// A file handed over as the player's protocol has it: `bytes` of `name`.
bool SendFile(HWND window, ULONG_PTR kind, const void* name, size_t bytes) {
  COPYDATASTRUCT data = {};
  data.dwData = kind;
  data.cbData = static_cast<DWORD>(bytes);
  data.lpData = const_cast<void*>(name);
  return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) == TRUE;
}

bool SendWideFile(HWND window, const std::wstring& name) {
  return SendFile(window, kCopyAppendFileWide, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
}

struct WindowCount {
  DWORD processId;
  HWND player;
  int visible;
};

BOOL CALLBACK CountVisibleWindow(HWND window, LPARAM data) {
  auto* count = reinterpret_cast<WindowCount*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == count->processId && window != count->player && IsWindowVisible(window)) ++count->visible;
  return TRUE;
}

// Visible top-level windows of the player's process besides its main window.
int CountOtherWindowsOf(const PlayerSimProcess& sim) {
  WindowCount count = {sim.processId, sim.window, 0};
  EnumWindows(CountVisibleWindow, reinterpret_cast<LPARAM>(&count));
  return count.visible;
}

// The zero-terminated text at an address the player answered; nothing when
// it cannot be read there.
template <typename Char>
std::optional<std::basic_string<Char>> ReadPlayerText(HANDLE process, LRESULT address) {
  std::basic_string<Char> text;
  for (auto at = static_cast<uintptr_t>(address); text.size() < 4096; at += sizeof(Char)) {
    Char c = 0;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(at), &c, sizeof c, &got) || got != sizeof c) break;
    if (c == 0) return text;
    text.push_back(c);
  }
  return std::nullopt;
}

PlayerSimLogEntry FirstLogEntry(const std::vector<PlayerSimLogEntry>& log, std::string_view kind,
                                std::string_view argsStart) {
  for (const PlayerSimLogEntry& entry : log) {
    if (entry.kind == kind && entry.args.compare(0, argsStart.size(), argsStart) == 0) return entry;
  }
  ADD_FAILURE() << "no " << kind << " " << argsStart;
  return {};
}

}  // namespace

TEST_F(PlayerSimTest, AnswersFollowTheTransportAndTheClock) {
  Start();
  EXPECT_EQ(Status(), kAnswerPlaying);
  EXPECT_EQ(LengthSec(), 200);
  const LRESULT early = PositionMs();
  PumpMessages(300);
  const LRESULT later = PositionMs();
  EXPECT_GE(later - early, 250);
  EXPECT_EQ(Caption(), "1. Northwind Choir - Harbour Lights - Winamp");

  Command(kCmdPause);
  EXPECT_EQ(Status(), kAnswerPaused);
  const LRESULT held = PositionMs();
  PumpMessages(300);
  EXPECT_EQ(PositionMs(), held);
  EXPECT_EQ(Caption(), "1. Northwind Choir - Harbour Lights - Winamp [Paused]");

  Command(kCmdPause);
  EXPECT_EQ(Status(), kAnswerPlaying);
  Command(kCmdStop);
  EXPECT_EQ(Status(), kAnswerStopped);
  EXPECT_EQ(PositionMs(), 0);
  EXPECT_EQ(Caption(), "1. Northwind Choir - Harbour Lights - Winamp [Stopped]");
  Command(kCmdPause);
  EXPECT_EQ(Status(), kAnswerStopped);
}

TEST_F(PlayerSimTest, SeekJumpsAndIsClampedToTheTrack) {
  PlayerSimOptions options;
  options.state = PlayerSimState::Paused;
  Start(options);
  EXPECT_EQ(Ask(61500, kSeek), 0);
  EXPECT_EQ(PositionMs(), 61500);
  Ask(999999, kSeek);
  EXPECT_EQ(PositionMs(), 200000);
  Ask(static_cast<WPARAM>(-3000), kSeek);
  EXPECT_EQ(PositionMs(), 0);
}

TEST_F(PlayerSimTest, AStreamAnswersLengthMinusOneAndKeepsRunning) {
  PlayerSimOptions options;
  options.playlist = {{"Night Radio - Live", -1}};
  Start(options);
  EXPECT_EQ(LengthSec(), -1);
  const LRESULT early = PositionMs();
  PumpMessages(200);
  EXPECT_GT(PositionMs(), early);
  EXPECT_EQ(Caption(), "1. Night Radio - Live - Winamp");
}

TEST_F(PlayerSimTest, CommandsActAndAreLoggedInOrder) {
  PlayerSimOptions options;
  options.state = PlayerSimState::Paused;
  options.startPositionMs = 20000;
  Start(options);
  const LRESULT volume = Ask(kVolumeQuery, kVolume);
  Command(kCmdVolumeUp);
  Command(kCmdVolumeUp);
  Command(kCmdVolumeDown);
  EXPECT_GT(Ask(kVolumeQuery, kVolume), volume);

  Command(kCmdRewind5s);
  EXPECT_EQ(PositionMs(), 15000);
  Command(kCmdForward5s);
  Command(kCmdForward5s);
  EXPECT_EQ(PositionMs(), 25000);

  Command(kCmdNext);
  EXPECT_EQ(Caption(), "2. Ada Fenwick - Paper Boats - Winamp");
  Command(kCmdPrev);
  Ask(100000, kSeek);
  Command(kCmdPlay);  // while playing: the track starts over
  EXPECT_EQ(Status(), kAnswerPlaying);
  EXPECT_LT(PositionMs(), 100000);
  Command(kCmdOpenFile);

  std::vector<std::string> commands;
  for (const PlayerSimLogEntry& entry : Log()) {
    if (entry.kind == "COMMAND") commands.push_back(entry.args);
  }
  const std::vector<std::string> sent = {"40058", "40058", "40059", "40061", "40060",
                                         "40060", "40048", "40044", "40045", "40029"};
  EXPECT_EQ(commands, sent);
  const auto log = Log();
  EXPECT_EQ(CountPlayerSimLog(log, "USER", "-666 122"), 2);
  EXPECT_EQ(CountPlayerSimLog(log, "USER", "100000 106"), 1);
}

// A benchmark's player: questions leave no trace, changes still do, and
// the answers are the same.
TEST_F(PlayerSimTest, QuietQuestionsAreAnsweredUnloggedWhileChangesAreLogged) {
  PlayerSimOptions options;
  options.quietQuestions = true;
  options.playlist = {{"A - One", 100}, {"B - Two", 200}};
  Start(options);
  EXPECT_EQ(Ask(0, kPlaylistLength), 2);
  EXPECT_EQ(Ask(kVolumeQuery, kVolume), 200);
  EXPECT_NE(Ask(0, kPlaylistTitle), 0);
  Ask(1, kSetPlaylistPosition);
  EXPECT_EQ(Ask(0, kPlaylistPosition), 1);
  EXPECT_EQ(LengthSec(), 200);
  Ask(50, kVolume);
  Command(kCmdPlay);
  EXPECT_EQ(Status(), kAnswerPlaying);
  EXPECT_EQ(Caption(), "2. B - Two - Winamp");

  std::vector<std::string> logged;
  for (const PlayerSimLogEntry& entry : Log()) {
    if (entry.kind == "USER" || entry.kind == "COMMAND") logged.push_back(entry.kind + " " + entry.args);
  }
  const std::vector<std::string> changes = {"USER 1 121", "USER 50 122", "COMMAND 40045"};
  EXPECT_EQ(logged, changes);
}

TEST_F(PlayerSimTest, LogEntriesCarryRisingTicks) {
  Start();
  Status();
  Command(kCmdStop);
  const auto log = Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].kind, "START");
  EXPECT_EQ(log[1].kind, "USER");
  EXPECT_EQ(log[1].args, "0 104");
  EXPECT_EQ(log[2].kind, "COMMAND");
  EXPECT_LE(log[0].tick, log[1].tick);
  EXPECT_LE(log[1].tick, log[2].tick);
}

TEST_F(PlayerSimTest, CaptionCanBeRetitledOrReplacedWhole) {
  PlayerSimOptions options;
  options.captionSuffix = "";
  Start(options);
  EXPECT_EQ(Caption(), "1. Northwind Choir - Harbour Lights");
  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "title Ira \xCF\xE0\xF3\xE7\xE0 - Song"));
  EXPECT_EQ(Caption(), "1. Ira \xCF\xE0\xF3\xE7\xE0 - Song");

  const std::string longCaption = "1. " + std::string(300, 'x') + " - Winamp";
  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "caption " + longCaption));
  EXPECT_EQ(GetWindowTextLengthA(sim_.window), static_cast<int>(longCaption.size()));
  EXPECT_EQ(Caption(), longCaption);

  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "caption-auto"));
  EXPECT_EQ(Caption(), "1. Ira \xCF\xE0\xF3\xE7\xE0 - Song");
  EXPECT_FALSE(SendPlayerSimControl(sim_.window, "state flying"));
  EXPECT_EQ(CountPlayerSimLog(Log(), "CONTROL", "state flying"), 1);
}

TEST_F(PlayerSimTest, RawCaptionFromTheOptions) {
  PlayerSimOptions options;
  options.rawCaption = " Winamp";
  Start(options);
  EXPECT_EQ(Caption(), " Winamp");
  Command(kCmdNext);  // a raw caption stays whatever the player does
  EXPECT_EQ(Caption(), " Winamp");
}

TEST_F(PlayerSimTest, AFileOnTheCommandLineReplacesThePlaylist) {
  Start(PlayerSimOptions(), "\"C:\\music\\Dawn Song.mp3\"", SW_MINIMIZE);
  EXPECT_EQ(Caption(), "1. Dawn Song - Winamp");
  EXPECT_EQ(Status(), kAnswerPlaying);
  Command(kCmdNext);  // the playlist holds that file alone
  EXPECT_EQ(Caption(), "1. Dawn Song - Winamp");
  const auto log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0].kind, "START");
  EXPECT_NE(log[0].args.find(" SW=6 CMDLINE=\"C:\\music\\Dawn Song.mp3\""), std::string::npos) << log[0].args;
  EXPECT_TRUE(IsIconic(sim_.window));
}

TEST_F(PlayerSimTest, AddedFilesAppendWithoutInterrupting) {
  PlayerSimOptions options;
  options.playlist = {{"A - One", 100}};
  Start(options, "/ADD \"C:\\x\\b.mp3\"");
  EXPECT_EQ(Caption(), "1. A - One - Winamp");
  Command(kCmdNext);
  EXPECT_EQ(Caption(), "2. b - Winamp");
}

TEST_F(PlayerSimTest, ASecondStartHandsItsCommandLineOverAndExits) {
  Start();
  EXPECT_EQ(RunSecondStart("/ADD \"C:\\x\\b.mp3\""), 0u);
  EXPECT_EQ(Caption(), "1. Northwind Choir - Harbour Lights - Winamp");
  EXPECT_EQ(RunSecondStart("\"C:\\x\\c.mp3\""), 0u);
  EXPECT_EQ(Caption(), "1. c - Winamp");
  EXPECT_EQ(FindPlayerSimWindow(), sim_.window);

  const auto log = Log();
  EXPECT_EQ(CountPlayerSimLog(log, "START"), 3);
  EXPECT_EQ(CountPlayerSimLog(log, "COPYDATA", "/ADD \"C:\\x\\b.mp3\""), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "COPYDATA", "\"C:\\x\\c.mp3\""), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "FORWARD", "ok"), 2);
  EXPECT_EQ(CountPlayerSimLog(log, "EXIT", "0"), 2);
}

TEST_F(PlayerSimTest, ASecondStartDuringTheFirstStartWaitsForItsWindow) {
  PlayerSimOptions options;
  options.startDelayMs = 1500;
  sim_ = StartPlayerSim(options, {}, SW_SHOWNOACTIVATE, 0);
  ASSERT_NE(sim_.process, nullptr) << sim_.failure;
  ASSERT_TRUE(WaitForPlayerSimLog(sim_.logPath, "START", {}, 1, 5000));
  EXPECT_EQ(FindPlayerSimWindow(), nullptr);

  EXPECT_EQ(RunSecondStart("\"C:\\x\\late.mp3\""), 0u);
  sim_.window = FindPlayerSimWindowOf(sim_.processId);
  ASSERT_NE(sim_.window, nullptr);
  EXPECT_EQ(Caption(), "1. late - Winamp");
}

TEST_F(PlayerSimTest, ConfigArgumentWinsOverTheEnvironment) {
  PlayerSimOptions stopped;
  stopped.state = PlayerSimState::Stopped;
  const PlayerSimFiles fromArgument = ConfigurePlayerSim(stopped);
  PlayerSimOptions paused;
  paused.state = PlayerSimState::Paused;
  Start(paused, "\"--config=" + fromArgument.configPath + "\"");
  EXPECT_EQ(Status(), kAnswerStopped);
  EXPECT_EQ(CountPlayerSimLog(ReadPlayerSimLog(fromArgument.logPath), "USER", "0 104"), 1);
}

TEST_F(PlayerSimTest, AHangBlocksTheNextQueryThenThePlayerRecovers) {
  Start();
  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "hang 1500"));
  LRESULT answer = 0;
  EXPECT_FALSE(QueryPlayerSim(sim_.window, 0, kQueryStatus, 200, &answer));
  EXPECT_TRUE(WaitUntil([&] { return QueryPlayerSim(sim_.window, 0, kQueryStatus, 100, &answer); }, 5000));
  EXPECT_EQ(answer, kAnswerPlaying);
  LRESULT abortAnswer = 0;
  EXPECT_NE(SendMessageTimeoutA(sim_.window, kQueryMessage, 0, kQueryStatus, SMTO_ABORTIFHUNG, 200,
                                reinterpret_cast<PDWORD_PTR>(&abortAnswer)),
            0);
}

TEST_F(PlayerSimTest, AnswerDelaySlowsEveryQuery) {
  PlayerSimOptions options;
  options.answerDelayMs = 600;
  Start(options);
  LRESULT answer = 0;
  EXPECT_FALSE(QueryPlayerSim(sim_.window, 0, kQueryStatus, 100, &answer));
  EXPECT_TRUE(QueryPlayerSim(sim_.window, 0, kQueryStatus, 3000, &answer));  // after the timed-out one
  EXPECT_EQ(answer, kAnswerPlaying);
  EXPECT_FALSE(QueryPlayerSim(sim_.window, 0, kQueryStatus, 100, &answer));
  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "delay 0"));  // waits out the timed-out query
  EXPECT_TRUE(QueryPlayerSim(sim_.window, 0, kQueryStatus, 400, &answer));
}

TEST_F(PlayerSimTest, APlayerThatNeverAnswersCanStillBeStopped) {
  PlayerSimOptions options;
  options.hangMs = -1;
  Start(options);
  LRESULT answer = 0;
  EXPECT_FALSE(QueryPlayerSim(sim_.window, 0, kQueryStatus, 200, &answer));
  EXPECT_FALSE(QueryPlayerSim(sim_.window, 1, kQueryTime, 200, &answer));
  HANDLE process = sim_.process;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &process, SYNCHRONIZE, FALSE, 0));
  StopPlayerSim(&sim_, 500);
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
  CloseHandle(process);
}

TEST_F(PlayerSimTest, WindowMinimisesHidesAndRestores) {
  Start();
  ShowWindow(sim_.window, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(sim_.window));
  ShowWindow(sim_.window, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(sim_.window));
  ShowWindow(sim_.window, SW_RESTORE);
  EXPECT_TRUE(IsWindowVisible(sim_.window));
  EXPECT_FALSE(IsIconic(sim_.window));
  EXPECT_EQ(Status(), kAnswerPlaying);
}

TEST_F(PlayerSimTest, PreferencesOpenOneModelessWindowAndOpenFileOpensNone) {
  Start();
  Command(kCmdOpenFile);
  EXPECT_EQ(CountOtherWindowsOf(sim_), 0);

  Command(kCmdPreferences);
  Command(kCmdPreferences);
  HWND prefs = FindWindowA(kPrefsWindowClass, nullptr);
  ASSERT_NE(prefs, nullptr);
  DWORD owner = 0;
  GetWindowThreadProcessId(prefs, &owner);
  EXPECT_EQ(owner, sim_.processId);
  EXPECT_TRUE(IsWindowVisible(prefs));
  EXPECT_EQ(CountOtherWindowsOf(sim_), 1);
  EXPECT_EQ(Status(), kAnswerPlaying);  // nothing modal holds the player
}

TEST_F(PlayerSimTest, APlayerStartedElsewhereCanBeAttachedAndStopped) {
  PlayerSimOptions options;
  options.state = PlayerSimState::Stopped;
  const PlayerSimFiles files = ConfigurePlayerSim(options);
  HANDLE launched = LaunchPlayerSim("/ADD \"C:\\x\\b.mp3\"", SW_SHOWMINNOACTIVE);
  ASSERT_NE(launched, nullptr);
  sim_ = AttachPlayerSim();
  ASSERT_NE(sim_.process, nullptr) << sim_.failure;
  sim_.logPath = files.logPath;
  EXPECT_EQ(sim_.processId, GetProcessId(launched));
  EXPECT_EQ(Status(), kAnswerStopped);  // the inherited options were read
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log()[0].args.find("PID=" + std::to_string(sim_.processId) + " SW=7 "), 0u) << Log()[0].args;

  StopPlayerSim(&sim_);
  EXPECT_EQ(WaitForSingleObject(launched, 0), WAIT_OBJECT_0);
  CloseHandle(launched);
}

TEST_F(PlayerSimTest, CloseCommandEndsThePlayer) {
  Start();
  PostMessageA(sim_.window, WM_COMMAND, kCmdClose, 0);
  EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(sim_.process, 0) == WAIT_OBJECT_0; }, 5000));
  EXPECT_EQ(FindPlayerSimWindow(), nullptr);
  const auto log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().kind, "EXIT");
  EXPECT_EQ(CountPlayerSimLog(log, "COMMAND", "40001"), 1);
}

TEST_F(PlayerSimTest, ThePlaylistIsReplacedByMessagesAndPlaysTheFirstFileAdded) {
  PlayerSimOptions options;
  options.utf8Caption = "";  // a Unicode window
  Start(options);
  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "caption-auto"));
  Ask(0, kClearPlaylist);
  EXPECT_EQ(Ask(0, kPlaylistLength), 0);
  EXPECT_EQ(Ask(0, kPlaylistPosition), -1);
  EXPECT_EQ(Status(), kAnswerStopped);
  EXPECT_EQ(WideCaption(), L"Winamp");

  EXPECT_TRUE(SendWideFile(sim_.window, L"C:\\Музыка\\Песня.mp3"));
  // Without a NUL inside cbData the name ends where the data does.
  EXPECT_TRUE(SendFile(sim_.window, kCopyAppendFile, "C:\\x\\b.mp3 and more", 10));
  EXPECT_EQ(Ask(0, kPlaylistLength), 2);
  EXPECT_EQ(Ask(0, kPlaylistPosition), -1);
  Ask(0, kSetPlaylistPosition);
  Ask(0, kPlayCurrent);
  EXPECT_EQ(Status(), kAnswerPlaying);
  EXPECT_EQ(Ask(0, kPlaylistPosition), 0);
  EXPECT_EQ(WideCaption(), L"1. Песня - Winamp");
  Command(kCmdNext);
  EXPECT_EQ(WideCaption(), L"2. b - Winamp");

  const auto log = Log();
  EXPECT_EQ(CountPlayerSimLog(log, "ENQUEUEW", "\"C:\\Музыка\\Песня.mp3\""), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "ENQUEUE", "\"C:\\x\\b.mp3\""), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "USER", "0 101"), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "USER", "0 121"), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "USER", "0 102"), 1);
}

TEST_F(PlayerSimTest, AStartThatIgnoresItsCommandLineStaysASecondPlayer) {
  PlayerSimOptions options;
  options.ignoreCommandLine = true;
  Start(options, "\"C:\\x\\first.mp3\"");
  EXPECT_EQ(Caption(), "1. Northwind Choir - Harbour Lights - Winamp");

  HANDLE second = LaunchPlayerSim("/ADD \"C:\\x\\b.mp3\"");
  ASSERT_NE(second, nullptr);
  const DWORD secondId = GetProcessId(second);
  CloseHandle(second);
  HWND secondWindow = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (secondWindow = FindPlayerSimWindowOf(secondId)) != nullptr; }, 10000));
  ASSERT_NE(secondWindow, nullptr);
  EXPECT_NE(secondWindow, sim_.window);
  EXPECT_EQ(Ask(0, kPlaylistLength), 3);

  // Files still reach a player that ignores its command line, by message,
  // on an ANSI window too.
  EXPECT_TRUE(SendWideFile(secondWindow, L"C:\\x\\wide.mp3"));
  LRESULT secondLength = 0;
  EXPECT_TRUE(QueryPlayerSim(secondWindow, 0, kPlaylistLength, kAnswerMs, &secondLength));
  EXPECT_EQ(secondLength, 4);

  const auto log = Log();
  EXPECT_EQ(CountPlayerSimLog(log, "IGNORED", "\"C:\\x\\first.mp3\""), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "IGNORED", "/ADD \"C:\\x\\b.mp3\""), 1);
  EXPECT_EQ(CountPlayerSimLog(log, "FORWARD"), 0);
  EXPECT_EQ(CountPlayerSimLog(log, "CMDLINE"), 0);
  EXPECT_EQ(CountPlayerSimLog(log, "ENQUEUEW", "\"C:\\x\\wide.mp3\""), 1);

  std::vector<PlayerSimProcess> players = AttachEveryPlayerSim();
  EXPECT_EQ(players.size(), 2u);
  for (PlayerSimProcess& player : players) StopPlayerSim(&player);
  EXPECT_TRUE(ProcessIdsNamed(kExeName).empty());
}

TEST_F(PlayerSimTest, APlayerCanDieAtStartOrGoAfterItsWindowShowed) {
  PlayerSimOptions dies;
  dies.exitAtStart = true;
  sim_ = StartPlayerSim(dies);
  EXPECT_EQ(sim_.failure, "the player ended at start");
  EXPECT_EQ(CountPlayerSimLog(Log(), "EXIT", "1"), 1);
  StopPlayerSim(&sim_);

  PlayerSimOptions goes;
  goes.exitAfterMs = 300;
  Start(goes);
  EXPECT_EQ(Status(), kAnswerPlaying);
  EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(sim_.process, 0) == WAIT_OBJECT_0; }, 5000));
  EXPECT_EQ(FindPlayerSimWindowOf(sim_.processId), nullptr);
  EXPECT_EQ(CountPlayerSimLog(Log(), "EXIT", "0"), 1);
}

TEST_F(PlayerSimTest, EntriesAnswerTheirFileNamesThatStayWhereTheyWereHandedOut) {
  const std::string cafe = "C:\\M\xFAsica\\Caf\xE9.mp3";  // in the code page, as on an ANSI window
  PlayerSimOptions options;
  options.playlist = {{"A - One", 100, cafe}, {"B - Two", 200}};
  Start(options);
  const LRESULT first = Ask(0, kPlaylistFile);
  EXPECT_EQ(ReadPlayerText<char>(sim_.process, first), cafe);
  const std::pair<WPARAM, LPARAM> none[] = {
      {1, kPlaylistFile}, {2, kPlaylistFile}, {static_cast<WPARAM>(-1), kPlaylistFile}, {0, kPlaylistFileWide}};
  for (const auto& [index, code] : none) EXPECT_EQ(Ask(index, code), 0) << static_cast<int>(index) << " " << code;

  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "file C:\\x\\new.mp3"));
  EXPECT_EQ(ReadPlayerText<char>(sim_.process, Ask(0, kPlaylistFile)), "C:\\x\\new.mp3");
  EXPECT_EQ(ReadPlayerText<char>(sim_.process, first), cafe);
  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "file"));
  EXPECT_EQ(Ask(0, kPlaylistFile), 0);
  EXPECT_EQ(CountPlayerSimLog(Log(), "USER", "-1 211"), 1);
}

TEST_F(PlayerSimTest, AUnicodeWindowAnswersFileNamesInUtf16AndInTheCodePage) {
  PlayerSimOptions options;
  options.utf8Caption = "";
  options.playlist = {{"A - One", 100, "C:\\Música\\Café.mp3"}};
  Start(options);
  EXPECT_EQ(ReadPlayerText<wchar_t>(sim_.process, Ask(0, kPlaylistFileWide)), L"C:\\Música\\Café.mp3");
  EXPECT_EQ(ReadPlayerText<char>(sim_.process, Ask(0, kPlaylistFile)), "C:\\M\xFAsica\\Caf\xE9.mp3");
  // A file handed over by message is named by its entry.
  EXPECT_TRUE(SendWideFile(sim_.window, L"C:\\Музыка\\Песня.mp3"));
  EXPECT_EQ(ReadPlayerText<wchar_t>(sim_.process, Ask(1, kPlaylistFileWide)), L"C:\\Музыка\\Песня.mp3");
  EXPECT_EQ(Ask(2, kPlaylistFileWide), 0);
}

TEST_F(PlayerSimTest, GarbagePointersLeaveNoFileNameReadable) {
  PlayerSimOptions options;
  options.utf8Caption = "";
  options.titlePointers = "garbage";
  options.playlist = {{"A", 10, "C:\\a.mp3"}, {"B", 10, "C:\\b.mp3"}, {"C", 10, "C:\\c.mp3"}};
  Start(options);
  for (LPARAM code : {kPlaylistFile, kPlaylistFileWide}) {
    for (WPARAM index : {0, 1, 2}) {
      EXPECT_FALSE(ReadPlayerText<char>(sim_.process, Ask(index, code)).has_value()) << index << " " << code;
    }
  }
}

// What a menu listed may be gone by the time its entry is chosen.
TEST_F(PlayerSimTest, PlaylistEditsShowInTheAnswersAndChoicesOutsideAreLoggedApart) {
  PlayerSimOptions options;
  options.playlist = {{"A - One", 100}, {"B - Two", 100}, {"C - Three", 100}};
  Start(options);
  Ask(2, kSetPlaylistPosition);
  ASSERT_TRUE(SendPlayerSimControl(sim_.window, "playlist-reverse"));
  EXPECT_EQ(Ask(0, kPlaylistPosition), 0);
  EXPECT_EQ(ReadPlayerText<char>(sim_.process, Ask(0, kPlaylistTitle)), "C - Three");

  ASSERT_TRUE(SendPlayerSimPlaylist(sim_.window, {{"D - Four", 90, "C:\\x\\four.mp3"}}));
  EXPECT_EQ(Ask(0, kPlaylistLength), 1);
  EXPECT_EQ(ReadPlayerText<char>(sim_.process, Ask(0, kPlaylistFile)), "C:\\x\\four.mp3");
  Ask(2, kSetPlaylistPosition);
  Ask(0, kSetPlaylistPosition);

  const auto log = Log();
  std::vector<std::string> choices;
  for (const PlayerSimLogEntry& entry : log) {
    if (entry.kind == "SETPOS") choices.push_back(entry.args);
  }
  EXPECT_EQ(choices, (std::vector<std::string>{"2", "2 OUTSIDE", "0"}));
  EXPECT_EQ(CountPlayerSimLog(log, "USER", "2 121"), 2);
}

// A console launcher: its console host, a windowless child, comes first
// and ends a little after it; the player comes later with its arguments.
TEST_F(PlayerSimTest, AConsoleLauncherStartsAWindowlessChildThenThePlayerWithItsArguments) {
  PlayerSimOptions console;
  console.launcherWindowlessChild = true;
  console.launcherPlayerAfterMs = 200;
  const PlayerSimFiles named = ConfigurePlayerSim(console);
  // The environment names plain options: only a launcher that reads the
  // argument's starts a child, and only a player that gets it logs there.
  ConfigurePlayerSim(PlayerSimOptions());
  sim_.logPath = named.logPath;
  const std::string arguments = "\"--config=" + named.configPath + "\" /ADD \"C:\\x\\b.mp3\"";
  HANDLE launcher = LaunchPlayerSimLauncher(arguments);
  ASSERT_NE(launcher, nullptr);
  ASSERT_TRUE(WaitForPlayerSimLog(sim_.logPath, "LAUNCHER", {}, 1, 10000));
  const std::string childLine = Log()[0].args;
  ASSERT_EQ(childLine.rfind("child PID=", 0), 0u) << childLine;
  const DWORD childId = static_cast<DWORD>(std::stoul(childLine.substr(10)));
  HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, childId);
  ASSERT_NE(child, nullptr);

  EXPECT_EQ(WaitForSingleObject(launcher, 10000), WAIT_OBJECT_0);
  CloseHandle(launcher);
  EXPECT_EQ(WaitForSingleObject(child, 0), WAIT_TIMEOUT) << "the child ended with the launcher";
  PlayerSimProcess childSeen;
  childSeen.processId = childId;
  EXPECT_EQ(CountOtherWindowsOf(childSeen), 0);
  EXPECT_EQ(FindPlayerSimWindowOf(childId), nullptr);
  EXPECT_EQ(WaitForSingleObject(child, 5000), WAIT_OBJECT_0);
  CloseHandle(child);
  const std::string logPath = sim_.logPath;
  sim_ = AttachPlayerSim();
  sim_.logPath = logPath;
  ASSERT_NE(sim_.window, nullptr) << sim_.failure;
  EXPECT_EQ(Ask(0, kPlaylistLength), 4);

  const auto log = Log();
  const DWORD launcherEnd = FirstLogEntry(log, "LAUNCHER", "exit 0").tick;
  EXPECT_LE(FirstLogEntry(log, "LAUNCHER-CHILD", "start").tick, launcherEnd);
  const PlayerSimLogEntry player = FirstLogEntry(log, "START", "PID=");
  EXPECT_GE(player.tick - FirstLogEntry(log, "LAUNCHER", "child").tick, 190u);
  EXPECT_EQ(player.args.substr(player.args.find(" CMDLINE=") + 9), arguments);
  EXPECT_EQ(CountPlayerSimLog(log, "START"), 1);
  const DWORD outlived = FirstLogEntry(log, "LAUNCHER-CHILD", "exit").tick - launcherEnd;
  EXPECT_GE(outlived, 250u);
  EXPECT_LT(outlived, 1000u);
}
