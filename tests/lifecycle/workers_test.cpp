// The bounded wait for worker threads at stop: it ends when they end, gives
// up at its bound, and keeps serving what a worker sends to the waiting
// thread's windows, so a repaint cannot deadlock the stop.
#include "plugin/workers.h"

#include <gtest/gtest.h>

namespace {

DWORD WINAPI EndAtOnce(LPVOID) { return 0; }

DWORD WINAPI WaitForEvent(LPVOID event) {
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

constexpr UINT kPing = WM_APP + 7;
int pingsServed = 0;

LRESULT CALLBACK PingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) return ++pingsServed;
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI SendPing(LPVOID window) {
    return static_cast<DWORD>(SendMessageA(static_cast<HWND>(window), kPing, 0, 0));
}

}  // namespace

TEST(WorkerShutdown, NoThreadsMeansNoWait) {
    const HANDLE none[] = {nullptr, nullptr};
    const DWORD start = GetTickCount();
    EXPECT_TRUE(WaitForWorkerThreads(none, 2, 5000));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST(WorkerShutdown, ReturnsWhenBothThreadsHaveEnded) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE threads[] = {CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, nullptr),
                              CreateThread(nullptr, 0, WaitForEvent, event, 0, nullptr)};
    SetEvent(event);
    EXPECT_TRUE(WaitForWorkerThreads(threads, 2, 5000));
    for (HANDLE thread : threads) {
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
        CloseHandle(thread);
    }
    CloseHandle(event);
}

TEST(WorkerShutdown, GivesUpAtItsBoundForAThreadThatDoesNotEnd) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE threads[] = {CreateThread(nullptr, 0, WaitForEvent, event, 0, nullptr), nullptr};
    const DWORD start = GetTickCount();
    EXPECT_FALSE(WaitForWorkerThreads(threads, 2, 300));
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 3000u);
    SetEvent(event);
    WaitForSingleObject(threads[0], INFINITE);
    CloseHandle(threads[0]);
    CloseHandle(event);
}

TEST(WorkerShutdown, ServesMessagesAWorkerSendsToTheWaitingThread) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "WorkerShutdownPing";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_TRUE(window);
    pingsServed = 0;
    HANDLE thread = CreateThread(nullptr, 0, SendPing, window, 0, nullptr);
    const HANDLE threads[] = {nullptr, thread};
    EXPECT_TRUE(WaitForWorkerThreads(threads, 2, 5000)) << "the worker's message was answered";
    EXPECT_EQ(pingsServed, 1);
    DWORD answer = 0;
    GetExitCodeThread(thread, &answer);
    EXPECT_EQ(answer, 1u);
    CloseHandle(thread);
    DestroyWindow(window);
}
