// The stop signal and what is forgotten with it.
#include "plugin/stop_signal.h"

#include "plugin/library_hold.h"

namespace {

// Manual reset, one per start: a stop signals it for good, and the next
// start makes a new one, so a worker that outlived a stop never sees its
// own signal cleared.
HANDLE stopEvent = nullptr;

// Everything forgotten at a stop, linked as it is made at load.
ForgottenAtStop* forgotten = nullptr;

}  // namespace

ForgottenAtStop::ForgottenAtStop(void (*forget)()) : forget_(forget), next_(forgotten) { forgotten = this; }

void ForgottenAtStop::Forget() {
    if (forget_) forget_();
}

HANDLE ArmWorkerStop() {
    StopWorkerThreads();
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return stopEvent;
}

HANDLE CurrentStopSignal() { return stopEvent; }

void StopWorkerThreads() {
    CountStop();
    if (stopEvent) {
        SetEvent(stopEvent);
        CloseHandle(stopEvent);
        stopEvent = nullptr;
    }
    for (ForgottenAtStop* kept = forgotten; kept; kept = kept->next_) kept->Forget();
}
