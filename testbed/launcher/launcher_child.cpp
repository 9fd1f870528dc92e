// The launcher's windowless child, started and run.
#include "testbed/launcher/launcher_child.h"

#include <memory>
#include <string>

#include "testbed/player/sim_command_line.h"
#include "testbed/player/sim_config_file.h"
#include "testbed/player/sim_log.h"
#include "testbed/player/sim_values.h"

namespace player_launcher {
namespace {

// Followed by the launcher's process handle as a decimal number. Nobody who
// starts the launcher passes it.
constexpr std::string_view kChildArgPrefix = "--windowless-child-of=";
// A console host outlives the program it served by about this much.
constexpr DWORD kLingerMs = 300;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::string OwnExePath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : MAX_PATH);
}

struct ChildArguments {
  std::string_view handleNumber;
  std::string_view launcherArguments;
};

// Called only for arguments that begin with the private one.
ChildArguments SplitChildArguments(std::string_view arguments) {
  const std::string_view afterPrefix = arguments.substr(kChildArgPrefix.size());
  const size_t blank = afterPrefix.find_first_of(" \t");
  if (blank == std::string_view::npos) return {afterPrefix, {}};
  const size_t next = afterPrefix.find_first_not_of(" \t", blank);
  return {afterPrefix.substr(0, blank), next == std::string_view::npos ? std::string_view() : afterPrefix.substr(next)};
}

}  // namespace

DWORD StartWindowlessChild(std::string_view launcherArguments) {
  HANDLE self = nullptr;
  // Inherited rather than named by id: by the time the child looked, the
  // id could belong to another process.
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0)) {
    return 0;
  }
  const UniqueHandle inherited(self);
  std::string commandLine = "\"" + OwnExePath() + "\" " + std::string(kChildArgPrefix) +
                            std::to_string(reinterpret_cast<uintptr_t>(self));
  if (!launcherArguments.empty()) commandLine += " " + std::string(launcherArguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    return 0;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return started.dwProcessId;
}

bool IsWindowlessChildStart(std::string_view arguments) {
  return arguments.substr(0, kChildArgPrefix.size()) == kChildArgPrefix;
}

int RunWindowlessChild(std::string_view arguments) {
  const ChildArguments split = SplitChildArguments(arguments);
  int handleValue = 0;
  const UniqueHandle launcher(player_sim::ParseInt(split.handleNumber, &handleValue)
                                  ? reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handleValue))
                                  : nullptr);
  const player_sim::SimOptions options =
      player_sim::LoadSimOptions(player_sim::SplitConfigArgument(split.launcherArguments).configPath);
  player_sim::OpenSimLog(options.logPath);
  player_sim::LogEvent("LAUNCHER-CHILD", "start");
  // A number that names no process (a start by hand) fails the wait at once.
  if (launcher) WaitForSingleObject(launcher.get(), INFINITE);
  Sleep(kLingerMs);
  player_sim::LogEvent("LAUNCHER-CHILD", "exit");
  player_sim::CloseSimLog();
  return 0;
}

}  // namespace player_launcher
