// One drop as the host's thread hands it to the drop worker.
#pragma once

#include "plugin/workers.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

using DroppedNames = std::vector<std::wstring>;

// The worker carries it out and fills notTaken and played before it posts
// MSG_DROP_DONE; the host's thread reads them on that message. A worker
// that outlived a stop keeps it alone.
struct DropJob {
    DroppedNames names;
    bool shiftHeld = false;
    // As the control showed the player when the hand-over began: playing,
    // yet standing still (shown paused).
    bool standstill = false;
    DWORD began = 0;  // every wait of the hand-over counts from here
    // The launch under way when the drop began; the worker lets go of it
    // once the drop is handed over.
    std::unique_ptr<void, HandleCloser> launch;
    DroppedNames notTaken;
    bool played = false;  // the files took the playlist's place and the first plays
};

// The drop worker's job: waits until the player answers (or a launch under
// way has ended without one), within the start limit from job.began, then
// hands it the files by message.
LPARAM PassDroppedFiles(const WorkerLink& link, DropJob& job);
