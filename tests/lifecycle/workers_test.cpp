// Workers and the stop of the start that made them: a stop ends their waits
// at once without waiting for them, and a worker that outlives its start
// reaches nothing of the next one.
#include "plugin/job_worker.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"
#include "plugin/workers.h"
#include "testbed/common/message_wait.h"
#include "tests/support/iat_patch.h"

#include <gtest/gtest.h>
#include <atomic>

namespace {

constexpr UINT kPing = WM_APP + 7;
constexpr UINT kDoubled = WM_APP + 8;
std::atomic<int> pingsFromWorkers{0};

// A job worker as the product's are: it doubles its job.
LPARAM Double(const WorkerLink&, int& job) {
    job *= 2;
    return job;
}
JobWorker<int> doubler(L"Pelorin test doubler", kDoubled, Double);
struct DoneJob {
    WPARAM poster = 0;
    int answer = 0;
};
DoneJob lastDone;

LRESULT CALLBACK PingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) ++pingsFromWorkers;
    if (message == kDoubled) {
        const int* job = doubler.Finish(wParam);
        lastDone = {wParam, job ? *job : -1};
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Fails the next wait of a thread other than the test's, as a wait on a
// handle that is no longer valid would.
DWORD testThread = 0;
std::atomic<int> waitsToFail{0};
decltype(&WaitForMultipleObjects) realWait = nullptr;
DWORD WINAPI FailingWait(DWORD count, const HANDLE* handles, BOOL all, DWORD waitMs) {
    if (GetCurrentThreadId() != testThread && waitsToFail.exchange(0) > 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return realWait(count, handles, all, waitMs);
}

// The doubled job, or -1 when no worker posted it within a few seconds.
int Doubled(int job) {
    lastDone = DoneJob{};
    if (!doubler.Hand(job)) return -1;
    WaitUntil([] { return lastDone.poster != 0; }, 3000);
    return lastDone.answer;
}

HWND MakeControl() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "WorkerStopPing";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// Waits for its stop (at most 10 s), notes whether it came, then pings.
struct Sleeper {
    std::atomic<bool> stopped{false};
};
void SleepThenPing(const WorkerLink& link, void* sleeper) {
    static_cast<Sleeper*>(sleeper)->stopped = StopRequestedWithin(link, 10000);
    PostToControl(link, kPing, 0, 0);
}

// Held on an event the test sets, then pings.
void HeldThenPing(const WorkerLink& link, void* release) {
    WaitForSingleObject(static_cast<HANDLE>(release), INFINITE);
    PostToControl(link, kPing, 0, 0);
}

bool Ended(HANDLE thread, DWORD timeoutMs) {
    return WaitUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

class WorkerStop : public ::testing::Test {
protected:
    void SetUp() override {
        pingsFromWorkers = 0;
        pluginState.controlWindow = MakeControl();
        ASSERT_TRUE(pluginState.controlWindow);
        stop = ArmWorkerStop();
    }
    void TearDown() override {
        StopWorkerThreads();
        DestroyWindow(pluginState.controlWindow);
        pluginState.controlWindow = nullptr;
    }
    HANDLE Start(WorkerBody body, void* parameter) {
        return StartWorkerThread(body, parameter, pluginState.controlWindow, stop);
    }
    HANDLE stop = nullptr;
};

}  // namespace

// One worker waits on its stop; the other sits in a call that cannot see
// it, as a command to a hung player does.
TEST_F(WorkerStop, ReturnsAtOnceEndsWaitsAndAStoppedWorkerPostsNothing) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Sleeper sleeper;
    HANDLE sleeping = Start(SleepThenPing, &sleeper);
    HANDLE held = Start(HeldThenPing, release);
    ASSERT_TRUE(sleeping && held);
    PumpMessages(100);
    const DWORD start = GetTickCount();
    StopWorkerThreads();
    EXPECT_LT(GetTickCount() - start, 1000u) << "the stop waited for a worker";
    ASSERT_TRUE(Ended(sleeping, 2000));
    EXPECT_TRUE(sleeper.stopped);
    SetEvent(release);
    ASSERT_TRUE(Ended(held, 2000));
    PumpMessages(200);
    EXPECT_EQ(pingsFromWorkers, 0);
    for (HANDLE handle : {sleeping, held, release}) CloseHandle(handle);
}

TEST_F(WorkerStop, AWorkerOfAStoppedStartReachesNothingOfTheNextStart) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE old = Start(HeldThenPing, release);
    ASSERT_TRUE(old);
    StopWorkerThreads();
    HWND oldControl = pluginState.controlWindow;
    pluginState.controlWindow = MakeControl();
    DestroyWindow(oldControl);
    stop = ArmWorkerStop();
    Sleeper sleeper;
    HANDLE current = Start(SleepThenPing, &sleeper);
    ASSERT_TRUE(current);

    SetEvent(release);
    ASSERT_TRUE(Ended(old, 2000));
    PumpMessages(200);
    EXPECT_EQ(pingsFromWorkers, 0) << "the old worker posted to the new start";
    EXPECT_EQ(WaitForSingleObject(current, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the new start's worker was stopped";

    StopWorkerThreads();
    ASSERT_TRUE(Ended(current, 2000));
    EXPECT_TRUE(sleeper.stopped);
    CloseHandle(old);
    CloseHandle(current);
    CloseHandle(release);
}

// A worker with no start to belong to would never see a stop; one whose
// wait fails would spin instead of waiting.
TEST_F(WorkerStop, NoStartArmedStartsNoWorkerAndAFailedWaitIsAStop) {
    Sleeper sleeper;
    EXPECT_EQ(StartWorkerThread(SleepThenPing, &sleeper, pluginState.controlWindow, nullptr), nullptr);
    HANDLE gone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(gone);
    const WorkerLink broken = {gone, pluginState.controlWindow};
    EXPECT_EQ(WaitInWorker(broken, nullptr, 1000), WaitEnd::Stopped);
    EXPECT_TRUE(StopRequestedWithin(broken, 1000));
}

// A worker whose wait failed has ended by itself: the host's thread frees
// nothing it still reaches, and the next job has a worker again.
TEST_F(WorkerStop, AfterAWorkersWaitFailsTheNextJobStartsAnother) {
    testThread = GetCurrentThreadId();
    const auto patch = PatchTyped(GetModuleHandleA(nullptr), "kernel32.dll", "WaitForMultipleObjects", &FailingWait,
                                  &realWait);
    ASSERT_TRUE(patch->active());
    ASSERT_EQ(Doubled(1), 2);
    const WPARAM first = lastDone.poster;
    waitsToFail = 1;  // its wait for the job after this one
    ASSERT_EQ(Doubled(2), 4);
    ASSERT_TRUE(WaitUntil([] { return WaitForSingleObject(doubler.Thread(), 0) == WAIT_OBJECT_0; }, 3000));
    EXPECT_EQ(Doubled(3), 6);
    EXPECT_NE(lastDone.poster, first) << "a new worker";
    EXPECT_EQ(Doubled(4), 8);
}
