// The stand-in launcher: starts the stand-in player beside it with its own
// arguments and show command, and ends at once without waiting for the
// player, as a portable player's launcher does.
#include <windows.h>

#include <string>

#include "testbed/common/files.h"
#include "testbed/player/player_sim_protocol.h"
#include "testbed/player/sim_command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  std::string commandLine = "\"" + ExeFolder() + "\\" + player_sim::kExeName + "\"";
  const std::string_view arguments = player_sim::ArgumentsOf(GetCommandLineA());
  if (!arguments.empty()) commandLine += " " + std::string(arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return 1;
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return 0;
}
