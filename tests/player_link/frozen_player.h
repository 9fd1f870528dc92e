// A player window of our own whose position never moves while it answers
// "playing": a stalled stream, which the stand-in player cannot imitate
// because its clock always runs while it plays.
#pragma once

#include <windows.h>

class FrozenPlayer {
public:
    FrozenPlayer(int positionMs, int lengthSec);
    ~FrozenPlayer();
    FrozenPlayer(const FrozenPlayer&) = delete;
    FrozenPlayer& operator=(const FrozenPlayer&) = delete;
    HWND window() const { return window_; }

private:
    static DWORD WINAPI Run(LPVOID self);
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    int positionMs_;
    int lengthSec_;
};
