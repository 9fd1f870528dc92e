// The song title popup above the control: the title read from the
// player's caption, the tip's size and place, and its painting.
#pragma once

#include <windows.h>
#include <string_view>

constexpr const char* kTitleTipClass = "Pelorin_Tip";
constexpr int kTitleTextSize = 261;
constexpr const char* kProductName = "Pelorin";
constexpr UINT TITLE_TIP_CHANGE_MS = 7000;

extern char titleText[kTitleTextSize];   // as last read
extern char shownTitle[kTitleTextSize];  // what the tip was last sized for
extern HBRUSH titleTipBrush;
extern HPEN titleTipPen;
extern int titleTipX, titleTipY, titleTipWidth, titleTipHeight;
extern int titleIconSize;
extern HICON titleIcon;

// Pure: the song title in a player caption, a prefix of it: everything
// from the first "Winamp" on goes, with the spaces and dashes before it.
std::string_view CutTitle(std::string_view caption);

// Pure: the largest icon edge that leaves a pixel above and below it in a
// tip of this height, or previous when none does.
int IconSizeFor(int tipHeight, int previous);

// Pure: the tip's top-left corner, right-aligned with the control and
// just above a taskbar of the control's height; never left of the screen.
POINT TitleTipOrigin(int controlLeft, int controlWidthPx, int controlHeightPx, int tipWidth, int tipHeight,
                     int screenHeight);

// Fills titleText from the player's caption, "Pelorin" when there is none.
void ReadTitle();

// Reads the caption, resizes on change and places the tip. Also the
// TIMER_TITLE_REFRESH callback; the arguments are not used.
void CALLBACK UpdateTitleTip(HWND window = nullptr, UINT message = 0, UINT_PTR id = 0, DWORD time = 0);

void PaintTitleTip(HDC dc, HWND window);
LRESULT CALLBACK TitleTipWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
