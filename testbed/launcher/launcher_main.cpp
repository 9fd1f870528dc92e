// The stand-in launcher: starts the stand-in player beside it with its own
// arguments and show command, and ends at once without waiting for the
// player, as a portable player's launcher does. With
// launcher_windowless_child=1 in the options the player reads, it is a
// console launcher instead: a windowless child of its own first (the
// console host), then, launcher_player_after_ms later, the player. With
// launcher_middle_process=1 it starts the player through a process between
// (as cmd's start or a script host does), which starts the player and ends
// at once; the launcher ends 500 ms after it. Started with a private first
// argument, it is that child or that process between.
#include <windows.h>

#include <string>

#include "testbed/common/files.h"
#include "testbed/launcher/launcher_child.h"
#include "testbed/player/player_sim_protocol.h"
#include "testbed/player/sim_command_line.h"
#include "testbed/player/sim_config_file.h"
#include "testbed/player/sim_log.h"

namespace {

// This start is the process between; the launcher's arguments follow.
constexpr std::string_view kMiddleArg = "--middle-process";
// The launcher outlives the process between by this much.
constexpr DWORD kOutlivesMiddleMs = 500;

// Starts a program of this folder. The arguments go on as written, a first
// "--config=" included. The started process's handle, which the caller
// closes, or nullptr.
HANDLE StartBeside(const char* exeName, std::string_view arguments, int showCommand) {
  std::string commandLine = "\"" + ExeFolder() + "\\" + exeName + "\"";
  if (!arguments.empty()) commandLine += " " + std::string(arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return nullptr;
  }
  CloseHandle(started.hThread);
  return started.hProcess;
}

// The player's process id, or 0 when it could not be started.
DWORD StartPlayer(std::string_view arguments, int showCommand) {
  const HANDLE player = StartBeside(player_sim::kExeName, arguments, showCommand);
  if (!player) return 0;
  const DWORD id = GetProcessId(player);
  CloseHandle(player);
  return id;
}

// The process between: it starts the player and ends.
int RunMiddle(std::string_view arguments, int showCommand) {
  const DWORD player = StartPlayer(arguments, showCommand);
  player_sim::LogEvent("LAUNCHER-MIDDLE", "player PID=" + std::to_string(player));
  return player ? 0 : 1;
}

// Starts the process between and waits for it, so that it has surely ended
// first; the launcher's exit code is its.
int RunThroughMiddle(std::string_view arguments, int showCommand) {
  const std::string middleArguments = std::string(kMiddleArg) + " " + std::string(arguments);
  const HANDLE middle = StartBeside(player_sim::kLauncherExeName, middleArguments, showCommand);
  if (!middle) return 1;
  player_sim::LogEvent("LAUNCHER", "middle PID=" + std::to_string(GetProcessId(middle)));
  WaitForSingleObject(middle, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(middle, &exitCode);
  CloseHandle(middle);
  Sleep(kOutlivesMiddleMs);
  return static_cast<int>(exitCode);
}

int RunLauncher(int showCommand) {
  std::string_view arguments = player_sim::ArgumentsOf(GetCommandLineA());
  if (player_launcher::IsWindowlessChildStart(arguments)) return player_launcher::RunWindowlessChild(arguments);
  const bool isMiddle = arguments.substr(0, kMiddleArg.size()) == kMiddleArg;
  // The private argument is skipped as a program's name would be.
  if (isMiddle) arguments = player_sim::ArgumentsOf(arguments);
  const player_sim::SimOptions options =
      player_sim::LoadSimOptions(player_sim::SplitConfigArgument(arguments).configPath);
  player_sim::OpenSimLog(options.logPath);
  int exitCode = 0;
  if (isMiddle) {
    exitCode = RunMiddle(arguments, showCommand);
  } else if (options.launcherMiddleProcess) {
    exitCode = RunThroughMiddle(arguments, showCommand);
  } else {
    if (options.launcherWindowlessChild) {
      const DWORD child = player_launcher::StartWindowlessChild(arguments);
      player_sim::LogEvent("LAUNCHER", "child PID=" + std::to_string(child));
      if (options.launcherPlayerAfterMs > 0) Sleep(static_cast<DWORD>(options.launcherPlayerAfterMs));
    }
    const DWORD player = StartPlayer(arguments, showCommand);
    player_sim::LogEvent("LAUNCHER", "player PID=" + std::to_string(player));
    exitCode = player ? 0 : 1;
  }
  player_sim::LogEvent(isMiddle ? "LAUNCHER-MIDDLE" : "LAUNCHER", "exit " + std::to_string(exitCode));
  player_sim::CloseSimLog();
  return exitCode;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  try {
    return RunLauncher(showCommand);
  } catch (...) {
    return 1;
  }
}
