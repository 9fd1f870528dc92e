// The taskbar control's window procedure.
#pragma once

#include <windows.h>

constexpr const char* kControlClass = "Pelorin";

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
