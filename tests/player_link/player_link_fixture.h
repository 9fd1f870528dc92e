// What the player link's tests share: the plug-in's state put back to its
// load-time values, a control window of our own that finishes commands as
// the real one does, the stand-in host's store, and the simulator's log.
#pragma once

#include "testbed/player/player_sim_client.h"
#include "tests/support/iat_patch.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class PlayerLinkTest : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the simulator with one 200-second track, standing at
    // startPositionMs in the given state.
    void StartPlayer(PlayerSimState state, int startPositionMs = 61500, int lengthSec = 200);
    void StartPlayer(const PlayerSimOptions& simOptions);

    // The simulator's log entries of one kind since the last MarkLog, as
    // their argument texts ("0 105", "40045").
    void MarkLog();
    std::vector<std::string> LoggedSinceMark(const char* kind);

    // Runs one press of cell through the command thread, as a release on the
    // control does, and waits until its completion message was handled.
    void Press(int cell);
    bool WaitForCommandDone();

    std::string StoreCalls();

    PlayerSimProcess sim;
    HWND control = nullptr;
    size_t logMark = 0;

private:
    std::unique_ptr<ScopedImportPatch> redrawWatch_;
};

// Completion messages the test's control window handled.
extern int commandDoneCount;
// Immediate repaints of the control (RedrawWindow with the flags a press
// uses), by the thread that asked.
extern std::atomic<int> repaintsFromTestThread;
extern std::atomic<int> repaintsFromOtherThreads;

// Holds Shift down, as the user would, for as long as it lives.
class ScopedShift {
public:
    ScopedShift();
    ~ScopedShift();
    ScopedShift(const ScopedShift&) = delete;
    ScopedShift& operator=(const ScopedShift&) = delete;
};
