// The stop of one start, as everything that outlives a call sees it: the
// signal that ends its workers' waits, and what its modules keep for it,
// forgotten at the stop so that the next start never finds it.
#pragma once

#include <windows.h>

// Something a module keeps for one start. Each is made once, at load, and
// lives as long as the library; every stop calls forget.
class ForgottenAtStop {
public:
    explicit ForgottenAtStop(void (*forget)() = nullptr);
    ForgottenAtStop(const ForgottenAtStop&) = delete;
    ForgottenAtStop& operator=(const ForgottenAtStop&) = delete;

protected:
    virtual void Forget();

private:
    friend void StopWorkerThreads();
    void (*forget_)();
    ForgottenAtStop* next_;
};

// Host's thread, at start: a new stop signal for this start's workers,
// after stopping whatever an earlier start left. It stays this module's:
// a worker waits on a duplicate of its own.
HANDLE ArmWorkerStop();
// The running start's stop signal, or nullptr when none is armed.
HANDLE CurrentStopSignal();
// Host's thread, at stop and at unload: signals this start's workers,
// forgets what every module keeps for the start, and returns; a worker
// still running ends by itself, holding the library until then.
void StopWorkerThreads();
