// Worker threads that cannot outlive the code they run, the stop signal
// that ends their waits, and the slots the host's thread keeps them in.
#include "plugin/workers.h"

#include "plugin/library_hold.h"
#include "plugin/state/plugin_state.h"

#include <memory>

namespace {

// Manual reset, one per start: a stop signals it for good, and the next
// start makes a new one, so a worker that outlived a stop never sees its
// own signal cleared. Each worker has a handle of its own on it.
HANDLE stopEvent = nullptr;

// Every slot of the library, linked as they are made at load.
WorkerSlot* slots = nullptr;

struct WorkerStart {
    WorkerBody body;
    void* parameter;
    WorkerLink link;
};

void RunWorker(void* raw) {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(raw));
    start->body(start->link, start->parameter);
    CloseHandle(start->link.stop);
}

bool Stopped(const WorkerLink& link) { return WaitForSingleObject(link.stop, 0) != WAIT_TIMEOUT; }

// Before Windows 10 there is nothing to name a thread with.
void NameThread(HANDLE thread, const wchar_t* name) {
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadDescription")));
    if (set) set(thread, name);
}

}  // namespace

HANDLE DuplicateToWaitOn(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle) DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

HANDLE StartWorkerThread(WorkerBody body, void* parameter, HWND control, HANDLE stop) {
    if (stop == nullptr) return nullptr;
    auto start = std::make_unique<WorkerStart>(WorkerStart{body, parameter, {DuplicateToWaitOn(stop), control}});
    if (start->link.stop == nullptr) return nullptr;
    HANDLE thread = StartLibraryThread(RunWorker, start.get());
    if (thread == nullptr) {
        CloseHandle(start->link.stop);
        return nullptr;
    }
    start.release();  // the thread's now
    return thread;
}

WaitEnd WaitInWorker(const WorkerLink& link, HANDLE handle, DWORD waitMs) {
    const HANDLE either[] = {link.stop, handle};
    switch (WaitForMultipleObjects(handle ? 2 : 1, either, FALSE, waitMs)) {
    case WAIT_OBJECT_0 + 1:
        return WaitEnd::Signalled;
    case WAIT_TIMEOUT:
        return WaitEnd::TimedOut;
    default:
        return WaitEnd::Stopped;
    }
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

WorkerSlot::WorkerSlot(const wchar_t* name, void (*forget)(), HANDLE* thread)
    : name_(name), thread_(thread ? thread : &own_), forget_(forget), next_(slots) {
    slots = this;
}

bool WorkerSlot::Start(WorkerBody body, void* parameter) {
    if (*thread_ != nullptr) return false;
    *thread_ = StartWorkerThread(body, parameter, pluginState.controlWindow, stopEvent);
    if (*thread_ == nullptr) return false;
    NameThread(*thread_, name_);
    return true;
}

bool WorkerSlot::Posted(WPARAM poster) const { return *thread_ != nullptr && GetThreadId(*thread_) == poster; }

bool WorkerSlot::Ended() const { return *thread_ != nullptr && WaitForSingleObject(*thread_, 0) == WAIT_OBJECT_0; }

void WorkerSlot::Release() {
    if (*thread_) CloseHandle(*thread_);
    *thread_ = nullptr;
}

void WorkerSlot::Forget() {
    if (forget_) forget_();
}

HANDLE ArmWorkerStop() {
    // Workers of a start that was never stopped belong to no start now.
    StopWorkerThreads();
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return stopEvent;
}

void StopWorkerThreads() {
    CountStop();
    if (stopEvent) {
        SetEvent(stopEvent);
        CloseHandle(stopEvent);
        stopEvent = nullptr;
    }
    for (WorkerSlot* slot = slots; slot; slot = slot->next_) {
        slot->Release();
        slot->Forget();
    }
}
