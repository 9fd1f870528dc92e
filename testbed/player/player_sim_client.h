// What tests and the demo need to run the stand-in player: write its
// options, start and stop it, steer it while it runs, and read back the log
// of every message it received, in order.
//
//   PlayerSimOptions options;
//   options.state = PlayerSimState::Paused;
//   PlayerSimProcess sim = StartPlayerSim(options);
//   ASSERT_TRUE(sim.window) << sim.failure;
//   SendPlayerSimControl(sim.window, "state playing");
//   ... CountPlayerSimLog(ReadPlayerSimLog(sim.logPath), "COMMAND", "40045") ...
//   StopPlayerSim(&sim);
#pragma once

#include "testbed/common/message_wait.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class PlayerSimState { Playing, Paused, Stopped };

struct PlayerSimTrack {
  std::string title;  // "Artist - Title"
  int lengthSec = 0;  // -1: a stream
  std::string file{};  // what 211 and 214 answer for it; empty: names no file
};

struct PlayerSimOptions {
  PlayerSimState state = PlayerSimState::Playing;
  std::vector<PlayerSimTrack> playlist;  // empty: the simulator's own three tracks
  int currentTrack = 1;                  // 1-based
  int startPositionMs = 0;
  int volume = 200;                      // 0..255
  std::string captionSuffix = " - Winamp";
  std::optional<std::string> rawCaption;  // set: the caption exactly (no line breaks)
  std::optional<std::string> utf8Caption;  // set: the caption in UTF-8, on a Unicode window
  int scrollMs = 0;                        // above 0: the caption scrolls one character this often
  int answerDelayMs = 0;                  // every WM_USER query, and every file by message, waits this long
  int commandDelayMs = 0;                 // every WM_COMMAND waits this long
  int hangMs = 0;                         // the first query (or file by message) blocks this long; -1: never answers
  int startDelayMs = 0;                   // before the window is created
  int forwardDelayMs = 0;                 // a second instance, before it hands over its arguments
  std::string forwardDelayFor;            // ...when they hold this text (empty: always)
  std::string logPath;                    // empty: a new file in the temp folder
  bool ignoreCommandLine = false;         // takes no files from its command line, never hands it over:
                                          // every start is a player with its own window
  int exitAfterMs = -1;                   // 0 or more: ends this long after its window showed (0: at once)
  bool exitAtStart = false;               // ends before making any window
  bool reportsPosition = true;            // false: knows no position, as "positions off" makes it
  std::string titlePointers = "kept";     // where 211 to 214 point: "kept" or "garbage"
  bool wideFileNames = true;              // false: 214 answers 0 even on a Unicode window
  bool quietQuestions = false;            // questions answered without a log line or a redraw
  bool launcherWindowlessChild = false;   // player_launcher.exe first starts a windowless child of its own,
  int launcherPlayerAfterMs = 0;          // ...then the player this long after it
  bool launcherMiddleProcess = false;     // player_launcher.exe starts the player through a process that ends at once
};

struct PlayerSimFiles {
  std::string configPath;
  std::string logPath;
};

struct PlayerSimProcess {
  HANDLE process = nullptr;
  DWORD processId = 0;
  HWND window = nullptr;
  std::string configPath;
  std::string logPath;
  std::string failure;  // why there is no window, when there is none
};

// player_sim.exe beside the running program.
std::string PlayerSimExePath();

// The INI text for these options. Line breaks inside texts become blanks.
std::string FormatPlayerSimConfig(const PlayerSimOptions& options, const std::string& logPath);

// "Artist - Title|lengthSec", with "|<file>" when the track names one: a
// playlist entry as the options and the "playlist" command take it.
std::string FormatPlayerSimTrack(const PlayerSimTrack& track);

// Writes the options to a new INI file, empties the log, and names the file
// in this process's PELORIN_SIM_CONFIG, so every player started from here on
// (by StartPlayerSim, LaunchPlayerSim or the plug-in through the shell)
// reads them.
PlayerSimFiles ConfigurePlayerSim(const PlayerSimOptions& options);

// Starts player_sim.exe with these arguments and show command; returns the
// process handle (the caller closes it), or nullptr.
HANDLE LaunchPlayerSim(std::string_view arguments, int showCommand = SW_SHOWNOACTIVATE);
// The same for player_launcher.exe, which starts the player with them.
HANDLE LaunchPlayerSimLauncher(std::string_view arguments, int showCommand = SW_SHOWNOACTIVATE);

