// The stand-in player's Preferences window.
#include "testbed/player/sim_prefs_window.h"

#include "testbed/player/player_sim_protocol.h"

namespace player_sim {
namespace {

constexpr int kPrefsWidth = 300;
constexpr int kPrefsHeight = 160;

}  // namespace

bool RegisterPrefsClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kPrefsWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

void ShowPreferencesWindow(HWND owner) {
  // One Preferences window at a time, as in the real player: asking again
  // brings the open one forward.
  HWND prefs = FindWindowA(kPrefsWindowClass, nullptr);
  if (!prefs) {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    prefs = CreateWindowExA(0, kPrefsWindowClass, "Preferences", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                            CW_USEDEFAULT, CW_USEDEFAULT, kPrefsWidth, kPrefsHeight, owner, nullptr, instance,
                            nullptr);
    if (!prefs) return;
    CreateWindowExA(0, "STATIC", "Player preferences (simulated).", WS_CHILD | WS_VISIBLE, 12, 12,
                    kPrefsWidth - 36, 40, prefs, nullptr, instance, nullptr);
  }
  ShowWindow(prefs, SW_SHOWNORMAL);
  SetForegroundWindow(prefs);
}

}  // namespace player_sim
