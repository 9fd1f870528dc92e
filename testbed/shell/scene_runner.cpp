// The scene's steps against the running plug-in: pointer moves and button
// presses through the system's input queue, screenshots of the taskbar, the
// stand-in player steered through its control channel, and files dropped
// on the control with a real drop handle.
#include "testbed/shell/scene_runner.h"

#include "testbed/player/player_sim_protocol.h"
#include "testbed/shell/screenshot.h"

#include <shellapi.h>
#include <shlobj.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kControlClassName[] = "Pelorin";
constexpr char kShotIndexName[] = "shots.txt";
constexpr char kMenuWindowClass[] = "#32768";

// A text command on the stand-in player's control channel.
bool SendPlayerControl(const std::string& command) {
    HWND player = FindWindowA(player_sim::kPlayerWindowClass, nullptr);
    if (!player) return false;
    COPYDATASTRUCT data = {};
    data.dwData = player_sim::kCopyControl;
    data.cbData = static_cast<DWORD>(command.size() + 1);
    data.lpData = const_cast<char*>(command.c_str());
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000,
                               &answer) != 0 &&
           answer != 0;
}

HWND ControlWindow(const SceneRun& run) {
    return FindWindowExA(run.kit->taskbarWindow, nullptr, kControlClassName, nullptr);
}

void SendButton(DWORD flag) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof input);
}

bool MovePointer(const SceneRun& run, int cell, int nudge = 0) {
    HWND control = ControlWindow(run);
    RECT rect;
    if (!control || !GetWindowRect(control, &rect)) return false;
    const POINT point = CellPoint(rect, cell, run.kit->edge);
    return SetCursorPos(point.x + nudge, point.y) != FALSE;
}

// The open menu windows, a submenu's among them.
std::vector<HWND> MenuWindows() {
    std::vector<HWND> menus;
    for (HWND menu = FindWindowExA(nullptr, nullptr, kMenuWindowClass, nullptr); menu;
         menu = FindWindowExA(nullptr, menu, kMenuWindowClass, nullptr)) {
        if (IsWindowVisible(menu)) menus.push_back(menu);
    }
    return menus;
}

// On the first open menu that has an item whose text begins with `text`:
// the pointer's move there is what makes the menu open that item's submenu.
bool PointAtMenuItem(const std::string& text) {
    for (HWND window : MenuWindows()) {
        const auto menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
        const int count = menu ? GetMenuItemCount(menu) : 0;
        for (int i = 0; i < count; ++i) {
            char label[256] = {};
            GetMenuStringA(menu, i, label, sizeof label, MF_BYPOSITION);
            RECT item;
            if (std::strncmp(label, text.c_str(), text.size()) != 0 || !GetMenuItemRect(nullptr, menu, i, &item))
                continue;
            return SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2) != FALSE;
        }
    }
    return false;
}

bool TakeShot(const SceneRun& run, const SceneStep& step) {
    HWND control = ControlWindow(run);
    RECT rect;
    if (!control || !GetWindowRect(control, &rect)) return false;
    RECT shot = ShotRect(rect, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), run.kit->edge);
    // Open menus and the shown title tip (a cover makes it taller) are part
    // of the picture: the shot grows to hold them.
    std::vector<HWND> held = MenuWindows();
    const HWND tip = FindWindowA("Pelorin_Tip", nullptr);
    if (tip && IsWindowVisible(tip)) held.push_back(tip);
    for (HWND menu : held) {
        RECT menuRect;
        if (!GetWindowRect(menu, &menuRect)) continue;
        RECT grown;
        UnionRect(&grown, &shot, &menuRect);
        shot = grown;
    }
    const std::string file = step.name + ".bmp";
    if (!CaptureScreenRect(shot, run.shotDir + "\\" + file)) return false;
    FILE* index = std::fopen((run.shotDir + "\\" + kShotIndexName).c_str(), "ab");
    if (!index) return false;
    std::fprintf(index, "%s\t%s\n", file.c_str(), step.text.c_str());
    return std::fclose(index) == 0;
}

