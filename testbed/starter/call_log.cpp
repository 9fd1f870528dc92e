// Recording host calls, and the StandIn* exports that read and clear the log.
#include "testbed/starter/call_log.h"

#include "testbed/starter/no_throw.h"
#include "testbed/starter/standin_api.h"
#include "testbed/starter/starter_state.h"
#include "testbed/starter/stored_values.h"

#include <climits>
#include <cstring>

CallLine& CallLine::Text(const char* text) {
    text_ += '|';
    text_ += text ? text : "(null)";
    return *this;
}

CallLine& CallLine::Number(long long number) {
    text_ += '|';
    text_ += std::to_string(number);
    return *this;
}

void CallLine::Record() {
    text_ += '\n';
    StateLock lock;
    if (starterState.callLogFull) return;
    if (starterState.callLog.size() + text_.size() > kCallLogCapacity) {
        starterState.callLog += kCallLogFullLine;
        starterState.callLogFull = true;
        return;
    }
    starterState.callLog += text_;
}

int __stdcall StandInReadCallLog(char* buffer, int size) {
    return NoThrow(0, [&] {
        StateLock lock;
        const std::string& log = starterState.callLog;
        if (buffer != nullptr && size > 0) CopyCut(log, buffer, size - 1);
        return static_cast<int>(std::min<size_t>(log.size(), INT_MAX));
    });
}

void __stdcall StandInClearCallLog(void) {
    StateLock lock;
    starterState.callLog.clear();
    starterState.callLogFull = false;
}
