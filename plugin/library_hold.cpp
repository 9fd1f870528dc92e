// Threads and calls that hold the library.
#include "plugin/library_hold.h"

#include "plugin/state/plugin_state.h"

#include <memory>

namespace {

// Starts and stops so far; read only on the host's thread.
unsigned stopsSoFar = 0;

// How long a held reference waits for the shell's thread to come back to
// its message loop before it is kept for good.
constexpr UINT kShellReturnWaitMs = 60000;

HMODULE ThisModule(DWORD extraFlags) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | extraFlags,
                       reinterpret_cast<LPCSTR>(&StartLibraryThread), &self);
    return self;
}

struct LibraryThreadStart {
    LibraryThreadBody body;
    void* parameter;
};

DWORD WINAPI LibraryThreadMain(LPVOID raw) {
    {
        const std::unique_ptr<LibraryThreadStart> start(static_cast<LibraryThreadStart*>(raw));
        start->body(start->parameter);
    }
    // Gives up the reference taken for this thread, which may unload the
    // library, and ends without returning into its code.
    FreeLibraryAndExitThread(ThisModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT), 0);
}

struct HeldReference {
    HMODULE held;
    HWND shellWindow;
};

void ReleaseOnceTheShellReturns(void* raw) {
    const std::unique_ptr<HeldReference> reference(static_cast<HeldReference*>(raw));
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(reference->shellWindow, WM_NULL, 0, 0, SMTO_NORMAL, kShellReturnWaitMs, &ignored))
        FreeLibrary(reference->held);
}

}  // namespace

HANDLE StartLibraryThread(LibraryThreadBody body, void* parameter) {
    auto start = std::make_unique<LibraryThreadStart>(LibraryThreadStart{body, parameter});
    // Taken here, not by the thread: a stop and FreeLibrary may come before
    // the new thread runs its first instruction.
    const HMODULE held = ThisModule(0);
    HANDLE thread = held ? CreateThread(nullptr, 0, LibraryThreadMain, start.get(), 0, nullptr) : nullptr;
    if (thread == nullptr) {
        if (held) FreeLibrary(held);
        return nullptr;
    }
    start.release();  // the thread's now
    return thread;
}

void CountStop() { ++stopsSoFar; }

ShellCallHold::ShellCallHold()
    : held_(ThisModule(0)), stops_(stopsSoFar), shellWindow_(hostContext.hostWindow) {}

bool ShellCallHold::StopCame() const { return stopsSoFar != stops_; }

ShellCallHold::~ShellCallHold() {
    if (held_ == nullptr) return;
    if (!StopCame()) {
        // The host's own reference is still there.
        FreeLibrary(held_);
        return;
    }
    // Only a window of this thread proves, by handling the message, that
    // this thread has left our code.
    if (!IsWindow(shellWindow_) || GetWindowThreadProcessId(shellWindow_, nullptr) != GetCurrentThreadId()) return;
    auto reference = std::make_unique<HeldReference>(HeldReference{held_, shellWindow_});
    HANDLE thread = StartLibraryThread(ReleaseOnceTheShellReturns, reference.get());
    if (thread == nullptr) return;
    reference.release();  // the thread's now
    CloseHandle(thread);
}
