// The stand-in player's main window: the class the plug-in looks for, and
// the procedure that answers its queries, carries out its commands and
// takes command lines and test commands by WM_COPYDATA.
#pragma once

#include <windows.h>

namespace player_sim {

bool RegisterPlayerClass(HINSTANCE instance);
HWND CreatePlayerWindow(HINSTANCE instance, int showCommand);

}  // namespace player_sim