bool DropFiles(const SceneRun& run, const SceneStep& step) {
    HWND control = ControlWindow(run);
    if (!control) return false;
    RECT client;
    GetClientRect(control, &client);
    HGLOBAL list = MakeDropList(step.files, {client.right / 2, client.bottom / 2});
    if (!list) return false;
    // The receiver releases the list with DragFinish.
    if (PostMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0)) return true;
    GlobalFree(list);
    return false;
}

bool RunStep(const SceneRun& run, const SceneStep& step) {
    switch (step.action) {
    case SceneAction::Wait: return true;
    case SceneAction::Shot: return TakeShot(run, step);
    case SceneAction::Move: return MovePointer(run, step.number);
    case SceneAction::Hover: return MovePointer(run, step.number, 1);
    case SceneAction::Click:
        if (!MovePointer(run, step.number)) return false;
        SendButton(MOUSEEVENTF_LEFTDOWN);
        SendButton(MOUSEEVENTF_LEFTUP);
        return true;
    case SceneAction::RightClick:
        if (!MovePointer(run, step.number)) return false;
        SendButton(MOUSEEVENTF_RIGHTDOWN);
        SendButton(MOUSEEVENTF_RIGHTUP);
        return true;
    case SceneAction::CloseMenu: return EndMenu() != FALSE;
    case SceneAction::MenuItem: return PointAtMenuItem(step.text);
    case SceneAction::Press:
        if (!MovePointer(run, step.number)) return false;
        SendButton(MOUSEEVENTF_LEFTDOWN);
        return true;
    case SceneAction::Release: SendButton(MOUSEEVENTF_LEFTUP); return true;
    case SceneAction::Player: return SendPlayerControl(step.text);
    case SceneAction::Drop: return DropFiles(run, step);
    case SceneAction::Taskbar: PlaceTaskbar(run.kit, step.edge); return true;
    }
    return false;
}

// The names one after another, each with its NUL, then one more NUL.
template <typename Char>
HGLOBAL MakeDropListOf(const std::vector<std::basic_string<Char>>& files, POINT point) {
    size_t namesLength = 1;  // the list's closing NUL
    for (const auto& file : files) namesLength += file.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + namesLength * sizeof(Char));
    if (!memory) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = point;
    drop->fNC = FALSE;
    drop->fWide = sizeof(Char) == sizeof(wchar_t);
    Char* names = reinterpret_cast<Char*>(drop + 1);
    for (const auto& file : files) {
        std::memcpy(names, file.c_str(), (file.size() + 1) * sizeof(Char));
        names += file.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

}  // namespace

HGLOBAL MakeDropList(const std::vector<std::string>& files, POINT point) { return MakeDropListOf(files, point); }

HGLOBAL MakeWideDropList(const std::vector<std::wstring>& files, POINT point) { return MakeDropListOf(files, point); }

RECT ShotRect(const RECT& control, int screenWidth, int screenHeight, TaskbarEdge edge) {
    RECT shot;
    shot.right = std::min(screenWidth, static_cast<int>(control.right) + 40);
    shot.left = std::max(0, static_cast<int>(shot.right) - kShotWidth);
    shot.right = std::min(screenWidth, static_cast<int>(shot.left) + kShotWidth);
    const int height = kShotHeightAboveControl + (control.bottom - control.top);
    shot.top = edge == TaskbarEdge::Top ? control.top : control.bottom - height;
    shot.top = std::max(0, std::min(static_cast<int>(shot.top), screenHeight - height));
    shot.bottom = shot.top + height;
    return shot;
}

void StartScene(SceneRun* run) {
    run->next = 0;
    run->done = false;
    SetTimer(run->timerWindow, kSceneTimerId, 10, nullptr);
}

bool AdvanceScene(SceneRun* run) {
    KillTimer(run->timerWindow, kSceneTimerId);
    while (run->next < run->steps.size()) {
        const SceneStep& step = run->steps[run->next++];
        if (!RunStep(*run, step) && run->failure.empty())
            run->failure = "line " + std::to_string(step.line) + " could not be done";
        // A click's input must reach the control before the next step.
        const UINT pause = step.action == SceneAction::Wait ? static_cast<UINT>(step.number)
                           : step.action == SceneAction::Shot ? 0 : 50;
        if (pause > 0) {
            SetTimer(run->timerWindow, kSceneTimerId, pause, nullptr);
            return false;
        }
    }
    run->done = true;
    return true;
}
