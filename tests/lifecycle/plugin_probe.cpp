// The counting and capturing stand-ins patched into the plug-in's imports.
#include "tests/lifecycle/plugin_probe.h"

ProbeRecord probe;

namespace {

UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC callback) {
    probe.timers.push_back({window, id, period, callback != nullptr});
    return SetTimer(window, id, period, callback);
}

int WINAPI CaptureMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT flags) {
    probe.messages.push_back({caption ? caption : "", text ? text : "", flags});
    return IDOK;
}

BOOL WINAPI CountDestroyWindow(HWND window) {
    ++probe.windowTouches;
    return DestroyWindow(window);
}
BOOL WINAPI CountKillTimer(HWND window, UINT_PTR id) {
    ++probe.windowTouches;
    return KillTimer(window, id);
}
LRESULT WINAPI CountSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++probe.windowTouches;
    return SendMessageA(window, message, wParam, lParam);
}
BOOL WINAPI CountPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++probe.windowTouches;
    return PostMessageA(window, message, wParam, lParam);
}

template <typename T>
T Made(T object) {
    if (object) probe.liveGdi.insert(object);
    return object;
}
BOOL Gone(HGDIOBJ object, BOOL result) {
    if (result) probe.liveGdi.erase(object);
    return result;
}

HBRUSH WINAPI TrackCreateSolidBrush(COLORREF colour) { return Made(CreateSolidBrush(colour)); }
HPEN WINAPI TrackCreatePen(int style, int width, COLORREF colour) { return Made(CreatePen(style, width, colour)); }
HDC WINAPI TrackCreateCompatibleDC(HDC dc) { return Made(CreateCompatibleDC(dc)); }
HBITMAP WINAPI TrackCreateCompatibleBitmap(HDC dc, int width, int height) {
    return Made(CreateCompatibleBitmap(dc, width, height));
}
HBITMAP WINAPI TrackCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                     DWORD offset) {
    return Made(CreateDIBSection(dc, info, usage, bits, section, offset));
}
HFONT WINAPI TrackCreateFontIndirectA(const LOGFONTA* font) { return Made(CreateFontIndirectA(font)); }
HANDLE WINAPI TrackLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
    HANDLE image = LoadImageA(instance, name, type, width, height, flags);
    // Shared images belong to the system, not to whoever loaded them.
    return (flags & LR_SHARED) ? image : Made(image);
}
BOOL WINAPI TrackDeleteObject(HGDIOBJ object) { return Gone(object, DeleteObject(object)); }
BOOL WINAPI TrackDeleteDC(HDC dc) { return Gone(dc, DeleteDC(dc)); }
BOOL WINAPI TrackDestroyIcon(HICON icon) { return Gone(icon, DestroyIcon(icon)); }

struct Replacement {
    const char* dll;
    const char* function;
    void* stand_in;
};

const Replacement kPluginOnly[] = {
    {"user32.dll", "SetTimer", reinterpret_cast<void*>(RecordSetTimer)},
    {"user32.dll", "MessageBoxA", reinterpret_cast<void*>(CaptureMessageBox)},
    {"user32.dll", "DestroyWindow", reinterpret_cast<void*>(CountDestroyWindow)},
    {"user32.dll", "KillTimer", reinterpret_cast<void*>(CountKillTimer)},
    {"user32.dll", "SendMessageA", reinterpret_cast<void*>(CountSendMessage)},
    {"user32.dll", "PostMessageA", reinterpret_cast<void*>(CountPostMessage)},
};

const Replacement kGdi[] = {
    {"gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(TrackCreateSolidBrush)},
    {"gdi32.dll", "CreatePen", reinterpret_cast<void*>(TrackCreatePen)},
    {"gdi32.dll", "CreateCompatibleDC", reinterpret_cast<void*>(TrackCreateCompatibleDC)},
    {"gdi32.dll", "CreateCompatibleBitmap", reinterpret_cast<void*>(TrackCreateCompatibleBitmap)},
    {"gdi32.dll", "CreateDIBSection", reinterpret_cast<void*>(TrackCreateDIBSection)},
    {"gdi32.dll", "CreateFontIndirectA", reinterpret_cast<void*>(TrackCreateFontIndirectA)},
    {"gdi32.dll", "DeleteObject", reinterpret_cast<void*>(TrackDeleteObject)},
    {"gdi32.dll", "DeleteDC", reinterpret_cast<void*>(TrackDeleteDC)},
    {"user32.dll", "LoadImageA", reinterpret_cast<void*>(TrackLoadImageA)},
    {"user32.dll", "DestroyIcon", reinterpret_cast<void*>(TrackDestroyIcon)},
};

}  // namespace

PluginProbe::PluginProbe(HMODULE plugin) {
    for (const Replacement& r : kPluginOnly)
        patches_.push_back(std::make_unique<ScopedImportPatch>(plugin, r.dll, r.function, r.stand_in));
    for (HMODULE module : {plugin, GetModuleHandleA("starter.dll"), GetModuleHandleA("MirelEx.dll")})
        for (const Replacement& r : kGdi)
            patches_.push_back(std::make_unique<ScopedImportPatch>(module, r.dll, r.function, r.stand_in));
}

PluginProbe::~PluginProbe() = default;

std::vector<PluginTimerStart> TimersWithId(UINT_PTR id) {
    std::vector<PluginTimerStart> found;
    for (const PluginTimerStart& timer : probe.timers)
        if (timer.id == id) found.push_back(timer);
    return found;
}
