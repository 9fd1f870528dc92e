// A real control window under Wine: the plug-in's window procedure on a
// child of the stand-in host's taskbar, the host's real tooltip window,
// and the pointer placed with SetCursorPos on the control's cells.
#pragma once

#include "tests/support/test_support.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

class ScopedImportPatch;

// A cell's middle, or a place on the control, in client coordinates.
POINT CellCentre(int cell);
constexpr POINT kNoCell = {3, 8};        // the left margin
constexpr POINT kBarLeftEnd = {7, 1};    // sideOffset
constexpr POINT kBarRightEnd = {47, 1};  // sideOffset + 5 x cellWidth
constexpr POINT kBarEighth = {12, 1};    // 5 of 40 pixels: 12.5 %

// The context menu as TrackPopupMenuEx was handed it.
struct SeenMenuItem {
    UINT id;  // 0 for a separator
    std::string text;
    bool checked;
    bool grayed;
    std::wstring wideText;
    std::vector<SeenMenuItem> submenu;  // the items of the submenu it opens
};

struct SeenMenu {
    int shown = 0;
    std::vector<SeenMenuItem> items;
    UINT flags = 0;
    int x = 0;
    int y = 0;
    HWND owner = nullptr;
    TPMPARAMS params = {};
    DWORD contextMenuMs = 0;  // WM_CONTEXTMENU in the window procedure
    DWORD shownAfterMs = 0;   // from WM_CONTEXTMENU to TrackPopupMenuEx
    int taskbarRightClicksBefore = -1;  // the host's taskbar had them as the menu showed
    bool shownInsideTheMessage = false;  // within WM_CONTEXTMENU's own handling
    std::vector<UINT> Ids() const;
    // In the menu or one of its submenus.
    const SeenMenuItem* Item(UINT id) const;
};

// While it lives, this program's WaitForMultipleObjects (the plug-in's core
// is linked in) is watched for the worker thread named name as it wakes.
// Once a failure is armed, its next wait that wakes fails instead, as a
// wait on a handle no longer valid would: the job it woke for is lost with
// the worker. One at a time.
class WorkerWatch {
public:
    explicit WorkerWatch(const wchar_t* name);
    ~WorkerWatch();
    bool Active() const;
    void FailNextWake();
    bool Failed() const;
    // Waits until the worker, as it last woke, has ended.
    bool WorkerEnded(DWORD timeoutMs) const;

private:
    std::unique_ptr<ScopedImportPatch> patch_;
};

class ControlWindowTest : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Moves the real pointer over a client point of the control.
    void PointAt(POINT client);
    // Moves it well away from the control.
    void PointAway();
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // One hover tick, as the hover timer would run it.
    void Tick();
    // One status poll, with the player's answers applied.
    void Poll();
    // WM_CONTEXTMENU at a screen point, with TrackPopupMenuEx replaced by a
    // capture that reads the menu and dismisses it, so no menu loop runs;
    // returns once the menu was shown or no menu waits any more. With
    // choose, an enabled item of that id is chosen as a click would.
    SeenMenu OpenContextMenu(short x = 300, short y = 700, UINT choose = 0);

    // Messages the host's tooltip window received since SetUp.
    int TooltipMessages(UINT message) const;
    std::string TooltipText();

    HWND control = nullptr;
    HWND titleTip = nullptr;  // a plain popup standing in for the title tip
};
