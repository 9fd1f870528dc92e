// Worker threads that cannot outlive the code they run, and the stop signal
// that ends their waits.
#include "plugin/workers.h"

#include <vector>

namespace {

// Manual reset: once a stop is signalled every wait sees it until the next
// start clears it. Made at the first start and kept for the library's
// lifetime, so a worker that outlived a stop never waits on a closed handle.
HANDLE stopEvent = nullptr;

// Every worker started since the last stop, as its own handle, so that the
// owner of a worker (the command, launch or drop state) may close its
// handle when the worker reports done while the thread is still on its way
// out. Host's thread only.
std::vector<HANDLE> liveWorkers;

HMODULE ThisModule(DWORD extraFlags) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | extraFlags,
                       reinterpret_cast<LPCSTR>(&StartWorkerThread), &self);
    return self;
}

void ForgetEndedWorkers() {
    std::vector<HANDLE> running;
    for (HANDLE worker : liveWorkers) {
        if (WaitForSingleObject(worker, 0) == WAIT_OBJECT_0)
            CloseHandle(worker);
        else
            running.push_back(worker);
    }
    liveWorkers.swap(running);
}

// Waits for one handle until the shared deadline, serving sent messages.
bool WaitOne(HANDLE thread, DWORD start, DWORD timeoutMs) {
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        // One handle at a time: with "wait for all", MsgWaitForMultipleObjects
        // would also wait for a message to arrive.
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;  // timed out or failed
        // Peeking delivers the messages sent to this thread and removes none.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

HANDLE StartWorkerThread(LPTHREAD_START_ROUTINE proc, LPVOID parameter) {
    if (stopEvent == nullptr) ArmWorkerStop();
    ForgetEndedWorkers();
    liveWorkers.reserve(liveWorkers.size() + 1);
    // Taken here, not by the thread: a stop and FreeLibrary may come before
    // the new thread runs its first instruction.
    const HMODULE held = ThisModule(0);
    if (held == nullptr) return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, proc, parameter, 0, nullptr);
    HANDLE known = nullptr;
    if (thread == nullptr ||
        !DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &known, SYNCHRONIZE, FALSE, 0)) {
        if (thread == nullptr) FreeLibrary(held);
        // A thread we cannot keep track of still ends by itself; its handle
        // is all the stop could wait on.
        known = nullptr;
    }
    if (known) liveWorkers.push_back(known);
    return thread;
}

void EndWorkerThread() {
    FreeLibraryAndExitThread(ThisModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT), 0);
}

bool StopRequestedWithin(DWORD waitMs) {
    if (stopEvent == nullptr) {
        Sleep(waitMs);
        return false;
    }
    return WaitForSingleObject(stopEvent, waitMs) == WAIT_OBJECT_0;
}

bool ThreadEndedUnlessStopped(HANDLE thread, DWORD waitMs) {
    if (stopEvent == nullptr) {
        WaitForSingleObject(thread, waitMs);
        return true;
    }
    const HANDLE either[] = {stopEvent, thread};
    return WaitForMultipleObjects(2, either, FALSE, waitMs) != WAIT_OBJECT_0;
}

void ArmWorkerStop() {
    if (stopEvent == nullptr)
        stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    else
        ResetEvent(stopEvent);
}

void StopWorkerThreads() {
    if (stopEvent) SetEvent(stopEvent);
    WaitForWorkerThreads(liveWorkers.data(), static_cast<int>(liveWorkers.size()), kWorkerStopWaitMs);
    for (HANDLE worker : liveWorkers) CloseHandle(worker);
    liveWorkers.clear();
    liveWorkers.shrink_to_fit();
}

void ReleaseWorkerStop() {
    if (stopEvent) CloseHandle(stopEvent);
    stopEvent = nullptr;
}

bool WaitForWorkerThreads(const HANDLE* threads, int count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    bool allEnded = true;
    for (int i = 0; i < count; ++i)
        if (threads[i] && !WaitOne(threads[i], start, timeoutMs)) allEnded = false;
    return allEnded;
}
