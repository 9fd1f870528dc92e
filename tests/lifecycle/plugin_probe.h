// Watching what the loaded plug-in asks of the system, through its import
// table: the timers it starts, the message boxes it would show, the calls
// that touch windows, the GDI objects that it (and the host libraries
// working for it) create and delete, and the kernel handles it opens and
// closes; and counts of the process's threads and windows.
#pragma once

#include "tests/support/iat_patch.h"

#include <windows.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct PluginTimerStart {
    HWND window;
    UINT_PTR id;
    UINT period;
    bool hasCallback;
};

struct ShownMessage {
    std::string caption;
    std::string text;
    UINT flags;
};

struct ProbeRecord {
    std::vector<PluginTimerStart> timers;
    std::vector<ShownMessage> messages;  // never shown on the screen; read with ShownMessages()
    int windowTouches = 0;               // DestroyWindow, KillTimer, SendMessageA, PostMessageA
    std::set<HGDIOBJ> liveGdi;           // made and not yet deleted
};
extern ProbeRecord probe;

// The boxes captured so far.
std::vector<ShownMessage> ShownMessages();

// Kernel handles the plug-in made (threads, events, duplicates, processes)
// and has not closed. Workers open and close handles too, so it is kept
// apart from the record above, behind a lock.
int LiveKernelHandles();

// Patches the plug-in module's imports (and, for GDI, the host libraries')
// while it lives. Install right after LoadLibrary, before InitGlobalModule.
class PluginProbe {
public:
    explicit PluginProbe(HMODULE plugin);
    ~PluginProbe();
    PluginProbe(const PluginProbe&) = delete;
    PluginProbe& operator=(const PluginProbe&) = delete;

private:
    std::vector<std::unique_ptr<ScopedImportPatch>> patches_;
};

// Timer starts with this id, in order.
std::vector<PluginTimerStart> TimersWithId(UINT_PTR id);

// Threads of this process, from a system snapshot.
int ThreadCount();
// Top-level windows of this thread plus the children of one window.
int WindowCount(HWND parent);
