// What the control's window procedure does for each kind of event, one
// handler per event, and the pure pieces they are built from.
#pragma once

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
constexpr UINT kSeparator = 0;

struct MenuFacts {
    bool playerRuns;       // found when the menu is built
    bool playerShown;      // its window visible and not minimised
    bool hideOnMinimize;
    bool pathUsable;       // the stored path names an existing file
    bool playerRunsLater;  // found again just before the setup item
};

struct MenuEntry {
    UINT id;  // kSeparator for a separator
    const char* text;
    bool checked;
};

struct MenuShape {
    std::array<MenuEntry, 6> entries;
    int count;
};

// Pure: the items of the context menu, in order.
MenuShape ContextMenuShape(const MenuFacts& facts, Language language);

void OnContextMenu(LPARAM screenPoint);
void OnMenuCommand(UINT id);

// "/" and the plug-in's path, cut to fit and always terminated.
constexpr int kSetupRequestSize = 262;
using SetupRequest = std::array<char, kSetupRequestSize>;
SetupRequest BuildSetupRequest(const char* pluginPath);

// TTN_SHOW from the host's tooltip: returns the SetWindowPos result.
LRESULT OnTooltipShown(HWND tooltip);
