// A worker that lives from its first job to the stop and is woken for each
// one, so that a job never waits for a thread to start. The host's thread
// hands it one job at a time; the worker carries it out, leaving in the job
// what the host's thread should learn of it, and posts doneMessage with its
// thread id and what carry returned. Only that post frees it for the next
// job. *busy (where the control looks, or the worker's own) is set while
// it works and clear while it waits; it owns nothing. A worker whose wait
// failed has ended: the next job starts another.
#pragma once

#include "plugin/worker_exchange.h"
#include "plugin/worker_slot.h"

#include <windows.h>
#include <utility>

template <typename Job>
class JobWorker : public WorkerSlot {
public:
    // Worker thread: carries one job out.
    using Carry = LPARAM (*)(const WorkerLink& link, Job& job);

    // Host's thread: a job the worker never took, lost with it; the worker
    // is free by then, and another job may be handed.
    using Lost = void (*)(Job& job);

    JobWorker(const wchar_t* name, UINT doneMessage, Carry carry, bool* busy = nullptr,
              void (*forget)() = nullptr, Lost lost = nullptr)
        : WorkerSlot(name, forget),
          doneMessage_(doneMessage),
          carry_(carry),
          lost_(lost),
          busy_(busy ? busy : &ownBusy_) {}

    bool Busy() {
        LetGoIfEnded();
        return *busy_;
    }

    // Host's thread: starts the worker unless it runs; false when it cannot.
    bool Ready() {
        LetGoIfEnded();
        if (exchange_) return true;
        auto* exchange = new Exchange;
        exchange->doneMessage = doneMessage_;
        exchange->carry = carry_;
        if (!exchange->wake.Handle() || !Start(Run, exchange)) {
            delete exchange;
            return false;
        }
        exchange_ = exchange;
        return true;
    }

    // Host's thread: wakes the worker with job; false while it still works
    // on the last one, or when it cannot run.
    bool Hand(Job job) {
        if (Busy() || !Ready()) return false;
        exchange_->job = std::move(job);
        ++exchange_->handed;
        *busy_ = true;
        exchange_->wake.Wake();
        return true;
    }

    // Host's thread, at doneMessage: the job carried out, and the worker
    // free again, when the post is from this worker while it works on a
    // job; else nullptr. The job is the host's thread's to read until it
    // hands the next one.
    Job* Finish(WPARAM poster) {
        if (!*busy_ || !Posted(poster)) return nullptr;
        *busy_ = false;
        return &exchange_->job;
    }

private:
    // The host's thread writes the job only while the worker waits, and
    // the wake-up hands it over.
    struct Exchange : SharedWithWorker {
        WakeEvent wake;
        Job job = {};
        UINT doneMessage = 0;
        Carry carry = nullptr;
        LONG handed = 0;   // written by the host's thread
        LONG carried = 0;  // by the worker, before it posts
    };

    static void Run(const WorkerLink& link, void* raw) {
        auto* exchange = static_cast<Exchange*>(raw);
        while (WaitInWorker(link, exchange->wake.Handle(), INFINITE) == WaitEnd::Signalled) {
            const LPARAM result = exchange->carry(link, exchange->job);
            InterlockedIncrement(&exchange->carried);
            PostToControl(link, exchange->doneMessage, GetCurrentThreadId(), result);
        }
        LetGo(exchange);
    }

    // A worker ends by itself only when a wait fails, and then between
    // jobs: after its post for the last one, which is still to be taken,
    // or before it took the job handed last, which is lost with it.
    // The lost job is handed on only once the slot is free again, so that
    // lost_ may hand the next job, and nothing of the slot is touched
    // after it returns.
    void LetGoIfEnded() {
        if (!Ended()) return;
        if (*busy_ && InterlockedCompareExchange(&exchange_->carried, 0, 0) == exchange_->handed) return;
        Release();
        const bool lost = *busy_;
        // The worker has ended: the job is the host's thread's alone.
        Job job = std::move(exchange_->job);
        LetGoOfExchange();
        if (lost && lost_) lost_(job);
    }

    void LetGoOfExchange() {
        LetGo(exchange_);
        exchange_ = nullptr;
        *busy_ = false;
    }

    void Forget() override {
        LetGoOfExchange();
        WorkerSlot::Forget();
    }

    const UINT doneMessage_;
    const Carry carry_;
    const Lost lost_;
    bool ownBusy_ = false;
    bool* const busy_;
    Exchange* exchange_ = nullptr;  // shared with the worker while it runs
};