// ConfigurePlayerSim, LaunchPlayerSim, then waits (pumping messages) until
// the new process's player window exists and has been shown, its message
// loop running. windowTimeoutMs 0 does not wait (window stays nullptr).
// Refuses to start while another player window exists, since the new one
// would only hand its arguments to that one.
PlayerSimProcess StartPlayerSim(const PlayerSimOptions& options, std::string_view arguments = {},
                                int showCommand = SW_SHOWNOACTIVATE, DWORD windowTimeoutMs = 10000);

// Takes hold of a player someone else started (the plug-in, through the
// shell): waits for a player window, then opens its process so that
// StopPlayerSim can end it. Fill in logPath from ConfigurePlayerSim.
PlayerSimProcess AttachPlayerSim(DWORD windowTimeoutMs = 10000);

// Every player_sim.exe running now, each opened so that StopPlayerSim ends
// it, with its player window when it has one: players that ignore their
// command line run one per start, whoever started them.
std::vector<PlayerSimProcess> AttachEveryPlayerSim();

// Closes the player (WM_CLOSE), waits for it to end, terminates it after
// timeoutMs, and clears the handles.
void StopPlayerSim(PlayerSimProcess* sim, DWORD timeoutMs = 5000);

HWND FindPlayerSimWindow();
HWND FindPlayerSimWindowOf(DWORD processId);

// One of the simulator's text commands ("state paused", "caption <raw>",
// "caption-auto", "hang <ms>", "delay <ms>", "clear-delay <ms>", "title <Artist - Title>",
// "file <path>" (no path: none), "length <s>", "position <ms>", "positions on|off",
// "playlist-reverse", "play <entry>"). True when the player took it.
bool SendPlayerSimControl(HWND window, std::string_view command);
// The "playlist" command: the whole playlist replaced by these tracks (no
// title or file may hold ';'), entry 0 current, none when they are none.
bool SendPlayerSimPlaylist(HWND window, const std::vector<PlayerSimTrack>& tracks);

// A WM_USER query that gives up after timeoutMs; false when it timed out.
bool QueryPlayerSim(HWND window, WPARAM wParam, LPARAM code, DWORD timeoutMs, LRESULT* answer);

// One log line: "<tick> <kind> <args>", e.g. {1234, "USER", "0 104"},
// {1250, "COMMAND", "40045"}, {1300, "START", "PID=7 SW=6 CMDLINE=..."},
// {1400, "COPYDATA", "/ADD \"C:\\b.mp3\""} (files handed to the running player),
// {1405, "CMDLINE", "\"C:\\c.mp3\""} (files the instance that became the
// player took from its own command line), {1410, "CONTROL", "state paused"},
// {1500, "FORWARD", "ok"}, {1600, "EXIT", "0"}; and by the player's own
// protocol: {1700, "ENQUEUE", "\"C:\\a.mp3\""} (WM_COPYDATA 100),
// {1710, "ENQUEUEW", "\"C:\\<the name in UTF-8>\""} (WM_COPYDATA 1100),
// {1720, "USER", "0 121"} with {1720, "SETPOS", "0"}, or "SETPOS", "7 OUTSIDE"
// for an entry the playlist did not hold; {1800, "IGNORED", "/ADD \"C:\\b.mp3\""}
// (a command line that ignore_command_line made a start ignore). The
// launcher's: {1900, "LAUNCHER", "child PID=9"} (its windowless child, which
// logs {1910, "LAUNCHER-CHILD", "start"} and {2400, "LAUNCHER-CHILD", "exit"}),
// {2100, "LAUNCHER", "player PID=8"}, {2101, "LAUNCHER", "exit 0"}; through a
// process between: {1900, "LAUNCHER", "middle PID=7"}, which logs
// {1950, "LAUNCHER-MIDDLE", "player PID=8"} and {1951, "LAUNCHER-MIDDLE", "exit 0"}.
struct PlayerSimLogEntry {
  DWORD tick = 0;
  std::string kind;
  std::string args;
};

std::optional<PlayerSimLogEntry> ParsePlayerSimLogLine(std::string_view line);
// Complete lines only: a line still being written is left for the next read.
std::vector<PlayerSimLogEntry> ReadPlayerSimLog(const std::string& path);
// Entries of this kind, and with exactly these args unless args is empty.
int CountPlayerSimLog(const std::vector<PlayerSimLogEntry>& log, std::string_view kind,
                      std::string_view args = {});

// Until the log holds at least `count` entries of kind (and args).
bool WaitForPlayerSimLog(const std::string& path, std::string_view kind, std::string_view args, int count,
                         DWORD timeoutMs);
