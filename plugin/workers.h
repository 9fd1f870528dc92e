// The plug-in's worker threads and the library's lifetime. The host frees
// the library as soon as DoneModule returns, and DoneModule must not wait:
// a worker may sit in a call that nothing can cut short (a command to a
// hung player, a start that waits on a security prompt). So every worker
// holds its own reference on the library from before it starts until its
// very last instruction, and its own handle on the stop signal of the start
// that made it. After that start has stopped, a worker posts nothing and
// touches no state: a second start never sees the first one's workers.
#pragma once

#include <windows.h>

// What a running worker knows of the start that made it.
struct WorkerLink {
    HANDLE stop;     // that start's stop signal, the worker's own handle
    HWND control;    // that start's control window: the only one it posts to
};

// A worker's procedure. It owns parameter, and returns to end the thread.
using WorkerBody = void (*)(const WorkerLink& link, void* parameter);

// Host's thread. Runs body(link, parameter) on a new thread that keeps the
// library loaded until it has ended, linked to that start's control window
// and stop signal. nullptr when no start is armed (stop is nullptr) or no
// thread could be started; parameter then stays the caller's.
HANDLE StartWorkerThread(WorkerBody body, void* parameter, HWND control, HANDLE stop);

// How a worker's wait ended. A wait that fails reads as Stopped: a worker
// that cannot wait must end, not spin.
enum class WaitEnd { Signalled, TimedOut, Stopped };
// A worker's wait for handle, or only for its stop when handle is nullptr.
WaitEnd WaitInWorker(const WorkerLink& link, HANDLE handle, DWORD waitMs);
// A worker's sleep: true when its start has stopped and it should end.
inline bool StopRequestedWithin(const WorkerLink& link, DWORD waitMs) {
    return WaitInWorker(link, nullptr, waitMs) == WaitEnd::Stopped;
}
// Posts to the worker's own control window, unless its start has stopped.
void PostToControl(const WorkerLink& link, UINT message, WPARAM wParam, LPARAM lParam);
// Marks the worker's control for painting and returns at once: painting at
// once would wait for the host's thread.
void RequestRepaint(const WorkerLink& link);

// A copy of handle that a worker may wait on and closes itself; nullptr
// for nullptr.
HANDLE DuplicateToWaitOn(HANDLE handle);

// What the host's thread and one worker share (a job, the answers): each
// lets go of it once and the last one frees it, so that a worker that ends
// early, for whatever reason, frees nothing the host's thread still reads.
struct SharedWithWorker {
    LONG holders = 2;
};
template <typename Shared>
void LetGo(Shared* shared) {
    if (shared && InterlockedDecrement(&shared->holders) == 0) delete shared;
}

// The auto-reset event a long-lived worker sleeps on between jobs, closed
// with the exchange that owns it.
class WakeEvent {
public:
    WakeEvent() : handle_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~WakeEvent() {
        if (handle_) CloseHandle(handle_);
    }
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;
    HANDLE Handle() const { return handle_; }
    void Wake() const { SetEvent(handle_); }

private:
    HANDLE handle_;
};

// One kind of worker as the host's thread keeps it: its thread, told apart
// from any older one by the thread id its done messages carry. Slots are
// module globals; the stop forgets every one, and with it what its module
// keeps for that worker (forget), without knowing any module's inside. The
// handle lives in the slot, or where the control looks for it (thread).
// Each worker's thread bears the slot's name, for debuggers and tests.
class WorkerSlot {
public:
    explicit WorkerSlot(const wchar_t* name, void (*forget)() = nullptr, HANDLE* thread = nullptr);
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;

    // Host's thread. Starts body for the running start (its control window
    // and stop signal); false when this slot's worker still runs, no start
    // is armed or no thread could be had (parameter then stays the caller's).
    bool Start(WorkerBody body, void* parameter);
    HANDLE Thread() const { return *thread_; }
    // Whether a message carrying poster (a thread id) is the running
    // worker's: a worker of a stopped start, or one given up on, may still post.
    bool Posted(WPARAM poster) const;
    // Whether the worker ended by itself (its wait failed): the host's
    // thread lets it go and may start another.
    bool Ended() const;
    // Lets go of the running worker: it has ended, or is given up on and
    // ends by itself.
    void Release();

protected:
    // At the stop, after the thread is let go: what the module keeps for it.
    virtual void Forget();

private:
    friend void StopWorkerThreads();
    const wchar_t* name_;
    HANDLE own_ = nullptr;
    HANDLE* thread_;
    void (*forget_)();
    WorkerSlot* next_;
};

// Host's thread, at start: a new stop signal for this start's workers,
// after signalling any earlier start's. It stays the workers module's.
HANDLE ArmWorkerStop();
// Host's thread, at stop and at unload: signals this start's workers,
// forgets every slot and returns; a worker still running ends by itself,
// holding the library until then.
void StopWorkerThreads();
