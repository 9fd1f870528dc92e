// Error boxes on threads of their own, or from the shell's own loop when no
// thread can be had.
#include "plugin/error_box.h"

#include "plugin/library_hold.h"
#include "plugin/stop_signal.h"

#include <windows.h>
#include <memory>
#include <vector>

namespace {

constexpr UINT kErrorBoxFlags = MB_ICONERROR | MB_TOPMOST;

// The box's texts, owned by the thread that shows it. A box keeps the
// character set it was asked in: a name outside the code page stays whole.
struct ErrorBox {
    bool wide = false;
    std::string caption, text;
    std::wstring wideCaption, wideText;
};

void Show(const ErrorBox& box) {
    if (box.wide)
        MessageBoxW(nullptr, box.wideText.c_str(), box.wideCaption.c_str(), kErrorBoxFlags);
    else
        MessageBoxA(nullptr, box.text.c_str(), box.caption.c_str(), kErrorBoxFlags);
}

void ShowAndForget(void* raw) {
    const ErrorBox* box = static_cast<ErrorBox*>(raw);
    Show(*box);
    delete box;
}

// Boxes that got no thread of their own (a system out of threads), in the
// order they were asked for: a failure nobody hears of would be worse than
// a box on the shell's thread. They are shown from a timer of that thread,
// so that no caller of ours waits below the box's loop, inside which the
// host may stop and unload the plug-in. Forgotten at every stop.
std::vector<std::unique_ptr<ErrorBox>> boxesWaiting;
UINT_PTR waitingBoxTimer = 0;

void StopWaitingBoxTimer() {
    if (waitingBoxTimer) KillTimer(nullptr, waitingBoxTimer);
    waitingBoxTimer = 0;
}

const ForgottenAtStop waitingBoxesForgotten([] {
    StopWaitingBoxTimer();
    boxesWaiting.clear();
});

// Shell's thread, from its message loop. A box asked for while one is up
// arms the timer again, and shows over it, as boxes on threads would.
void CALLBACK ShowWaitingBoxes(HWND, UINT, UINT_PTR, DWORD) {
    StopWaitingBoxTimer();
    // Made before the box, so that it is given back after the box is freed.
    const ShellCallHold hold;
    while (!boxesWaiting.empty()) {
        const std::unique_ptr<ErrorBox> box = std::move(boxesWaiting.front());
        boxesWaiting.erase(boxesWaiting.begin());
        Show(*box);
        if (hold.StopCame()) return;
    }
}

void ShowApart(ErrorBox* box) {
    HANDLE thread = StartLibraryThread(ShowAndForget, box);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    boxesWaiting.emplace_back(box);
    if (!waitingBoxTimer) waitingBoxTimer = SetTimer(nullptr, 0, 0, ShowWaitingBoxes);
}

}  // namespace

void ShowErrorBoxApart(const char* caption, const char* text) {
    auto* box = new ErrorBox;
    box->caption = caption;
    box->text = text;
    ShowApart(box);
}

void ShowErrorBoxApart(const std::wstring& caption, const std::wstring& text) {
    auto* box = new ErrorBox;
    box->wide = true;
    box->wideCaption = caption;
    box->wideText = text;
    ShowApart(box);
}
