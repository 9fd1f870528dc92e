// The plug-in's one global state record and the library-wide globals that
// every other module reads: the host context copy, the system locale and
// two scratch rectangles. Timer ids and private messages live here too so
// that their numbers are defined once.
#pragma once

#include "host/host_abi.h"

#include <windows.h>
#include <cstdint>

// What the pointer is over: -1 nothing, 0..9 a cell (column + 5 x row),
// 12 the position bar.
constexpr int HOT_NONE = -1;
constexpr int HOT_ON_OFF = 0;
constexpr int HOT_PLAY = 1;
constexpr int HOT_PAUSE = 2;
constexpr int HOT_STOP = 3;
constexpr int HOT_VOLUME_UP = 4;
constexpr int HOT_DISPLAY = 5;
constexpr int HOT_OPEN = 6;
constexpr int HOT_PREV = 7;
constexpr int HOT_NEXT = 8;
constexpr int HOT_VOLUME_DOWN = 9;
constexpr int HOT_POSITION_BAR = 12;

// The cells that make sense while the player is not running: they start it.
constexpr bool CellStartsPlayer(int hot) { return hot == HOT_ON_OFF || hot == HOT_PLAY || hot == HOT_OPEN; }

// The player's state as the plug-in sees it.
constexpr int PLAYER_NOT_RUNNING = -1;
constexpr int PLAYER_PLAYING = 1;
constexpr int PLAYER_PAUSED = 2;
constexpr int PLAYER_STOPPED = 3;

// Timer ids; each one's window and period are noted beside it.
constexpr UINT_PTR TIMER_HOVER = 1;            // control, WM_TIMER
constexpr UINT_PTR TIMER_POLL = 2;             // control, callback
constexpr UINT_PTR TIMER_STARTUP = 3;          // control, callback, once
constexpr UINT_PTR TIMER_LAUNCH_WATCHDOG = 4;  // control, callback
constexpr UINT_PTR TIMER_TITLE_TIP = 5;        // title tip, WM_TIMER
constexpr UINT_PTR TIMER_TITLE_REFRESH = 6;    // control, callback

constexpr UINT HOVER_PERIOD_MS = 160;
constexpr UINT POLL_PERIOD_MS = 1000;
constexpr UINT STARTUP_DELAY_MS = 15000;
constexpr UINT LAUNCH_WATCHDOG_MS = 20000;
constexpr UINT TITLE_REFRESH_PERIOD_MS = 500;

// Posted to the control window by the worker threads.
constexpr UINT MSG_COMMAND_DONE = 1025;
constexpr UINT MSG_LAUNCH_DONE = 1032;
// The drop worker has ended its drop (wParam: its thread id).
constexpr UINT MSG_DROP_DONE = 1034;
// The poll worker has the player's answers (wParam: its thread id).
constexpr UINT MSG_POLL_DONE = 1035;
// The menu's worker has asked the player for shuffle and repeat, or set
// one (wParam: its thread id; lParam: the packed answers, 0 after a set).
constexpr UINT MSG_MODES_DONE = 1036;
// The cover's worker has looked for the song's cover (wParam: its thread
// id; what it found is in its job).
constexpr UINT MSG_COVER_DONE = 1037;

// Read and written on the host's thread only: a worker gets what it needs
// in its job and tells what it learnt by posting to the control.
struct PluginState {
    HWND controlWindow;
    HWND titleTipWindow;
    HWND playerWindow;
    int32_t position;
    int32_t priorityPosition;
    bool borderOnMouseOver;
    bool showPressedButtons;
    bool runAtStartup;
    bool runMinimized;
    bool hideOnMinimize;
    int32_t volumeSteps;
    int32_t sideOffset;
    int32_t hotItem;
    int32_t drawnHotItem;
    bool buttonDown;
    bool drawnButtonDown;
    UINT_PTR hoverTimer;
    UINT_PTR pollTimer;
    UINT_PTR startupTimer;
    UINT_PTR launchWatchdogTimer;
    UINT_PTR titleTipTimer;
    UINT_PTR titleRefreshTimer;
    int32_t playerStatus;
    int32_t drawnPlayerStatus;
    bool startupPending;
    int32_t pendingCommand;
    // The command worker sends a press's commands; it owns no handle.
    bool commandBusy;
    HANDLE launchThread;  // the launch under way, owned; nullptr when none
    bool blinkPhase;
    bool dropBusy;
    int32_t barHeight;
    bool barOffsetBottomRow;
    bool positionUnchanged;
    int32_t lastPositionMs;
    bool buttonTips;
    bool songTitleTip;
};
static_assert(sizeof(HWND) == 4 && sizeof(HANDLE) == 4 && sizeof(UINT_PTR) == 4, "");
static_assert(sizeof(bool) == 1, "booleans are one byte");

extern PluginState pluginState;
extern HostContext hostContext;
extern LCID systemLcid;
extern RECT titleTipClientRect;
extern HINSTANCE pluginInstance;
