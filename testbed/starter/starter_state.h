// starter.dll's one state record, shared by every export and guarded by one
// lock: the plug-in may call in from a worker thread while its main thread
// is in the middle of a pass.
#pragma once

#include "testbed/starter/config_pass.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

class CriticalSectionLock {
public:
    CriticalSectionLock() { InitializeCriticalSection(&section_); }
    ~CriticalSectionLock() { DeleteCriticalSection(&section_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

struct StarterState {
    CriticalSectionLock lock;
    std::vector<std::string> storePaths;  // full paths; configId n is entry n - 1
    std::vector<std::unique_ptr<ConfigPass>> openPasses;
    unsigned lastPassSerial = 0;
    std::vector<void*> nameBuffers;       // handed out by "malloc", not yet freed
    std::vector<HFONT> fonts;             // made by GetFontHandle, not yet freed
    std::string callLog;
    bool callLogFull = false;
};

extern StarterState starterState;

// Holds the state lock for its scope. The lock is re-entrant, so a guarded
// function may call another.
class StateLock {
public:
    StateLock() { starterState.lock.Enter(); }
    ~StateLock() { starterState.lock.Leave(); }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;
};
