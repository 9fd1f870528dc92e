// What the system's process list tells of the player: which executable
// owns a window, how FindPlayer learns the player's path when the stored
// one names no file; and what a program started, how a launch follows a
// launcher to the player it started.
#pragma once

#include <windows.h>

#include <array>

// A launcher and the processes it started, and those they started in turn,
// as far as they were seen: a launch follows them to the player. Each
// member is held open, so that its id is not given to another process
// while the family may still look for its children, and an ended member's
// children are still known by it.
class LaunchedFamily {
public:
    // The launcher's handle stays the caller's.
    explicit LaunchedFamily(HANDLE launcher);
    ~LaunchedFamily();
    LaunchedFamily(const LaunchedFamily&) = delete;
    LaunchedFamily& operator=(const LaunchedFamily&) = delete;

    // Whether the launcher could be followed at all: a start may give no
    // process, or one this family could not hold.
    bool Follows() const { return count_ > 0; }
    // Looks again at the running processes, takes in every new descendant
    // of a member, and returns one member that still runs, to wait on (the
    // family keeps it), or nullptr when every member has ended. A process
    // between a member and the player (cmd's start, a script host) may
    // start the player and end between two looks, so that the player's
    // parent names a process no look saw and none that runs: such an
    // orphan is taken in too when it was created while the family lived,
    // after the launcher and before its last member ended. At most
    // kMostMembers are held.
    HANDLE RunningMember();

private:
    struct Member {
        HANDLE process;
        DWORD id;
        FILETIME created;
    };
    bool Knows(DWORD id) const;
    const Member* Find(DWORD id) const;
    void Add(HANDLE process, DWORD id, const FILETIME& created);
    // The process, held, when it was created after `after` and, unless a
    // member still runs, before the last member ended; else nothing.
    HANDLE OpenIfCreatedBetween(DWORD id, const FILETIME& after, const FILETIME& lookedAt) const;
    bool CreatedAfterFamilyEnded(const FILETIME& created) const;
    bool AddIfChild(DWORD id, DWORD parentId, const FILETIME& lookedAt);
    bool AddIfOrphan(DWORD id, const FILETIME& lookedAt);
    void AddChildrenSeen();

    static constexpr int kMostMembers = 32;
    // A look at more running processes than this takes in no orphans.
    static constexpr size_t kMostProcessesLooked = 1024;
    std::array<Member, kMostMembers> members_ = {};
    int count_ = 0;
};

// Writes the executable of the process owning window into out (at most
// size - 1 characters and a terminator); "" when it cannot be told.
void LearnPlayerPath(HWND window, char* out, int size);
