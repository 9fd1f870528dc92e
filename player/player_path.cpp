// The player path buffer and the lock that keeps its readers from seeing
// it half rewritten: FindPlayer runs on the launch thread as well as on the
// host's thread.
#include "player/player_link.h"
#include "player/player_path.h"

#include <cstring>

char playerPath[kPlayerPathSize] = {};

namespace {

// Made at library load, before any thread can want it, and never deleted:
// a worker thread may still hold it while the library unloads. (A static
// inside a function would pull in the threads runtime DLL for its guard.)
struct PathLock {
    PathLock() { InitializeCriticalSection(&section); }
    CRITICAL_SECTION section;
};
PathLock pathLock;

class PathGuard {
public:
    PathGuard() { EnterCriticalSection(&pathLock.section); }
    ~PathGuard() { LeaveCriticalSection(&pathLock.section); }
    PathGuard(const PathGuard&) = delete;
    PathGuard& operator=(const PathGuard&) = delete;
};

}  // namespace

void CopyPlayerPath(char* out, int size) {
    if (out == nullptr || size <= 0) return;
    PathGuard guard;
    lstrcpynA(out, playerPath, size);
}

void PublishPlayerPath(const char* path) {
    PathGuard guard;
    std::memset(playerPath, 0, sizeof playerPath);
    lstrcpynA(playerPath, path, sizeof playerPath - 1);
}
