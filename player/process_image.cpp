// The process snapshot: the executable of the process that owns a window
// (the snapshot names it, and the process itself gives the full path when
// the snapshot gives only a file name, as it does on every NT-family
// Windows), and the processes another one started. The kernel functions
// are looked up by name so that the library still loads on systems that
// lack them.
#include "player/process_image.h"

#include <tlhelp32.h>
#include <algorithm>
#include <cstring>

namespace {

static_assert(sizeof(PROCESSENTRY32) == 296, "the ANSI process entry");

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using WalkProcessesFn = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32* entry);
using QueryImageNameFn = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPSTR name, PDWORD size);

template <typename Function>
Function KernelFunction(const char* name) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() {
        if (valid()) CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A snapshot of the running processes; invalid when there is none.
HANDLE TakeProcessSnapshot() {
    const auto createSnapshot = KernelFunction<CreateSnapshotFn>("CreateToolhelp32Snapshot");
    return createSnapshot ? createSnapshot(TH32CS_SNAPPROCESS, 0) : INVALID_HANDLE_VALUE;
}

// Hands found each process of the snapshot in turn, until it returns true.
// A snapshot may be walked again from its start.
template <typename Found>
void WalkSnapshot(HANDLE snapshot, Found found) {
    const auto first = KernelFunction<WalkProcessesFn>("Process32First");
    const auto next = KernelFunction<WalkProcessesFn>("Process32Next");
    if (!first || !next) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snapshot, &entry); more && !found(entry); more = next(snapshot, &entry)) {
    }
}

// The snapshot's file name for processId, or "" when no entry matches.
void SnapshotExeFile(DWORD processId, char* out, int size) {
    const ScopedHandle snapshot(TakeProcessSnapshot());
    if (!snapshot.valid()) return;
    WalkSnapshot(snapshot.get(), [&](const PROCESSENTRY32& entry) {
        if (entry.th32ProcessID != processId) return false;
        lstrcpynA(out, entry.szExeFile, size);
        return true;
    });
}

bool CreatedAt(HANDLE process, FILETIME* created) {
    FILETIME exited, kernel, user;
    return GetProcessTimes(process, created, &exited, &kernel, &user) != FALSE;
}

// Leaves out as it is when the process cannot be asked or the path does
// not fit.
void FullImagePath(DWORD processId, char* out, int size) {
    const auto queryImageName = KernelFunction<QueryImageNameFn>("QueryFullProcessImageNameA");
    if (!queryImageName) return;
    const ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.valid()) return;
    char path[MAX_PATH + 2] = {};
    DWORD length = sizeof path;
    if (!queryImageName(process.get(), 0, path, &length)) return;
    if (static_cast<int>(length) >= size) return;
    lstrcpynA(out, path, size);
}

bool HasFolder(const char* name) { return std::strpbrk(name, "\\/:") != nullptr; }

}  // namespace

