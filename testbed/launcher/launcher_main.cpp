// The stand-in launcher: starts the stand-in player beside it with its own
// arguments and show command, and ends at once without waiting for the
// player, as a portable player's launcher does. With
// launcher_windowless_child=1 in the options the player reads, it is a
// console launcher instead: a windowless child of its own first (the
// console host), then, launcher_player_after_ms later, the player. Started
// with the child's private argument, it is that child.
#include <windows.h>

#include <string>

#include "testbed/common/files.h"
#include "testbed/launcher/launcher_child.h"
#include "testbed/player/player_sim_protocol.h"
#include "testbed/player/sim_command_line.h"
#include "testbed/player/sim_config_file.h"
#include "testbed/player/sim_log.h"

namespace {

// The arguments go on as written, a first "--config=" included.
DWORD StartPlayer(std::string_view arguments, int showCommand) {
  std::string commandLine = "\"" + ExeFolder() + "\\" + player_sim::kExeName + "\"";
  if (!arguments.empty()) commandLine += " " + std::string(arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return 0;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return started.dwProcessId;
}

int RunLauncher(int showCommand) {
  const std::string_view arguments = player_sim::ArgumentsOf(GetCommandLineA());
  if (player_launcher::IsWindowlessChildStart(arguments)) return player_launcher::RunWindowlessChild(arguments);
  const player_sim::SimOptions options =
      player_sim::LoadSimOptions(player_sim::SplitConfigArgument(arguments).configPath);
  player_sim::OpenSimLog(options.logPath);
  if (options.launcherWindowlessChild) {
    const DWORD child = player_launcher::StartWindowlessChild(arguments);
    player_sim::LogEvent("LAUNCHER", "child PID=" + std::to_string(child));
    if (options.launcherPlayerAfterMs > 0) Sleep(static_cast<DWORD>(options.launcherPlayerAfterMs));
  }
  const DWORD player = StartPlayer(arguments, showCommand);
  player_sim::LogEvent("LAUNCHER", "player PID=" + std::to_string(player));
  const int exitCode = player ? 0 : 1;
  player_sim::LogEvent("LAUNCHER", "exit " + std::to_string(exitCode));
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
