// mirel_shell.exe: a small desktop shell that hosts Pelorin the way the
// real one does. It puts a taskbar strip along an edge of the screen, keeps
// the configuration store, loads Plugins\Pelorin.plg, starts and stops it,
// and opens the plug-in's setup page when asked. For the demo it can play a
// scripted scene and take screenshots.
#include "testbed/common/files.h"
#include "testbed/hostkit/hostkit.h"
#include "testbed/shell/plugin_loader.h"
#include "testbed/shell/scene_runner.h"
#include "testbed/shell/setup_page.h"
#include "testbed/shell/shell_options.h"

#include <windows.h>
#include <cstdio>

namespace {

constexpr UINT MSG_RESTART_PLUGIN = WM_APP + 1;
constexpr UINT_PTR kExitTimerId = 0xE817;
constexpr int kSetupButtonId = 101;
constexpr int kExitButtonId = 102;
constexpr char kSceneDoneFile[] = "scene-done.txt";

struct Shell {
    ShellOptions options;
    HostKit kit;
    LoadedPlugin plugin;
    WNDPROC hostMainProc = nullptr;
    SceneRun scene;
    bool sceneRunning = false;
};
Shell shell;

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

void OpenSetupPage(HostKit* kit, const char* pluginPath) {
    if (!shell.plugin.module || !pluginPath || !SamePath(pluginPath, shell.plugin.path)) return;
    const PluginDescriptor* descriptor = shell.plugin.getInfo();
    if (!descriptor) return;
    // The plug-in reads its settings once, at start: restart it to apply
    // them, after the message that opened the page has been answered.
    if (RunSetupPage(kit->mainWindow, kit->configId, *descriptor))
        PostMessageA(kit->mainWindow, MSG_RESTART_PLUGIN, 0, 0);
}

void FinishScene() {
    shell.sceneRunning = false;
    const std::string report = shell.scene.failure.empty() ? "ok\n" : shell.scene.failure + "\n";
    WriteWholeFile(shell.options.shotDir + "\\" + kSceneDoneFile, report);
    if (shell.options.exitWhenSceneDone) DestroyWindow(shell.kit.mainWindow);
}

LRESULT CALLBACK ShellMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case MSG_RESTART_PLUGIN:
        StopPlugin(&shell.plugin);
        StartPlugin(&shell.plugin, &shell.kit);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSetupButtonId) OpenSetupPage(&shell.kit, shell.plugin.path.c_str());
        if (LOWORD(wParam) == kExitButtonId) DestroyWindow(window);
        return 0;
    case WM_TIMER:
        if (wParam == kSceneTimerId && shell.sceneRunning && AdvanceScene(&shell.scene)) FinishScene();
        if (wParam == kExitTimerId) DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return CallWindowProcA(shell.hostMainProc, window, message, wParam, lParam);
    }
}

void AddButton(HWND parent, const char* text, int id, int y) {
    HWND button = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, y, 200, 26, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

// The shell's own small window: what a person uses to reach the setup
// page or to leave.
void DressMainWindow(HWND window) {
    shell.hostMainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShellMainProc)));
    SetWindowTextA(window, "Mirel");
    RECT frame = {0, 0, 220, 82};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(window, nullptr, 40, 40, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);
    AddButton(window, "Pelorin setup...", kSetupButtonId, 10);
    AddButton(window, "Exit", kExitButtonId, 46);
    ShowWindow(window, SW_SHOWNOACTIVATE);
}

bool BeginScene(const ShellOptions& options) {
    const ParsedScene scene = ParseScene(ReadWholeFile(options.scenePath));
    if (!scene.error.empty() || scene.steps.empty()) {
        std::fprintf(stderr, "mirel_shell: %s: %s\n", options.scenePath.c_str(),
                     scene.error.empty() ? "no steps" : scene.error.c_str());
        return false;
    }
    CreateDirectoryA(options.shotDir.c_str(), nullptr);
    DeleteFileA((options.shotDir + "\\shots.txt").c_str());
    DeleteFileA((options.shotDir + "\\" + kSceneDoneFile).c_str());
    shell.scene.steps = scene.steps;
    shell.scene.shotDir = options.shotDir;
    shell.scene.timerWindow = shell.kit.mainWindow;
    shell.scene.kit = &shell.kit;
    shell.sceneRunning = true;
    StartScene(&shell.scene);
    return true;
}

int RunShell(const ShellOptions& options) {
    shell.options = options;
    HostKitOptions kitOptions;
    kitOptions.storePath = options.storePath.empty() ? ExeFolder() + "\\mirel.ini" : options.storePath;
    kitOptions.pluginPath = options.pluginPath.empty() ? ExeFolder() + "\\Plugins\\Pelorin.plg" : options.pluginPath;
    kitOptions.rowHeight = options.rowHeight;
    kitOptions.scaleFactor = options.scaleFactor;
    kitOptions.edge = options.edge;
    if (!CreateHostKit(kitOptions, &shell.kit)) {
        std::fprintf(stderr, "mirel_shell: cannot create the shell's windows or open %s\n", kitOptions.storePath.c_str());
        return 2;
    }
    DressMainWindow(shell.kit.mainWindow);
    SetSetupPageOpener(OpenSetupPage);

    if (!LoadPluginFile(kitOptions.pluginPath, &shell.plugin)) {
        std::fprintf(stderr, "mirel_shell: cannot load %s\n", kitOptions.pluginPath.c_str());
        DestroyHostKit(&shell.kit);
        return 3;
    }
    StartPlugin(&shell.plugin, &shell.kit);
    if (options.openSetupAtStart) PostMessageA(shell.kit.mainWindow, WM_COMMAND, kSetupButtonId, 0);
    if (!options.scenePath.empty() && !BeginScene(options)) {
        UnloadPluginFile(&shell.plugin);
        DestroyHostKit(&shell.kit);
        return 4;
    }
    if (options.exitAfterMs > 0) SetTimer(shell.kit.mainWindow, kExitTimerId, options.exitAfterMs, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UnloadPluginFile(&shell.plugin);
    DestroyHostKit(&shell.kit);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const ParsedShellOptions parsed = ParseShellOptions(SplitCommandLine(commandLine));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "mirel_shell: %s\n%s\n", parsed.error.c_str(), kShellUsage);
        return 1;
    }
    return RunShell(parsed.options);
}
