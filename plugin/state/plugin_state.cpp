// Storage and load-time values of the plug-in's globals.
#include "plugin/state/plugin_state.h"

PluginState pluginState = {
    /* controlWindow */ nullptr,
    /* titleTipWindow */ nullptr,
    /* playerWindow */ nullptr,
    /* position */ 0,
    /* priorityPosition */ 5,
    /* borderOnMouseOver */ true,
    /* showPressedButtons */ true,
    /* runAtStartup */ false,
    /* runMinimized */ true,
    /* hideOnMinimize */ false,
    /* volumeSteps */ 5,
    /* sideOffset */ 1,
    /* hotItem */ HOT_NONE,
    /* drawnHotItem */ HOT_NONE,
    /* buttonDown */ false,
    /* drawnButtonDown */ false,
    /* hoverTimer */ 0,
    /* pollTimer */ 0,
    /* startupTimer */ 0,
    /* launchWatchdogTimer */ 0,
    /* titleTipTimer */ 0,
    /* titleRefreshTimer */ 0,
    /* playerStatus */ PLAYER_NOT_RUNNING,
    /* drawnPlayerStatus */ PLAYER_NOT_RUNNING,
    /* startupPending */ true,
    /* pendingCommand */ HOT_NONE,
    /* commandBusy */ false,
    /* launchThread */ nullptr,
    /* blinkPhase */ false,
    /* dropBusy */ false,
    /* barHeight */ 3,
    /* barOffsetBottomRow */ false,
    /* positionUnchanged */ false,
    /* lastPositionMs */ 0,
    /* buttonTips */ false,
    /* songTitleTip */ true,
};

HostContext hostContext = {};
LCID systemLcid = 0;
RECT titleTipClientRect = {};
HINSTANCE pluginInstance = nullptr;
