// CheckInt: the host's range check for integers the plug-in has just read.
#include "host/host_abi.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/int_range.h"
#include "testbed/starter/no_throw.h"

void __stdcall CheckInt(int* value, int low, int high, int fallback) {
    NoThrow([&] {
        CallLine line("CheckInt");
        if (value != nullptr) {
            line.Number(*value);
        } else {
            line.Text("");
        }
        line.Number(low).Number(high).Number(fallback).Record();
        if (value != nullptr) *value = ClampToNearer(*value, low, high, fallback);
    });
}
