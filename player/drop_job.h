// One drop as the host's thread and its worker share it.
#pragma once

#include "plugin/workers.h"

#include <windows.h>
#include <string>
#include <vector>

using DroppedNames = std::vector<std::wstring>;

// Held by the host's thread and by the drop worker: the worker fills
// notTaken and played before it posts MSG_DROP_DONE, and the host's thread
// reads them on that message. Whichever lets go last frees it, so a worker
// that outlived a stop keeps it alone. (Counted by hand: the standard
// shared pointer would bring the threads library into the plug-in.)
struct DropJob {
    DropJob() = default;
    DropJob(const DropJob&) = delete;
    DropJob& operator=(const DropJob&) = delete;
    ~DropJob() {
        if (launch) CloseHandle(launch);
    }
    LONG holders = 2;
    DroppedNames names;
    bool shiftHeld = false;
    // As the control showed the player when the hand-over began: playing,
    // yet standing still (shown paused).
    bool standstill = false;
    DWORD began = 0;          // every wait of the hand-over counts from here
    HANDLE launch = nullptr;  // the launch under way when the drop began
    DroppedNames notTaken;
    bool played = false;  // the files took the playlist's place and the first plays
};

inline void LetGo(DropJob* job) {
    if (job && InterlockedDecrement(&job->holders) == 0) delete job;
}

// The drop worker: waits until the player answers (or a launch under way
// has ended without one), within the start limit from job->began, then
// hands it the files by message. Its parameter is the drop's job.
void PassDroppedFiles(const WorkerLink& link, void* job);
