// What the player link's tests share: the plug-in's state back at its
// load-time values, a control window of our own that finishes commands and
// polls as the real one does, the stand-in host's store, the stand-in player and its
// log, and a watch on the control's immediate repaints.
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

    // The stand-in player with one track of lengthSec, at startPositionMs.
    void StartPlayer(PlayerSimState state, int startPositionMs = 61500, int lengthSec = 200);

    // Argument texts ("0 105", "40045") of the player's log entries of one
    // kind since the last MarkLog.
    void MarkLog();
    std::vector<std::string> LoggedSinceMark(const char* kind);

    // One tick of the status poll, and the player's answers applied.
    void Poll();

    // One press of cell through the command thread, as a release on the
    // control starts it, until its completion message has been handled.
    void Press(int cell);
    bool WaitForCommandDone();

    // The stand-in host's log of the calls made to it.
    std::string StoreCalls();

    PlayerSimProcess sim;

private:
    HWND control_ = nullptr;
    size_t logMark_ = 0;
    std::unique_ptr<ScopedImportPatch> redrawWatch_;
    std::unique_ptr<ScopedImportPatch> invalidateWatch_;
};

extern int commandDoneCount;
// Repaints of the control: painted at once on the test (host) thread, and
// asked for by other threads.
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
