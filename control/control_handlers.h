// What the control's window procedure does for each kind of event, one
// handler per event, and the pure pieces they are built from.
#pragma once

#include "player/player_modes.h"
#include "plugin/state/language.h"

#include <windows.h>
#include <array>

// Hovering: the first mouse move starts the hover timer, whose ticks
// follow the pointer until it leaves the control.
extern RECT savedWindowRect;
void OnMouseMove();
void OnHoverTick();

// Left button. OnPress is false when the pressed look was already drawn,
// so the press changed nothing but buttonDown.
bool OnPress();
void OnRelease();

// Pure: the seek percentage for a press at client x over the bar.
int BarPercent(int x, int sideOffset, int cellWidthPx);

// Context menu and its commands.
constexpr UINT CMD_PLAYER_PREFERENCES = 1026;
constexpr UINT CMD_RUN_PLAYER = 1027;
constexpr UINT CMD_PLUGIN_SETUP = 1028;
constexpr UINT CMD_TOGGLE_PLAYER_WINDOW = 1029;
constexpr UINT CMD_HIDE_ON_MINIMIZE = 1031;
constexpr UINT CMD_SHUFFLE = 1032;
constexpr UINT CMD_REPEAT = 1033;
// The playlist's submenu; its entries are CMD_PLAYLIST_FIRST on
// (control/playlist_menu.h).
constexpr UINT CMD_PLAYLIST = 1039;
constexpr UINT kSeparator = 0;

struct MenuFacts {
    bool playerRuns;       // found when the menu is built
    bool playerShown;      // its window visible and not minimised
    bool hideOnMinimize;
    bool pathUsable;       // the stored path names an existing file
    PlayerModes modes;     // the player's answers, asked off the host's thread
    bool playlistShown;    // the player told its playlist, and it is not empty
};

struct MenuEntry {
    UINT id;  // kSeparator for a separator
    const char* text;
    bool checked;
    bool grayed;
};

struct MenuShape {
    std::array<MenuEntry, 9> entries;
    int count;
};

// Pure: the items of the context menu, in order.
MenuShape ContextMenuShape(const MenuFacts& facts, Language language);

// Opens the menu at a screen point (WM_CONTEXTMENU's lParam) and returns
// once it is closed; the modes and the playlist (nullptr: none) are what
// the player answered. False when the plug-in was stopped while the menu
// was open: nothing of that start may be touched any more.
bool OpenContextMenu(LPARAM screenPoint, PlayerModes modes, const PlaylistPart* playlist = nullptr);
// WM_CONTEXTMENU. With the player running, the menu waits for a worker to
// ask it for shuffle and repeat, and opens at MSG_MODES_DONE. The
// right-click goes on to the host's taskbar once the menu has closed, or
// at once when no menu opens.
void OnContextMenu(LPARAM screenPoint);
// WM_RBUTTONDOWN: the menu's worker asks for the menu the release will
// ask for, while the button is down.
void OnRightButtonDown();
// MSG_MODES_DONE, whose wParam is the menu worker's thread id: opens the
// menu that waited for the answers, or asks for them once a change ended.
void FinishModes(WPARAM poster, LPARAM packedModes);
void OnMenuCommand(UINT id);
// CMD_SHUFFLE or CMD_REPEAT: a worker sets that mode to the opposite of
// what the last menu showed.
void ChangePlayerMode(UINT id);

// "/" and the plug-in's path, cut to fit and always terminated.
constexpr int kSetupRequestSize = 262;
using SetupRequest = std::array<char, kSetupRequestSize>;
SetupRequest BuildSetupRequest(const char* pluginPath);

// TTN_SHOW from the host's tooltip: returns the SetWindowPos result.
LRESULT OnTooltipShown(HWND tooltip);
