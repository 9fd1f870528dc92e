// The window protocol the stand-in player speaks, shared by the simulator,
// its client library and the tests: the player's own messages and command
// numbers, and the private channel tests use to steer the simulator.
#pragma once

#include <windows.h>

namespace player_sim {

// The player's main window, found by class like the real one.
constexpr char kPlayerWindowClass[] = "Winamp v1.x";
constexpr char kPrefsWindowClass[] = "PlayerSimPrefs";
constexpr char kExeName[] = "player_sim.exe";
constexpr char kLauncherExeName[] = "player_launcher.exe";

// The INI file with the simulator's options; inherited, so a player started
// by the plug-in through the shell reads the same options as the test.
constexpr char kConfigEnvVar[] = "PELORIN_SIM_CONFIG";
// A first argument "--config=<path>" names the INI file instead.
constexpr char kConfigArgPrefix[] = "--config=";

// Keys of that INI file, one "key=value" a line; the value is taken as
// written up to the line's end, blanks included. "track" repeats, in order.
constexpr char kKeyState[] = "state";                  // playing, paused, stopped
// "Artist - Title|lengthSec", or "Artist - Title|lengthSec|<file>" for an
// entry that names its file (as written; UTF-8 on a Unicode window). A
// title may hold '|'; a file name cannot, and one that is a bare number
// would read as the length.
constexpr char kKeyTrack[] = "track";
constexpr char kKeyCurrent[] = "current";              // 1-based playlist index
constexpr char kKeyPositionMs[] = "position_ms";
constexpr char kKeyVolume[] = "volume";                // 0..255
constexpr char kKeyCaptionSuffix[] = "caption_suffix";  // default " - Winamp"
constexpr char kKeyRawCaption[] = "caption";            // present: caption as given
// Present: the caption as given, in UTF-8, on a Unicode window; every text
// that window shows is then taken as UTF-8.
constexpr char kKeyUtf8Caption[] = "caption_utf8";
// Above 0: the caption plus " *** " turns left by one character this often.
constexpr char kKeyScrollMs[] = "scroll_ms";
// Every query, and every file handed over by WM_COPYDATA 100 or 1100.
constexpr char kKeyAnswerDelayMs[] = "answer_delay_ms";
constexpr char kKeyCommandDelayMs[] = "command_delay_ms";  // every WM_COMMAND
constexpr char kKeyHangMs[] = "hang_ms";                // first query or file; -1 never
constexpr char kKeyStartDelayMs[] = "start_delay_ms";
constexpr char kKeyForwardDelayMs[] = "forward_delay_ms";
constexpr char kKeyForwardDelayFor[] = "forward_delay_for";
constexpr char kKeyLog[] = "log";
// 1: the command line is taken for nothing (logged IGNORED) and never
// handed over, so every start is a player of its own with its own window.
constexpr char kKeyIgnoreCommandLine[] = "ignore_command_line";
// 0 or more: the window is destroyed and the player ends this long after
// the window was shown (0: at once). Below 0: never.
constexpr char kKeyExitAfterMs[] = "exit_after_ms";
// 1: the process ends before it makes any window, as a player dying at start.
constexpr char kKeyExitAtStart[] = "exit_at_start";
// off: the player knows no position, as "positions off" makes it.
constexpr char kKeyPositions[] = "positions";
constexpr char kKeyShuffle[] = "shuffle";  // 1: on at start
constexpr char kKeyRepeat[] = "repeat";    // 1: on at start
// Where 211 to 214 point: "kept" (default) at titles and file names kept
// for the player's life; "garbage" at no text at all (0 included) that can
// be read.
constexpr char kKeyTitlePointers[] = "title_pointers";
// 0: a Unicode window answers 214 with 0, as a player that shows UTF-16
// titles but names its files only in the code page (211).
constexpr char kKeyWideFileNames[] = "wide_file_names";
// 1: questions (state, times, volume, the playlist's length, current entry
// and titles, shuffle, repeat) are answered as a real player answers them,
// without a log line or a redraw, which would otherwise be most of the
// time a benchmark measures.
constexpr char kKeyQuietQuestions[] = "quiet_questions";
// Read by the launcher. 1: it first starts a child of its own that makes no
// window, as a console launcher's console host, which ends a little after
// the launcher; then, launcher_player_after_ms later, the player.
constexpr char kKeyLauncherWindowlessChild[] = "launcher_windowless_child";
constexpr char kKeyLauncherPlayerAfterMs[] = "launcher_player_after_ms";
// Read by the launcher. 1: a process between it and the player, as cmd's
// start is, starts the player and ends at once; the launcher ends 500 ms
// after that process.
constexpr char kKeyLauncherMiddleProcess[] = "launcher_middle_process";

// Queries and the seek: WM_USER with the code in lParam.
constexpr UINT kQueryMessage = WM_USER;
constexpr LPARAM kQueryStatus = 104;    // 1 playing, 3 paused, 0 stopped
constexpr LPARAM kQueryTime = 105;      // wParam 0: position ms, 1: length s
constexpr LPARAM kSeek = 106;           // wParam: target position in ms
constexpr LPARAM kVolume = 122;         // wParam kVolumeQuery: current volume
// The playlist: clear it (no current entry after), play from the current
// entry, make entry wParam (0-based) current, stopped at its start; its
// length, and the current entry (0-based, -1 when none). Besides its USER
// line, 121 logs "SETPOS <i>", or "SETPOS <i> OUTSIDE" for an index
// outside the playlist (which changes nothing).
constexpr LPARAM kClearPlaylist = 101;
constexpr LPARAM kPlayCurrent = 102;
constexpr LPARAM kSetPlaylistPosition = 121;
constexpr LPARAM kPlaylistLength = 124;
constexpr LPARAM kPlaylistPosition = 125;
// The address, in the player's memory, of entry wParam's file name (211,
// 214) or title (212, 213), zero-terminated: in the system's code page, or
// in UTF-16 (a Unicode window only; else 0). 0 for an entry outside the
// playlist, and for the file name of an entry that names none.
constexpr LPARAM kPlaylistFile = 211;
constexpr LPARAM kPlaylistTitle = 212;
constexpr LPARAM kPlaylistTitleWide = 213;
constexpr LPARAM kPlaylistFileWide = 214;
// Shuffle and repeat: each answers 1 (on) or 0 (off); set with 1 or 0 in
// wParam.
constexpr LPARAM kShuffleQuery = 250;
constexpr LPARAM kRepeatQuery = 251;
constexpr LPARAM kSetShuffle = 252;
constexpr LPARAM kSetRepeat = 253;
// Ours, for timing: the low 32 bits of QueryPerformanceCounter as the last
// WM_COMMAND came in, before it was logged or carried out. Not logged.
constexpr LPARAM kLastCommandArrival = 0x5045;

constexpr WPARAM kTimePosition = 0;
constexpr WPARAM kTimeLength = 1;
constexpr WPARAM kVolumeQuery = static_cast<WPARAM>(-666);

constexpr LRESULT kAnswerPlaying = 1;
constexpr LRESULT kAnswerPaused = 3;
constexpr LRESULT kAnswerStopped = 0;

// WM_COMMAND numbers, as the player's own menus send them.
constexpr int kCmdClose = 40001;
constexpr int kCmdPreferences = 40012;
constexpr int kCmdOpenFile = 40029;
constexpr int kCmdPrev = 40044;
constexpr int kCmdPlay = 40045;
constexpr int kCmdPause = 40046;
constexpr int kCmdStop = 40047;
constexpr int kCmdNext = 40048;
constexpr int kCmdVolumeUp = 40058;
constexpr int kCmdVolumeDown = 40059;
constexpr int kCmdForward5s = 40060;
constexpr int kCmdRewind5s = 40061;

// WM_COPYDATA dwData values of the player's protocol: a file appended to the
// playlist, named by zero-terminated ANSI text, or by UTF-16 text.
constexpr ULONG_PTR kCopyAppendFile = 100;
constexpr ULONG_PTR kCopyAppendFileWide = 1100;

// WM_COPYDATA dwData values of our own. A second start hands its command
// line to the running player with the first; tests send text commands with
// the second ("state paused", "caption <raw>", "hang <ms>", "delay <ms>",
// "title <Artist - Title>", "file <path>" (the current entry's file; no
// path: none), "length <s>", "position <ms>", "caption-auto",
// "positions on|off", "playlist-reverse" (the current entry follows its
// song), "playlist <track>;<track>;..." (each as the "track" key has it,
// none holding ';'; the whole playlist replaced, entry 0 current at its
// start in the same state, or no entry when the list is empty), "play <n>"
// (entry n, from 0, made current and played, as a double-click in the
// player's playlist does)).
constexpr ULONG_PTR kCopyCommandLine = 0x504C4331;  // "PLC1"
constexpr ULONG_PTR kCopyControl = 0x504C4332;      // "PLC2"

}  // namespace player_sim
