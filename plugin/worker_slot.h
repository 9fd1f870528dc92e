// One kind of worker as the host's thread keeps it: its thread, told apart
// from any older one by the thread id its done posts carry. A slot is made
// once, at load; the stop lets go of its thread and forgets what its
// module keeps for the worker, without knowing any module's inside. The
// slot owns the thread's handle, kept in the slot or where the control
// looks for it (thread). Each worker's thread bears the slot's name, for
// debuggers and tests.
#pragma once

#include "plugin/stop_signal.h"
#include "plugin/workers.h"

#include <windows.h>

class WorkerSlot : public ForgottenAtStop {
public:
    explicit WorkerSlot(const wchar_t* name, void (*forget)() = nullptr, HANDLE* thread = nullptr);

    // Host's thread. Starts body for the running start (its control window
    // and stop signal); false when this slot's worker still runs, no start
    // is armed or no thread could be had (parameter then stays the caller's).
    bool Start(WorkerBody body, void* parameter);
    HANDLE Thread() const { return *thread_; }
    // Whether a message carrying poster (a thread id) is from this slot's
    // worker: one of a stopped start, or one given up on, may still post.
    bool Posted(WPARAM poster) const;
    // Whether the worker ended by itself (its wait failed): the host's
    // thread lets it go and may start another.
    bool Ended() const;
    // Lets go of the worker: it has ended, or is given up on and ends by
    // itself.
    void Release();

protected:
    // At the stop: lets go of the thread, then what the module keeps.
    void Forget() override;

private:
    const wchar_t* name_;
    HANDLE own_ = nullptr;
    HANDLE* const thread_;
};
