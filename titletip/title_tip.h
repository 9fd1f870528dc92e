// The song title popup above the control.
#pragma once

#include <windows.h>

constexpr const char* kTitleTipClass = "Pelorin_Tip";
constexpr int kTitleTextSize = 261;

extern char titleText[kTitleTextSize];
extern HBRUSH titleTipBrush;
extern HPEN titleTipPen;
extern int titleTipX, titleTipY, titleTipWidth, titleTipHeight;

// Reads the caption, resizes on change and places the tip. Also the
// TIMER_TITLE_REFRESH callback; the arguments are not used.
void CALLBACK UpdateTitleTip(HWND window = nullptr, UINT message = 0, UINT_PTR id = 0, DWORD time = 0);
LRESULT CALLBACK TitleTipWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
