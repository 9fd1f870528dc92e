// The stand-in player's main window: the class the plug-in looks for, and
// the procedure that answers its queries, carries out its commands and
// takes files, command lines and test commands by WM_COPYDATA.
#pragma once

#include <windows.h>

namespace player_sim {

bool RegisterPlayerClass(HINSTANCE instance);
// exitAfterMs 0 or more: the window is destroyed that long after it was
// shown (0: before this returns), which ends the message loop.
HWND CreatePlayerWindow(HINSTANCE instance, int showCommand, int exitAfterMs);

}  // namespace player_sim
