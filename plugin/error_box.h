// Error boxes shown while the plug-in runs, after its start.
#pragma once

#include <string>

// Host's thread. A topmost error box with no owner, shown on a thread of
// its own that holds the library until the box is closed; returns at once.
// The host may stop and unload the plug-in from inside any modal loop on
// its thread (the user quits the shell, or confirms its setup page, while
// the box is up), and a box shown on that thread would then return into
// unmapped code. When no thread can be had, the box is shown on the host's
// thread once it is back in its message loop, under a ShellCallHold; a
// stop before then drops it.
void ShowErrorBoxApart(const char* caption, const char* text);
void ShowErrorBoxApart(const std::wstring& caption, const std::wstring& text);
