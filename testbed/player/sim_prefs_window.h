// The stand-in player's Preferences window: a real, modeless top-level
// window, so the caller of the preferences command is never blocked.
#pragma once

#include <windows.h>

namespace player_sim {

bool RegisterPrefsClass(HINSTANCE instance);
void ShowPreferencesWindow(HWND owner);

}  // namespace player_sim
