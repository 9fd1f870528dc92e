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

struct HostKitOptions {
    std::string storePath;      // configuration store file
    std::string pluginPath;     // full path handed to the plug-in
    int rowHeight = 23;
    int scaleFactor = 1;
    bool visible = true;        // show the taskbar strip
};

struct HostKit {
    HWND mainWindow = nullptr;
    HWND taskbarWindow = nullptr;
    HWND tooltipWindow = nullptr;
    int configId = 0;
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
};

// Creates the host's windows and fills kit->context. False on failure.
bool CreateHostKit(const HostKitOptions& options, HostKit* kit);
void DestroyHostKit(HostKit* kit);

// The taskbar's height in pixels: rowHeight x scaleFactor.
int TaskbarHeight(const HostKit& kit);

// Where the host puts items: position 0 from the left end, 1 from the right
// end; among items at one end, higher priority nearer that end.
struct PlacedItem {
    HWND window;
    RECT rect;  // in taskbar client coordinates
};
std::vector<PlacedItem> LayoutTaskbar(const std::vector<TaskbarItem>& items, int taskbarWidth, int taskbarHeight);

// Called for HM_OPEN_SETUP; the shell sets it to open its setup page.
using SetupPageOpener = void (*)(HostKit* kit, const char* pluginPath);
void SetSetupPageOpener(SetupPageOpener opener);
