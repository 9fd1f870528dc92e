// Worker threads that cannot outlive the code they run, and the stop signal
// that ends their waits.
#include "plugin/workers.h"

#include "plugin/state/plugin_state.h"

#include <memory>

namespace {

// Manual reset, one per start: a stop signals it for good, and the next
// start makes a new one, so a worker that outlived a stop never sees its
// own signal cleared. Each worker has a handle of its own on it.
HANDLE stopEvent = nullptr;

struct WorkerStart {
    WorkerBody body;
    void* parameter;
    WorkerLink link;
};

HMODULE ThisModule(DWORD extraFlags) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | extraFlags,
                       reinterpret_cast<LPCSTR>(&StartWorkerThread), &self);
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

void RunWorker(void* raw) {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(raw));
    start->body(start->link, start->parameter);
    CloseHandle(start->link.stop);
}

HANDLE DuplicateStop() {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), stopEvent, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

bool Stopped(const WorkerLink& link) { return WaitForSingleObject(link.stop, 0) == WAIT_OBJECT_0; }

}  // namespace

HANDLE StartWorkerThread(WorkerBody body, void* parameter) {
    if (stopEvent == nullptr) ArmWorkerStop();
    auto start =
        std::make_unique<WorkerStart>(WorkerStart{body, parameter, {DuplicateStop(), pluginState.controlWindow}});
    if (start->link.stop == nullptr) return nullptr;
    HANDLE thread = StartLibraryThread(RunWorker, start.get());
    if (thread == nullptr) {
        CloseHandle(start->link.stop);
        return nullptr;
    }
    start.release();  // the thread's now
    return thread;
}

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

WorkerBody WorkerBodyOf(LPTHREAD_START_ROUTINE start, LPVOID parameter) {
    if (start != LibraryThreadMain || parameter == nullptr) return nullptr;
    const auto* thread = static_cast<const LibraryThreadStart*>(parameter);
    if (thread->body != RunWorker || thread->parameter == nullptr) return nullptr;
    return static_cast<const WorkerStart*>(thread->parameter)->body;
}

bool StopRequestedWithin(const WorkerLink& link, DWORD waitMs) {
    return WaitForSingleObject(link.stop, waitMs) == WAIT_OBJECT_0;
}

bool WaitUnlessStopped(const WorkerLink& link, HANDLE handle, DWORD waitMs) {
    const HANDLE either[] = {link.stop, handle};
    return WaitForMultipleObjects(2, either, FALSE, waitMs) != WAIT_OBJECT_0;
}

void PostToControl(const WorkerLink& link, UINT message, WPARAM wParam, LPARAM lParam) {
    // Once the start has stopped its window is gone or going, and nothing
    // of it may reach the next start's.
    if (link.control && !Stopped(link)) PostMessageA(link.control, message, wParam, lParam);
}

void RequestRepaint(const WorkerLink& link) {
    // Without a window this would repaint the whole desktop.
    if (link.control && !Stopped(link)) InvalidateRect(link.control, nullptr, FALSE);
}

void ArmWorkerStop() {
    // Workers of a start that was never stopped belong to no start now.
    StopWorkerThreads();
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

void StopWorkerThreads() {
    if (stopEvent == nullptr) return;
    SetEvent(stopEvent);
    CloseHandle(stopEvent);
    stopEvent = nullptr;
}
