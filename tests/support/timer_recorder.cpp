// SetTimer recording through the test executable's import table.
#include "tests/support/timer_recorder.h"

namespace {

std::vector<TimerStart> timerStarts;
using SetTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerFn realSetTimer = nullptr;

UINT_PTR WINAPI RecordingSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    timerStarts.push_back({window, id, elapse});
    return realSetTimer(window, id, elapse, callback);
}

}  // namespace

TimerRecorder::TimerRecorder()
    : patch_(GetModuleHandleA(nullptr), "user32.dll", "SetTimer", reinterpret_cast<void*>(&RecordingSetTimer)) {
    realSetTimer = reinterpret_cast<SetTimerFn>(patch_.original());
    timerStarts.clear();
}

const std::vector<TimerStart>& TimerRecorder::starts() const { return timerStarts; }
