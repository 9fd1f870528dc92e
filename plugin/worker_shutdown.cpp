// Bounded wait for the worker threads at teardown, and pinning the library
// when one of them does not end in time.
#include "plugin/worker_shutdown.h"

namespace {

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

bool WaitForWorkerThreads(const HANDLE* threads, int count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    bool allEnded = true;
    for (int i = 0; i < count; ++i)
        if (threads[i] && !WaitOne(threads[i], start, timeoutMs)) allEnded = false;
    return allEnded;
}

void KeepLibraryLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&KeepLibraryLoaded), &self);
}
