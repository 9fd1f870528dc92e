// Error boxes on threads of their own.
#include "plugin/error_box.h"

#include "plugin/library_hold.h"

#include <windows.h>

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

void ShowApart(ErrorBox* box) {
    HANDLE thread = StartLibraryThread(ShowAndForget, box);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    // Only a system out of threads comes here: a box on the host's thread
    // still beats a failure nobody hears of.
    ShowAndForget(box);
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