LaunchedFamily::LaunchedFamily(HANDLE launcher) {
    HANDLE own = nullptr;
    FILETIME created;
    if (!launcher || !CreatedAt(launcher, &created) ||
        !DuplicateHandle(GetCurrentProcess(), launcher, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return;
    Add(own, GetProcessId(launcher), created);
}

LaunchedFamily::~LaunchedFamily() {
    for (int i = 0; i < count_; ++i) CloseHandle(members_[i].process);
}

const LaunchedFamily::Member* LaunchedFamily::Find(DWORD id) const {
    for (int i = 0; i < count_; ++i)
        if (members_[i].id == id) return &members_[i];
    return nullptr;
}

bool LaunchedFamily::Knows(DWORD id) const { return Find(id) != nullptr; }

void LaunchedFamily::Add(HANDLE process, DWORD id, const FILETIME& created) {
    if (count_ == kMostMembers) {
        CloseHandle(process);
        return;
    }
    members_[count_++] = Member{process, id, created};
}

// Ids are given out again: a process is the snapshot's only when it was
// created before the snapshot was taken (the id may have passed to a new
// process between the snapshot and the opening).
HANDLE LaunchedFamily::OpenIfCreatedBetween(DWORD id, const FILETIME& after, const FILETIME& lookedAt) const {
    const HANDLE candidate = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (candidate == nullptr) return nullptr;
    FILETIME created;
    if (CreatedAt(candidate, &created) && CompareFileTime(&created, &after) >= 0 &&
        CompareFileTime(&created, &lookedAt) <= 0 && !CreatedAfterFamilyEnded(created))
        return candidate;
    CloseHandle(candidate);
    return nullptr;
}

bool LaunchedFamily::CreatedAfterFamilyEnded(const FILETIME& created) const {
    for (int i = 0; i < count_; ++i) {
        FILETIME began, exited, kernel, user;
        if (WaitForSingleObject(members_[i].process, 0) == WAIT_TIMEOUT ||
            !GetProcessTimes(members_[i].process, &began, &exited, &kernel, &user) ||
            CompareFileTime(&created, &exited) <= 0)
            return false;
    }
    return true;
}

// A member's child was created after the member.
bool LaunchedFamily::AddIfChild(DWORD id, DWORD parentId, const FILETIME& lookedAt) {
    const Member* parent = Find(parentId);
    if (!parent || Knows(id)) return false;
    const HANDLE child = OpenIfCreatedBetween(id, parent->created, lookedAt);
    if (child == nullptr) return false;
    FILETIME created;
    CreatedAt(child, &created);
    Add(child, id, created);
    return true;
}

bool LaunchedFamily::AddIfOrphan(DWORD id, const FILETIME& lookedAt) {
    if (count_ == 0 || Knows(id)) return false;
    const HANDLE orphan = OpenIfCreatedBetween(id, members_[0].created, lookedAt);
    if (orphan == nullptr) return false;
    FILETIME created;
    CreatedAt(orphan, &created);
    Add(orphan, id, created);
    return true;
}

// One snapshot, walked again while it shows new members, so that a
// member's children's children are found in the same look. Orphans are
// told by their parent's id missing from the same snapshot, so they are
// looked for only when every id of it was kept.
void LaunchedFamily::AddChildrenSeen() {
    FILETIME lookedAt;
    GetSystemTimeAsFileTime(&lookedAt);
    const ScopedHandle snapshot(TakeProcessSnapshot());
    if (!snapshot.valid()) return;
    std::array<DWORD, kMostProcessesLooked> running;
    size_t runningCount = 0;
    bool allKept = true;
    WalkSnapshot(snapshot.get(), [&](const PROCESSENTRY32& entry) {
        allKept = runningCount < running.size();
        if (allKept) running[runningCount++] = entry.th32ProcessID;
        return !allKept;
    });
    const auto runs = [&](DWORD id) {
        return std::find(running.begin(), running.begin() + runningCount, id) != running.begin() + runningCount;
    };
    for (bool grew = true; grew && count_ < kMostMembers;) {
        grew = false;
        WalkSnapshot(snapshot.get(), [&](const PROCESSENTRY32& entry) {
            const DWORD id = entry.th32ProcessID, parentId = entry.th32ParentProcessID;
            const bool orphan = allKept && !Knows(parentId) && !runs(parentId);
            grew = (orphan ? AddIfOrphan(id, lookedAt) : AddIfChild(id, parentId, lookedAt)) || grew;
            return count_ == kMostMembers;
        });
    }
}

HANDLE LaunchedFamily::RunningMember() {
    if (count_ == 0) return nullptr;
    AddChildrenSeen();
    for (int i = 0; i < count_; ++i)
        if (WaitForSingleObject(members_[i].process, 0) == WAIT_TIMEOUT) return members_[i].process;
    return nullptr;
}

void LearnPlayerPath(HWND window, char* out, int size) {
    if (out == nullptr || size <= 0) return;
    out[0] = '\0';
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    // A window that is already gone gives 0, which is the idle process.
    if (processId == 0) return;
    SnapshotExeFile(processId, out, size);
    if (out[0] != '\0' && !HasFolder(out)) FullImagePath(processId, out, size);
}
