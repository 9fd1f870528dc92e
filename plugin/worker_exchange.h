// What the host's thread and one long-lived worker share: the event the
// worker sleeps on between jobs, and the exchange itself, which neither
// may free while the other can still reach it.
#pragma once

#include <windows.h>

// Each side lets go of it once and the last one frees it, so that a worker
// that ends early, for whatever reason, frees nothing the host's thread
// still reads, and a stop frees nothing a worker still writes.
struct SharedWithWorker {
    LONG holders = 2;
};
template <typename Shared>
void LetGo(Shared* shared) {
    if (shared && InterlockedDecrement(&shared->holders) == 0) delete shared;
}

// Auto-reset, closed with the exchange that owns it.
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
