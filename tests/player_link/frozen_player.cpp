// A stalled player in the test's own process, on a thread of its own so
// that the plug-in's sends to it are answered while the test waits.
#include "tests/player_link/frozen_player.h"

#include "player/player_link.h"

namespace {

constexpr char kFrozenProp[] = "FrozenPlayerAnswers";

struct Answers {
    int positionMs;
    int lengthSec;
};

LRESULT CALLBACK FrozenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PLAYER_QUERY) {
        const auto* answers = static_cast<const Answers*>(GetPropA(window, kFrozenProp));
        if (lParam == QUERY_PLAY_STATE) return 1;
        if (lParam == QUERY_POSITION_OR_LENGTH) return wParam == LENGTH_SECONDS ? answers->lengthSec : answers->positionMs;
        return 0;
    }
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        RemovePropA(window, kFrozenProp);
        PostQuitMessage(0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

FrozenPlayer::FrozenPlayer(int positionMs, int lengthSec) : positionMs_(positionMs), lengthSec_(lengthSec) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 5000);
}

FrozenPlayer::~FrozenPlayer() {
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    CloseHandle(ready_);
}

DWORD WINAPI FrozenPlayer::Run(LPVOID parameter) {
    auto* self = static_cast<FrozenPlayer*>(parameter);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FrozenProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kPlayerWindowClass;
    RegisterClassA(&windowClass);
    Answers answers{self->positionMs_, self->lengthSec_};
    HWND window = CreateWindowExA(0, kPlayerWindowClass, "Frozen", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    SetPropA(window, kFrozenProp, &answers);
    self->window_ = window;
    SetEvent(self->ready_);
    MSG message;
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    UnregisterClassA(kPlayerWindowClass, GetModuleHandleA(nullptr));
    return 0;
}
