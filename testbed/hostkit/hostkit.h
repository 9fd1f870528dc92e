// The host side of the plug-in contract, shared by the stand-in shell and
// the tests: the host's main window, taskbar strip and tooltip window, the
// records HostContext points at, and what the host does with its messages.
#pragma once

#include "host/host_abi.h"
#include "testbed/common/message_wait.h"

#include <windows.h>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The screen edge the taskbar strip lies along.
enum class TaskbarEdge { Bottom, Top, Left, Right };

// A vertical strip's width: wider than the built-in skin, so that a tip
// beside the strip and one beside the control would differ.
constexpr int kVerticalTaskbarWidth = 80;

struct HostKitOptions {
    std::string storePath;      // configuration store file
    std::string pluginPath;     // full path handed to the plug-in
    int rowHeight = 23;
    int scaleFactor = 1;
    TaskbarEdge edge = TaskbarEdge::Bottom;
    bool visible = true;        // show the taskbar strip
};

struct HostKit {
    HWND mainWindow = nullptr;
    HWND taskbarWindow = nullptr;
    HWND tooltipWindow = nullptr;
    int configId = 0;
    TaskbarEdge edge = TaskbarEdge::Bottom;
    int32_t tipRelayFlag = 0;   // 0: the plug-in relays its messages
    std::array<uint8_t, 168> modulePaths{};
    std::array<uint8_t, 656> metrics{};
    std::array<char, MAX_PATH> pluginPath{};
    HostContext context{};

    // What the plug-in asked of the host, in order.
    std::vector<TaskbarItem> taskbarItems;
    std::vector<UINT> modalMessages;       // HM_MODAL_BEGIN / HM_MODAL_END
    std::vector<std::string> setupRequests;  // paths after the '/'
    int setupPageOpens = 0;
    int taskbarRightClicks = 0;  // WM_CONTEXTMENU handed on to the taskbar
};

// Creates the host's windows and fills kit->context. False on failure.
bool CreateHostKit(const HostKitOptions& options, HostKit* kit);
void DestroyHostKit(HostKit* kit);

// The taskbar's height in pixels: rowHeight x scaleFactor.
int TaskbarHeight(const HostKit& kit);

// The strip's screen rectangle on that edge of a screen: one row high
// along the bottom or top, kVerticalTaskbarWidth wide along a side.
RECT TaskbarRectOn(TaskbarEdge edge, int rowHeightPx, int screenWidth, int screenHeight);

// Moves the strip to an edge of the screen and lays its items out again.
void PlaceTaskbar(HostKit* kit, TaskbarEdge edge);

// Where the host puts items: position 0 from the left (top) end, 1 from the
// right (bottom) end; among items at one end, higher priority nearer that
// end. Along a horizontal strip an item is as high as the strip; down a
// vertical one it keeps its own size, against the strip's left side.
struct PlacedItem {
    HWND window;
    RECT rect;  // in taskbar client coordinates
};
std::vector<PlacedItem> LayoutTaskbar(const std::vector<TaskbarItem>& items, int taskbarWidth, int taskbarHeight,
                                      bool vertical = false);

// Called for HM_OPEN_SETUP; the shell sets it to open its setup page.
using SetupPageOpener = void (*)(HostKit* kit, const char* pluginPath);
void SetSetupPageOpener(SetupPageOpener opener);
