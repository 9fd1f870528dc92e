// Worker slots.
#include "plugin/worker_slot.h"

#include "plugin/state/plugin_state.h"

namespace {

// Before Windows 10 there is nothing to name a thread with.
void NameThread(HANDLE thread, const wchar_t* name) {
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadDescription")));
    if (set) set(thread, name);
}

}  // namespace

WorkerSlot::WorkerSlot(const wchar_t* name, void (*forget)(), HANDLE* thread)
    : ForgottenAtStop(forget), name_(name), thread_(thread ? thread : &own_) {}

bool WorkerSlot::Start(WorkerBody body, void* parameter) {
    if (*thread_ != nullptr) return false;
    *thread_ = StartWorkerThread(body, parameter, pluginState.controlWindow, CurrentStopSignal());
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
    Release();
    ForgottenAtStop::Forget();
}
