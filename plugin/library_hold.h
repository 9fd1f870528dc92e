// Keeping the library's code mapped while something may still run it. The
// host frees the library as soon as DoneModule returns, and it may call
// DoneModule from inside any message loop that runs on its thread: the
// user quits the shell, or turns the plug-in off on its setup page, while
// our menu, a box or the host's own page is up. Code of ours that waits
// below such a loop, on a thread of ours or on the shell's, holds a
// reference of its own until it has certainly left.
#pragma once

#include <windows.h>

// Runs body(parameter) on a new thread that keeps the library loaded until
// it has ended, whether or not the plug-in still runs by then. nullptr when
// no thread could be started; parameter then stays the caller's.
using LibraryThreadBody = void (*)(void* parameter);
HANDLE StartLibraryThread(LibraryThreadBody body, void* parameter);

// Host's thread: every stop counts here, first thing in DoneModule, and so
// does every start, which ends whatever an earlier start left running.
void CountStop();

// Host's thread, around a call that may run a modal loop (a menu, a box,
// a send the host answers with a page of its own). When the plug-in was
// stopped meanwhile, StopCame() says so, and the caller returns without
// touching anything of the start it belonged to. The reference is then
// given back once the shell's thread has handled a message sent to the
// host's window from a thread of ours. It may handle it from any message
// loop or any wait of a send to another thread, not only from its own
// loop; what makes the release safe is the rule that after a stop no frame
// of ours stays below a message pump, or below a send to another thread's
// window, unless it holds a reference of its own. When the handling cannot
// be shown the image stays mapped until the process ends: a leak of one
// image, never a crash.
class ShellCallHold {
public:
    ShellCallHold();
    ~ShellCallHold();
    ShellCallHold(const ShellCallHold&) = delete;
    ShellCallHold& operator=(const ShellCallHold&) = delete;

    bool StopCame() const;

private:
    HMODULE held_;
    unsigned stops_;
    HWND shellWindow_;
};
