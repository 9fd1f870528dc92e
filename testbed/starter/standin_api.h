// What our stand-in starter.dll offers beyond the host contract, for the
// stand-in shell and for tests: naming a store file, and reading the log of
// calls the plug-in made, in order.
#pragma once

#include <windows.h>

// starter.dll itself defines STANDIN_API empty.
#ifndef STANDIN_API
#define STANDIN_API __declspec(dllimport)
#endif

extern "C" {
// Returns the configId of the store kept in the file at path (created on
// first write). The same path gives the same id.
STANDIN_API int __stdcall StandInOpenStore(const char* path);

// Copies the call log into buffer (NUL-terminated, cut to size - 1
// characters) and returns the log's full length, without the NUL. One line
// per call, '\n'-terminated: "Function|arg|arg..." with strings as given
// ("(null)" for a null pointer) and ints in decimal, e.g.
// "GetCFGInt|Position|0", "CheckInt|<value before>|1|10|1",
// "SetCFGString|Winamp Path|C:\p.exe", "FindSection|Pelorin|0",
// "CloseCFGw|1|-1". Cursors and handles are not logged. A log that reaches
// its cap stops growing and ends with the line "CallLogFull".
STANDIN_API int __stdcall StandInReadCallLog(char* buffer, int size);
STANDIN_API void __stdcall StandInClearCallLog(void);
}
