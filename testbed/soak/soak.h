// The soak: the built plug-in in the stand-in shell's taskbar, driven by
// thousands of random events on the control and on a player that comes and
// goes, hangs and changes its mind, with checks that nothing was lost and
// nothing left behind. Everything random comes from one seed, so a failure
// replays from the seed and event number it prints.
#pragma once

#include "testbed/hostkit/hostkit.h"
#include "testbed/soak/soak_cover_files.h"
#include "testbed/shell/plugin_loader.h"
#include "tests/lifecycle/plugin_probe.h"

#include <windows.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

// Files of one drop that the player, running and awake when they were
// dropped, must take: each name once, in order, before the deadline.
struct ExpectedDrop {
    std::vector<std::string> names;
    DWORD deadline;
    int event;
};

// What a start left: the counts a stop must bring back.
struct StartBaseline {
    int threads = 0;
    int windows = 0;
    size_t gdiObjects = 0;
};

struct Soak {
    std::mt19937 random;
    unsigned seed = 0;
    int event = 0;
    const char* eventKind = "start";

    HostKit host;
    LoadedPlugin plugin;
    std::unique_ptr<PluginProbe> probe;
    StartBaseline baseline;
    std::string scratchDir;
    std::string storePath;
    std::string storeText;  // as written before the first start
    std::string simLogPath;

    std::vector<ExpectedDrop> drops;
    size_t logEntriesMatched = 0;  // the player's log up to here holds no drop still expected
    size_t boxesRead = 0;          // the plug-in's boxes up to here are accounted for
    DWORD playerAwakeAt = 0;       // a hang asked for ends about then
    int dropCount = 0;

    CoverFileSet covers;         // written under scratchDir at the start
    std::string lastCoverNamed;  // what the last cover event named, for the messages
    int coverNamings = 0;        // files named to the player by cover events

    DWORD longestStallMs = 0;  // one message, timer or paint on the shell's loop
    std::string longestStallWhat;
    DWORD longestStopMs = 0;   // one DoneModule
    std::vector<std::string> failures;

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool Chance(int percent) { return Uniform(1, 100) <= percent; }
};

// Records a failed check with the seed and the event, so it can be replayed.
void Fail(Soak& soak, const std::string& what);

// Runs this thread's message loop for ms, noting the longest time one
// message (a timer, a paint, a click) held the loop.
void RunShell(Soak& soak, DWORD ms);

// The plug-in: started with the probe on its imports, stopped with the
// stop's checks.
void StartSoakPlugin(Soak& soak);
void StopSoakPlugin(Soak& soak);
HWND SoakControl(const Soak& soak);

// One random event from the table of event kinds.
void RunRandomEvent(Soak& soak);

// The checks made every few hundred events and at the end. CheckDrops
// also fails on any box that is not one of the plug-in's reports of a
// drop or a start that failed.
void CheckDrops(Soak& soak, bool final);
void CheckStore(Soak& soak);
// True while a drop is expected: nothing may take the player away then.
bool DropPending(const Soak& soak);
