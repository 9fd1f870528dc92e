// The song title popup beside the taskbar: the title read from the
// player's caption, the tip's size and place, and its painting. A title
// that the system's code page cannot hold also travels in UTF-16.
#pragma once

#include "cover/cover_picture.h"

#include <windows.h>
#include <string>
#include <string_view>

constexpr const char* kTitleTipClass = "Pelorin_Tip";
constexpr int kTitleTextSize = 261;
constexpr const char* kProductName = "Pelorin";
constexpr UINT TITLE_TIP_CHANGE_MS = 7000;

extern char titleText[kTitleTextSize];   // as last read
extern char shownTitle[kTitleTextSize];  // what the tip was last sized for
// The same two in UTF-16 when the code page cannot hold the title; empty
// while the ANSI ones serve.
extern wchar_t wideTitleText[kTitleTextSize];
extern wchar_t shownWideTitle[kTitleTextSize];
// A font of the tip's height for a script the tip's font lacks; nullptr
// while the tip's font has the glyphs.
extern HFONT wideTitleFont;
extern HBRUSH titleTipBrush;
extern HPEN titleTipPen;
extern int titleTipX, titleTipY, titleTipWidth, titleTipHeight;
extern int titleIconSize;
extern HICON titleIcon;

// Pure: the song title in a player caption, a prefix of it: everything
// from the first "Winamp" on goes, with the spaces and dashes before it.
std::string_view CutTitle(std::string_view caption);
std::wstring_view CutTitle(std::wstring_view caption);

// Pure: a caption the player scrolls ("tle - Winamp *** 3. Artist - Ti")
// read as a circle and put back in one piece, from after its "*** " to just
// before it; a caption without "- Winamp ***" anywhere on the circle comes
// back as it is.
std::string RestoreScrolledCaption(std::string_view caption);
std::wstring RestoreScrolledCaption(std::wstring_view caption);

// Pure: the song title of a caption, restored and then cut.
std::string TitleOfCaption(std::string_view caption);
std::wstring TitleOfCaption(std::wstring_view caption);

// True when the title holds a character that the code page can only show
// as its default character, so only UTF-16 keeps it.
bool NeedsWideTitle(std::wstring_view title, UINT codePage);

// Pure: the largest icon edge that leaves a pixel above and below it in a
// tip of this height, or previous when none does.
int IconSizeFor(int tipHeight, int previous);

// Where the title tip has to fit in, in screen pixels.
struct TipSurroundings {
    RECT control;   // the control as the host placed it
    RECT taskbar;   // the strip that holds it
    RECT monitor;   // the control's monitor
    RECT workArea;  // that monitor's work area
};

// Pure: the tip's top-left corner. The tip goes against the side of the
// taskbar that faces the middle of the control's monitor (above a bottom
// taskbar, below a top one, right of a left one, left of a right one),
// lined up with the control's far edge along the taskbar (right edges on
// a horizontal one, bottom edges on a vertical one), and is kept inside
// the work area when that holds the control, else inside the monitor.
// A taskbar rectangle that does not hold the control leaves the control
// to stand for the strip.
POINT TitleTipOrigin(const TipSurroundings& around, SIZE tip);

// Fills titleText (and wideTitleText when needed) from the player's
// caption, "Pelorin" when there is none.
void ReadTitle();

// shownWideTitle's extent in the font that will draw it, chosen here.
RECT MeasureWideTitle(HDC dc);
// Draws shownWideTitle as the host's MDrawText draws the ANSI title.
void DrawWideTitle(HDC dc, RECT textRect);
void ReleaseWideTitleFont();

// Where the cover goes in the tip: a square 3 pixels inside the frame at
// its left, the title to its right, the tip as high as the square needs.
constexpr int kCoverInset = 3;
constexpr int kTitleTextGap = 5;  // between the icon's or the cover's box and the text
constexpr int kCoverTipHeight = kCoverSide + 2 * kCoverInset;

// Host's thread: sizes the tip for what it shows now (the shown title and
// the cover's square, when it keeps one) and places it again; repaints it.
void RefitTitleTip();
// Host's thread: shows the tip for TITLE_TIP_CHANGE_MS, as a new song does.
void PopTitleTip();

// Reads the caption, resizes on change and places the tip. Also the
// TIMER_TITLE_REFRESH callback; the arguments are not used.
void CALLBACK UpdateTitleTip(HWND window = nullptr, UINT message = 0, UINT_PTR id = 0, DWORD time = 0);

void PaintTitleTip(HDC dc, HWND window);
LRESULT CALLBACK TitleTipWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
