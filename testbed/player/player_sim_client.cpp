// Running and reading the stand-in player from tests and the demo.
#include "testbed/player/player_sim_client.h"

#include "testbed/common/files.h"
#include "testbed/common/process_list.h"
#include "testbed/player/player_sim_protocol.h"

using namespace player_sim;

namespace {

const char* StateName(PlayerSimState state) {
  switch (state) {
    case PlayerSimState::Playing:
      return "playing";
    case PlayerSimState::Paused:
      return "paused";
    case PlayerSimState::Stopped:
      break;
  }
  return "stopped";
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

void AddLine(std::string* ini, const char* key, const std::string& value) {
  *ini += key;
  *ini += '=';
  *ini += OneLine(value);
  *ini += "\r\n";
}

// A path in the temp folder no earlier call of this process has used.
std::string NewTempPath(const char* extension) {
  static unsigned serial = 0;
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof folder, folder);
  const std::string base = length > 0 && length < sizeof folder ? std::string(folder, length) : std::string(".\\");
  return base + "player_sim_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial) + extension;
}

std::string ReadShared(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return text;
}

bool ProcessEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

}  // namespace

std::string PlayerSimExePath() {
  return ExeFolder() + "\\" + kExeName;
}

std::string FormatPlayerSimConfig(const PlayerSimOptions& options, const std::string& logPath) {
  std::string ini = "[player]\r\n";
  AddLine(&ini, kKeyState, StateName(options.state));
  for (const PlayerSimTrack& track : options.playlist) AddLine(&ini, kKeyTrack, FormatPlayerSimTrack(track));
  AddLine(&ini, kKeyCurrent, std::to_string(options.currentTrack));
  AddLine(&ini, kKeyPositionMs, std::to_string(options.startPositionMs));
  AddLine(&ini, kKeyVolume, std::to_string(options.volume));
  AddLine(&ini, kKeyCaptionSuffix, options.captionSuffix);
  if (options.rawCaption) AddLine(&ini, kKeyRawCaption, *options.rawCaption);
  if (options.utf8Caption) AddLine(&ini, kKeyUtf8Caption, *options.utf8Caption);
  AddLine(&ini, kKeyScrollMs, std::to_string(options.scrollMs));
  AddLine(&ini, kKeyAnswerDelayMs, std::to_string(options.answerDelayMs));
  AddLine(&ini, kKeyCommandDelayMs, std::to_string(options.commandDelayMs));
  AddLine(&ini, kKeyHangMs, std::to_string(options.hangMs));
  AddLine(&ini, kKeyStartDelayMs, std::to_string(options.startDelayMs));
  AddLine(&ini, kKeyForwardDelayMs, std::to_string(options.forwardDelayMs));
  AddLine(&ini, kKeyForwardDelayFor, options.forwardDelayFor);
  AddLine(&ini, kKeyLog, logPath);
  AddLine(&ini, kKeyIgnoreCommandLine, options.ignoreCommandLine ? "1" : "0");
  AddLine(&ini, kKeyExitAfterMs, std::to_string(options.exitAfterMs));
  AddLine(&ini, kKeyExitAtStart, options.exitAtStart ? "1" : "0");
  AddLine(&ini, kKeyPositions, options.reportsPosition ? "on" : "off");
  AddLine(&ini, kKeyTitlePointers, options.titlePointers);
  AddLine(&ini, kKeyWideFileNames, options.wideFileNames ? "1" : "0");
  AddLine(&ini, kKeyQuietQuestions, options.quietQuestions ? "1" : "0");
  AddLine(&ini, kKeyLauncherWindowlessChild, options.launcherWindowlessChild ? "1" : "0");
  AddLine(&ini, kKeyLauncherPlayerAfterMs, std::to_string(options.launcherPlayerAfterMs));
  AddLine(&ini, kKeyLauncherMiddleProcess, options.launcherMiddleProcess ? "1" : "0");
  return ini;
}

std::string FormatPlayerSimTrack(const PlayerSimTrack& track) {
  std::string entry = track.title + "|" + std::to_string(track.lengthSec);
  if (!track.file.empty()) entry += "|" + track.file;
  return entry;
}

PlayerSimFiles ConfigurePlayerSim(const PlayerSimOptions& options) {
  PlayerSimFiles files;
  files.configPath = NewTempPath(".ini");
  files.logPath = options.logPath.empty() ? NewTempPath(".log") : options.logPath;
  DeleteFileA(files.logPath.c_str());
  WriteWholeFile(files.configPath, FormatPlayerSimConfig(options, files.logPath));
  SetEnvironmentVariableA(kConfigEnvVar, files.configPath.c_str());
  return files;
}

namespace {

HANDLE LaunchBesideUs(const char* exeName, std::string_view arguments, int showCommand) {
  std::string commandLine = "\"" + ExeFolder() + "\\" + exeName + "\"";
  if (!arguments.empty()) commandLine += " " + std::string(arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return nullptr;
  }
  CloseHandle(info.hThread);
  return info.hProcess;
}

}  // namespace

HANDLE LaunchPlayerSim(std::string_view arguments, int showCommand) {
  return LaunchBesideUs(kExeName, arguments, showCommand);
}

HANDLE LaunchPlayerSimLauncher(std::string_view arguments, int showCommand) {
  return LaunchBesideUs(kLauncherExeName, arguments, showCommand);
}

