// The windowless child a console launcher's console host stands for. The
// launcher starts it before the player and hands it a handle to its own
// process; the child makes no window, waits for the launcher to end,
// lingers as a console host does, and ends.
#pragma once

#include <windows.h>

#include <string_view>

namespace player_launcher {

// Starts this program again as the child, the launcher's arguments after
// the private first one so that it reads the same options; the child's
// process id, or 0 when it could not be started.
DWORD StartWindowlessChild(std::string_view launcherArguments);

// True when the arguments begin with that private argument.
bool IsWindowlessChildStart(std::string_view arguments);

// Runs as the child until it ends; its exit code.
int RunWindowlessChild(std::string_view arguments);

}  // namespace player_launcher
