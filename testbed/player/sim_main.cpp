// The stand-in player program: reads its options, makes sure only one
// player runs (a second start hands its command line to the first, as the
// real player does, unless the options make every start a player of its
// own that ignores its command line), then opens its window and serves
// messages until closed.
#include <windows.h>

#include <algorithm>
#include <string>

#include "testbed/player/player_sim_protocol.h"
#include "testbed/player/sim_command_line.h"
#include "testbed/player/sim_config_file.h"
#include "testbed/player/sim_log.h"
#include "testbed/player/sim_options.h"
#include "testbed/player/sim_prefs_window.h"
#include "testbed/player/sim_state.h"
#include "testbed/player/sim_window.h"

namespace player_sim {

SimState simState;

namespace {

constexpr char kInstanceMutexName[] = "PelorinPlayerSimInstance";
// A first instance may still be in its start delay; a second start waits
// for its window this long before giving up.
constexpr DWORD kClaimTimeoutMs = 30000;
constexpr DWORD kClaimPollMs = 20;
constexpr UINT kForwardTimeoutMs = 10000;

bool ForwardCommandLine(HWND running, const std::string& arguments) {
  COPYDATASTRUCT data = {};
  data.dwData = kCopyCommandLine;
  data.cbData = static_cast<DWORD>(arguments.size() + 1);
  data.lpData = const_cast<char*>(arguments.c_str());
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                             kForwardTimeoutMs, &answer) != 0 &&
         answer != 0;
}

enum class Role { Player, Forwarded, GaveUp };

// The player is whoever holds the instance mutex. Anyone else waits for the
// holder's window and forwards to it; if the holder goes away instead, the
// abandoned mutex makes the waiting one the player.
Role ClaimPlayerRole(HANDLE mutex, bool firstInstance, const std::string& arguments, DWORD forwardDelayMs,
                     bool slow) {
  if (firstInstance) return Role::Player;
  // A start slowed by a busy machine: a later instance may overtake it.
  if (slow) Sleep(forwardDelayMs);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start <= kClaimTimeoutMs) {
    const DWORD wait = WaitForSingleObject(mutex, kClaimPollMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return Role::Player;
    HWND running = FindWindowA(kPlayerWindowClass, nullptr);
    if (!running) continue;
    const bool forwarded = ForwardCommandLine(running, arguments);
    // A window that closed under us belonged to a player on its way out:
    // wait for its mutex instead of losing the command line.
    if (!forwarded && !IsWindow(running)) continue;
    LogEvent("FORWARD", forwarded ? "ok" : "failed");
    return forwarded ? Role::Forwarded : Role::GaveUp;
  }
  LogEvent("FORWARD", "no window");
  return Role::GaveUp;
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

// files: what the command line gives the player to open or add.
int ServeAsPlayer(HINSTANCE instance, int showCommand, const SimOptions& options, std::string_view files) {
  if (options.startDelayMs > 0) Sleep(static_cast<DWORD>(options.startDelayMs));
  const uint32_t now = GetTickCount();
  simState.runtime = InitialRuntime(options, now);
  simState.runtime.model = ApplyFileArguments(simState.runtime.model, files, now);
  // What a forwarded instance's COPYDATA line says for files handed over.
  if (!files.empty()) LogEvent("CMDLINE", files);
  const bool ready = RegisterPlayerClass(instance) && RegisterPrefsClass(instance) &&
                     CreatePlayerWindow(instance, showCommand, options.exitAfterMs) != nullptr;
  return ready ? RunMessageLoop() : 1;
}

// Logs its end while it still holds the player's role, so a waiting start
// that takes the role over logs after it.
int RunInstance(HINSTANCE instance, int showCommand, const SimOptions& options, std::string_view arguments) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
  const bool firstInstance = mutex && GetLastError() != ERROR_ALREADY_EXISTS;
  Role role = Role::Player;
  bool ownsMutex = firstInstance;
  if (options.ignoreCommandLine) {
    if (!arguments.empty()) LogEvent("IGNORED", arguments);
    arguments = {};
  } else if (mutex) {
    const std::string forwarded(arguments);
    const bool slow = forwarded.find(options.forwardDelayFor) != std::string::npos;
    const DWORD forwardDelay = static_cast<DWORD>(std::max(0, options.forwardDelayMs));
    role = ClaimPlayerRole(mutex, firstInstance, forwarded, forwardDelay, slow);
    ownsMutex = role == Role::Player;
  }

  int exitCode = 0;
  if (role == Role::Player) {
    exitCode = ServeAsPlayer(instance, showCommand, options, arguments);
  } else {
    exitCode = role == Role::Forwarded ? 0 : 1;
  }
  LogEvent("EXIT", std::to_string(exitCode));
  if (mutex) {
    if (ownsMutex) ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
  return exitCode;
}

int RunPlayer(HINSTANCE instance, int showCommand) {
  const std::string_view arguments = ArgumentsOf(GetCommandLineA());
  const ConfigSplit split = SplitConfigArgument(arguments);
  const SimOptions options = LoadSimOptions(split.configPath);

  OpenSimLog(options.logPath);
  LogEvent("START", "PID=" + std::to_string(GetCurrentProcessId()) + " SW=" + std::to_string(showCommand) +
                        " CMDLINE=" + std::string(arguments));
  int exitCode = 1;
  if (options.exitAtStart) {
    // A player that dies at start: no window, no claim on the role.
    LogEvent("EXIT", std::to_string(exitCode));
  } else {
    exitCode = RunInstance(instance, showCommand, options, split.rest);
  }
  CloseSimLog();
  return exitCode;
}

}  // namespace
}  // namespace player_sim

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  try {
    return player_sim::RunPlayer(instance, showCommand);
  } catch (...) {
    return 1;
  }
}
