// Six small operations every part of the plug-in shares when it talks to
// the host or to Win32 timers.
#pragma once

#include "host/host_abi.h"

#include <windows.h>

// Kills the timer whose id *field holds, if any, and marks it stopped.
void StopTimer(HWND window, UINT_PTR* field);

// A topmost message box; with notifyHost, bracketed by the host's modal
// messages so the shell can keep its own windows from covering it.
int ShowPluginMessage(const HostContext& context, HWND owner, const char* caption, const char* text,
                      UINT flags, bool notifyHost);

// Writes one string to a section of the host's configuration store.
void WriteSetting(const HostContext& context, const char* section, const char* key, const char* value);

// Rounds half away from zero: 61.5 -> 62, -1.5 -> -2, 2.4999 -> 2.
int RoundHalfAway(long double x);

// 0x00RRGGBB <-> 0x00BBGGRR; the top byte is dropped.
constexpr COLORREF SwapRedBlue(COLORREF colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

// Releases a picture: the plug-in deletes the objects it owns, the host
// releases its own and the file name buffer; the kind is cleared.
void FreePictureRecord(PictureRecord* picture);