PlayerSimProcess StartPlayerSim(const PlayerSimOptions& options, std::string_view arguments, int showCommand,
                                DWORD windowTimeoutMs) {
  PlayerSimProcess sim;
  if (FindPlayerSimWindow()) {
    sim.failure = "a player window already exists";
    return sim;
  }
  const PlayerSimFiles files = ConfigurePlayerSim(options);
  sim.configPath = files.configPath;
  sim.logPath = files.logPath;
  sim.process = LaunchPlayerSim(arguments, showCommand);
  if (!sim.process) {
    sim.failure = "cannot start " + PlayerSimExePath();
    return sim;
  }
  sim.processId = GetProcessId(sim.process);
  if (windowTimeoutMs == 0) return sim;
  const DWORD start = GetTickCount();
  WaitUntil([&] { return (sim.window = FindPlayerSimWindowOf(sim.processId)) != nullptr || ProcessEnded(sim.process); },
            windowTimeoutMs);
  if (!sim.window) {
    sim.failure = ProcessEnded(sim.process) ? "the player ended at start" : "no player window in time";
    return sim;
  }
  // The window exists before it is shown; an answer to WM_NULL means the
  // player has reached its message loop, so its show state has settled.
  const DWORD spent = GetTickCount() - start;
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutA(sim.window, WM_NULL, 0, 0, SMTO_NORMAL, spent < windowTimeoutMs ? windowTimeoutMs - spent : 1,
                           &ignored)) {
    sim.failure = "the player window does not answer";
    sim.window = nullptr;
  }
  return sim;
}

PlayerSimProcess AttachPlayerSim(DWORD windowTimeoutMs) {
  PlayerSimProcess sim;
  if (!WaitUntil([&] { return (sim.window = FindPlayerSimWindow()) != nullptr; }, windowTimeoutMs)) {
    sim.failure = "no player window in time";
    return sim;
  }
  GetWindowThreadProcessId(sim.window, &sim.processId);
  sim.process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, sim.processId);
  if (!sim.process) sim.failure = "cannot open the player's process";
  return sim;
}

std::vector<PlayerSimProcess> AttachEveryPlayerSim() {
  std::vector<PlayerSimProcess> sims;
  for (DWORD id : ProcessIdsNamed(kExeName)) {
    PlayerSimProcess sim;
    sim.processId = id;
    sim.process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
    if (!sim.process) continue;  // ended meanwhile
    sim.window = FindPlayerSimWindowOf(id);
    sims.push_back(std::move(sim));
  }
  return sims;
}

void StopPlayerSim(PlayerSimProcess* sim, DWORD timeoutMs) {
  if (!sim->process) return;
  if (HWND window = FindPlayerSimWindowOf(sim->processId)) PostMessageA(window, WM_CLOSE, 0, 0);
  if (!WaitUntil([&] { return ProcessEnded(sim->process); }, timeoutMs)) {
    TerminateProcess(sim->process, 1);
    WaitForSingleObject(sim->process, timeoutMs);
  }
  CloseHandle(sim->process);
  sim->process = nullptr;
  sim->window = nullptr;
}

HWND FindPlayerSimWindow() { return FindWindowA(kPlayerWindowClass, nullptr); }

HWND FindPlayerSimWindowOf(DWORD processId) {
  for (HWND window = FindWindowExA(nullptr, nullptr, kPlayerWindowClass, nullptr); window;
       window = FindWindowExA(nullptr, window, kPlayerWindowClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

bool SendPlayerSimControl(HWND window, std::string_view command) {
  std::string text(command);
  COPYDATASTRUCT data = {};
  data.dwData = kCopyControl;
  data.cbData = static_cast<DWORD>(text.size() + 1);
  data.lpData = &text[0];
  return SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

bool SendPlayerSimPlaylist(HWND window, const std::vector<PlayerSimTrack>& tracks) {
  std::string command = "playlist ";
  for (size_t i = 0; i < tracks.size(); ++i) command += (i ? ";" : "") + FormatPlayerSimTrack(tracks[i]);
  return SendPlayerSimControl(window, command);
}

bool QueryPlayerSim(HWND window, WPARAM wParam, LPARAM code, DWORD timeoutMs, LRESULT* answer) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, kQueryMessage, wParam, code, SMTO_NORMAL, timeoutMs, &result)) return false;
  *answer = static_cast<LRESULT>(result);
  return true;
}

std::optional<PlayerSimLogEntry> ParsePlayerSimLogLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  PlayerSimLogEntry entry;
  size_t at = 0;
  for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
    entry.tick = entry.tick * 10 + static_cast<DWORD>(line[at] - '0');
  }
  if (at == 0 || at >= line.size() || line[at] != ' ') return std::nullopt;
  const std::string_view rest = line.substr(at + 1);
  const size_t space = rest.find(' ');
  entry.kind = std::string(rest.substr(0, space));
  if (entry.kind.empty()) return std::nullopt;
  if (space != std::string_view::npos) entry.args = std::string(rest.substr(space + 1));
  return entry;
}

std::vector<PlayerSimLogEntry> ReadPlayerSimLog(const std::string& path) {
  std::vector<PlayerSimLogEntry> log;
  const std::string text = ReadShared(path);
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; start = end + 1, end = text.find('\n', start)) {
    if (auto entry = ParsePlayerSimLogLine(std::string_view(text).substr(start, end - start))) {
      log.push_back(std::move(*entry));
    }
  }
  return log;
}

int CountPlayerSimLog(const std::vector<PlayerSimLogEntry>& log, std::string_view kind, std::string_view args) {
  int count = 0;
  for (const PlayerSimLogEntry& entry : log) {
    if (entry.kind == kind && (args.empty() || entry.args == args)) ++count;
  }
  return count;
}

bool WaitForPlayerSimLog(const std::string& path, std::string_view kind, std::string_view args, int count,
                         DWORD timeoutMs) {
  return WaitUntil([&] { return CountPlayerSimLog(ReadPlayerSimLog(path), kind, args) >= count; }, timeoutMs);
}
