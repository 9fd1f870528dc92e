// Records every SetTimer call the code linked into the test executable
// makes while a TimerRecorder lives, and still starts the timers.
#pragma once

#include "tests/support/iat_patch.h"

#include <windows.h>
#include <vector>

struct TimerStart {
    HWND window;
    UINT_PTR id;
    UINT elapse;
};

class TimerRecorder {
public:
    TimerRecorder();
    bool active() const { return patch_.active(); }
    // The timers started since this recorder began, in order.
    const std::vector<TimerStart>& starts() const;

private:
    ScopedImportPatch patch_;
};
