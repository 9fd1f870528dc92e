// The stand-in host's windows and its answers to the plug-in's messages.
#include "testbed/hostkit/hostkit.h"

#include "testbed/starter/standin_api.h"

#include <commctrl.h>
#include <algorithm>
#include <cstring>

namespace {

constexpr char kMainClass[] = "MirelStandInMain";
constexpr char kTaskbarClass[] = "MirelStandInTaskbar";

SetupPageOpener setupPageOpener = nullptr;

HostKit* KitOf(HWND window) {
    return reinterpret_cast<HostKit*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool IsVertical(TaskbarEdge edge) { return edge == TaskbarEdge::Left || edge == TaskbarEdge::Right; }

void PlaceTaskbarItems(HostKit* kit) {
    RECT client;
    GetClientRect(kit->taskbarWindow, &client);
    for (const PlacedItem& placed :
         LayoutTaskbar(kit->taskbarItems, client.right, client.bottom, IsVertical(kit->edge))) {
        const RECT& r = placed.rect;
        MoveWindow(placed.window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

LRESULT OnHostMessage(HostKit* kit, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case HM_ADD_TASKBAR_ITEM:
        if (lParam) {
            kit->taskbarItems.push_back(*reinterpret_cast<const TaskbarItem*>(lParam));
            PlaceTaskbarItems(kit);
        }
        return 0;
    case HM_MODAL_BEGIN:
    case HM_MODAL_END:
        kit->modalMessages.push_back(message);
        return 0;
    case HM_OPEN_SETUP: {
        const char* request = reinterpret_cast<const char*>(lParam);
        if (!request || request[0] != HM_OPEN_SETUP_PREFIX) return 0;
        kit->setupRequests.emplace_back(request + 1);
        ++kit->setupPageOpens;
        if (setupPageOpener) setupPageOpener(kit, request + 1);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostKit* kit = KitOf(window);
    if (!kit) return DefWindowProcA(window, message, wParam, lParam);
    return OnHostMessage(kit, window, message, wParam, lParam);
}

LRESULT CALLBACK TaskbarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CONTEXTMENU) {
        if (HostKit* kit = KitOf(window)) ++kit->taskbarRightClicks;
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSA main = {};
    main.lpfnWndProc = MainWindowProc;
    main.hInstance = instance;
    main.lpszClassName = kMainClass;
    main.hCursor = LoadCursor(nullptr, IDC_ARROW);
    WNDCLASSA taskbar = main;
    taskbar.lpfnWndProc = TaskbarWindowProc;
    taskbar.lpszClassName = kTaskbarClass;
    // A second kit in one process finds the classes already there.
    const bool mainOk = RegisterClassA(&main) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    const bool taskbarOk = RegisterClassA(&taskbar) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return mainOk && taskbarOk;
}

template <typename T>
void PutAt(uint8_t* record, size_t offset, T value) {
    std::memcpy(record + offset, &value, sizeof value);
}

}  // namespace

int TaskbarHeight(const HostKit& kit) {
    int32_t rowHeight = 0;
    int32_t scale = 0;
    std::memcpy(&rowHeight, kit.metrics.data() + kRowHeightOffset, sizeof rowHeight);
    std::memcpy(&scale, kit.metrics.data() + kScaleFactorOffset, sizeof scale);
    return rowHeight * scale;
}

RECT TaskbarRectOn(TaskbarEdge edge, int rowHeightPx, int screenWidth, int screenHeight) {
    switch (edge) {
    case TaskbarEdge::Top: return {0, 0, screenWidth, rowHeightPx};
    case TaskbarEdge::Left: return {0, 0, kVerticalTaskbarWidth, screenHeight};
    case TaskbarEdge::Right: return {screenWidth - kVerticalTaskbarWidth, 0, screenWidth, screenHeight};
    case TaskbarEdge::Bottom: break;
    }
    return {0, screenHeight - rowHeightPx, screenWidth, screenHeight};
}

void PlaceTaskbar(HostKit* kit, TaskbarEdge edge) {
    kit->edge = edge;
    const RECT r =
        TaskbarRectOn(edge, TaskbarHeight(*kit), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    MoveWindow(kit->taskbarWindow, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    PlaceTaskbarItems(kit);
}

std::vector<PlacedItem> LayoutTaskbar(const std::vector<TaskbarItem>& items, int taskbarWidth, int taskbarHeight,
                                      bool vertical) {
    std::vector<PlacedItem> placed;
    const int stripLength = vertical ? taskbarHeight : taskbarWidth;
    for (int end = 0; end <= 1; ++end) {
        std::vector<const TaskbarItem*> atEnd;
        for (const TaskbarItem& item : items)
            if ((item.position == 1) == (end == 1)) atEnd.push_back(&item);
        std::stable_sort(atEnd.begin(), atEnd.end(),
                         [](const TaskbarItem* a, const TaskbarItem* b) { return a->priority > b->priority; });
        int offset = 0;
        for (const TaskbarItem* item : atEnd) {
            const int width = item->rect.right - item->rect.left;
            const int height = item->rect.bottom - item->rect.top;
            const int length = vertical ? height : width;
            const int start = end == 0 ? offset : stripLength - offset - length;
            const RECT rect = vertical ? RECT{0, start, width, start + length}
                                       : RECT{start, 0, start + length, taskbarHeight};
            placed.push_back({item->window, rect});
            offset += length;
        }
    }
    return placed;
}

bool CreateHostKit(const HostKitOptions& options, HostKit* kit) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterClasses(instance)) return false;

    lstrcpynA(kit->pluginPath.data(), options.pluginPath.c_str(), static_cast<int>(kit->pluginPath.size()));
    PutAt<const char*>(kit->modulePaths.data(), kModulePathOffset, kit->pluginPath.data());
    PutAt<int32_t>(kit->metrics.data(), kScaleFactorOffset, options.scaleFactor);
    PutAt<int32_t>(kit->metrics.data(), kRowHeightOffset, options.rowHeight);
    kit->configId = StandInOpenStore(options.storePath.c_str());

    kit->mainWindow = CreateWindowExA(0, kMainClass, "Mirel", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                      instance, nullptr);
    kit->edge = options.edge;
    const RECT strip = TaskbarRectOn(options.edge, options.rowHeight * options.scaleFactor,
                                     GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    kit->taskbarWindow = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTaskbarClass, "Mirel Taskbar",
                                         WS_POPUP | WS_CLIPCHILDREN | (options.visible ? WS_VISIBLE : 0), strip.left,
                                         strip.top, strip.right - strip.left, strip.bottom - strip.top, nullptr,
                                         nullptr, instance, nullptr);
    kit->tooltipWindow = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         kit->mainWindow, nullptr, instance, nullptr);
    if (!kit->mainWindow || !kit->taskbarWindow || !kit->tooltipWindow || kit->configId <= 0) {
        DestroyHostKit(kit);
        return false;
    }
    SetWindowLongPtrA(kit->mainWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kit));
    SetWindowLongPtrA(kit->taskbarWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kit));

    kit->context = HostContext{};
    kit->context.modulePaths = kit->modulePaths.data();
    kit->context.metrics = kit->metrics.data();
    kit->context.configId = kit->configId;
    kit->context.hostWindow = kit->mainWindow;
    kit->context.taskbarWindow = kit->taskbarWindow;
    kit->context.tooltipWindow = kit->tooltipWindow;
    kit->context.skinContext = 1;
    kit->context.tipRelayFlag = &kit->tipRelayFlag;
    return true;
}

void DestroyHostKit(HostKit* kit) {
    for (HWND* window : {&kit->tooltipWindow, &kit->taskbarWindow, &kit->mainWindow}) {
        if (*window) DestroyWindow(*window);
        *window = nullptr;
    }
}

void SetSetupPageOpener(SetupPageOpener opener) { setupPageOpener = opener; }
