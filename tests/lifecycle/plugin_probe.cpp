// The counting and capturing stand-ins patched into the plug-in's imports.
#include "tests/lifecycle/plugin_probe.h"

#include <tlhelp32.h>
#include <mutex>

ProbeRecord probe;

namespace {

UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC callback) {
    probe.timers.push_back({window, id, period, callback != nullptr});
    return SetTimer(window, id, period, callback);
}

// Boxes come from threads of their own.
std::mutex messagesLock;

void Capture(ShownMessage message) {
    std::lock_guard<std::mutex> guard(messagesLock);
    probe.messages.push_back(std::move(message));
}

int WINAPI CaptureMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT flags) {
    Capture({caption ? caption : "", text ? text : "", flags});
    return IDOK;
}

std::string Utf8(LPCWSTR text) {
    if (!text) return std::string();
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
    return utf8;
}

// Boxes in UTF-16 are kept in UTF-8.
int WINAPI CaptureMessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT flags) {
    Capture({Utf8(caption), Utf8(text), flags});
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

struct HandleLedger {
    HandleLedger() { InitializeCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    std::set<HANDLE> live;
    void Opened(HANDLE handle) {
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
        EnterCriticalSection(&lock);
        live.insert(handle);
        LeaveCriticalSection(&lock);
    }
    void Closed(HANDLE handle) {
        EnterCriticalSection(&lock);
        live.erase(handle);
        LeaveCriticalSection(&lock);
    }
    void Clear() {
        EnterCriticalSection(&lock);
        live.clear();
        LeaveCriticalSection(&lock);
    }
};
HandleLedger handles;

HANDLE WINAPI TrackCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                LPVOID parameter, DWORD flags, LPDWORD id) {
    HANDLE thread = CreateThread(security, stack, start, parameter, flags, id);
    handles.Opened(thread);
    return thread;
}
HANDLE WINAPI TrackCreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manual, BOOL initial, LPCSTR name) {
    HANDLE event = CreateEventA(security, manual, initial, name);
    handles.Opened(event);
    return event;
}
BOOL WINAPI TrackDuplicateHandle(HANDLE fromProcess, HANDLE from, HANDLE toProcess, LPHANDLE to, DWORD access,
                                 BOOL inherit, DWORD options) {
    const BOOL done = DuplicateHandle(fromProcess, from, toProcess, to, access, inherit, options);
    if (done && to) handles.Opened(*to);
    return done;
}
HANDLE WINAPI TrackOpenProcess(DWORD access, BOOL inherit, DWORD id) {
    HANDLE process = OpenProcess(access, inherit, id);
    handles.Opened(process);
    return process;
}
BOOL WINAPI TrackCloseHandle(HANDLE handle) {
    handles.Closed(handle);
    return CloseHandle(handle);
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
    {"user32.dll", "MessageBoxW", reinterpret_cast<void*>(CaptureMessageBoxW)},
    {"user32.dll", "DestroyWindow", reinterpret_cast<void*>(CountDestroyWindow)},
    {"user32.dll", "KillTimer", reinterpret_cast<void*>(CountKillTimer)},
    {"user32.dll", "SendMessageA", reinterpret_cast<void*>(CountSendMessage)},
    {"user32.dll", "PostMessageA", reinterpret_cast<void*>(CountPostMessage)},
    {"kernel32.dll", "CreateThread", reinterpret_cast<void*>(TrackCreateThread)},
    {"kernel32.dll", "CreateEventA", reinterpret_cast<void*>(TrackCreateEventA)},
    {"kernel32.dll", "DuplicateHandle", reinterpret_cast<void*>(TrackDuplicateHandle)},
    {"kernel32.dll", "OpenProcess", reinterpret_cast<void*>(TrackOpenProcess)},
    {"kernel32.dll", "CloseHandle", reinterpret_cast<void*>(TrackCloseHandle)},
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
    // Each probe counts the handles opened while it lives: a worker of an
    // earlier load, still finishing a job after its stop (the cover's may
    // wait half a second for a player), closes its own once that load's
    // probe has gone.
    handles.Clear();
    for (const Replacement& r : kPluginOnly)
        patches_.push_back(std::make_unique<ScopedImportPatch>(plugin, r.dll, r.function, r.stand_in));
    for (HMODULE module : {plugin, GetModuleHandleA("starter.dll"), GetModuleHandleA("MirelEx.dll")})
        for (const Replacement& r : kGdi)
            patches_.push_back(std::make_unique<ScopedImportPatch>(module, r.dll, r.function, r.stand_in));
}

PluginProbe::~PluginProbe() = default;

std::vector<ShownMessage> ShownMessages() {
    std::lock_guard<std::mutex> guard(messagesLock);
    return probe.messages;
}

int LiveKernelHandles() {
    EnterCriticalSection(&handles.lock);
    const int count = static_cast<int>(handles.live.size());
    LeaveCriticalSection(&handles.lock);
    return count;
}

std::vector<PluginTimerStart> TimersWithId(UINT_PTR id) {
    std::vector<PluginTimerStart> found;
    for (const PluginTimerStart& timer : probe.timers)
        if (timer.id == id) found.push_back(timer);
    return found;
}

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

}  // namespace

int WindowCount(HWND parent) {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    EnumChildWindows(parent, CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}
