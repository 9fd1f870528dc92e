// Worker threads that cannot outlive the code they run.
#include "plugin/workers.h"

#include "plugin/library_hold.h"

#include <memory>

namespace {

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
