// The dropped files' command lines, as values: which file is appended and
// how each name is quoted.
#include "player/drop_commands.h"

#include <gtest/gtest.h>

namespace {

struct FirstFileCase {
    int playerStatus;
    bool shiftHeld;
    bool appended;
};

class FirstFile : public ::testing::TestWithParam<FirstFileCase> {};

TEST_P(FirstFile, IsAppendedAsThePlayerAndShiftDecide) {
    const FirstFileCase c = GetParam();
    EXPECT_EQ(FirstFileAppends(c.playerStatus, c.shiftHeld), c.appended);
}

INSTANTIATE_TEST_SUITE_P(PlayerAndShift, FirstFile,
                         ::testing::Values(FirstFileCase{PLAYER_PLAYING, false, true},
                                           FirstFileCase{PLAYER_PLAYING, true, false},
                                           FirstFileCase{PLAYER_STOPPED, false, false},
                                           FirstFileCase{PLAYER_STOPPED, true, true},
                                           FirstFileCase{PLAYER_PAUSED, false, false},
                                           FirstFileCase{PLAYER_PAUSED, true, true},
                                           FirstFileCase{PLAYER_NOT_RUNNING, false, false},
                                           FirstFileCase{PLAYER_NOT_RUNNING, true, true}));

TEST(DropCommandLine, QuotesTheNameWholeAfterThePrefixWhenAppending) {
    EXPECT_EQ(DropCommandLine("C:\\My Music\\a.mp3", false), "\"C:\\My Music\\a.mp3\"");
    EXPECT_EQ(DropCommandLine("C:\\My Music\\a.mp3", true), "/ADD \"C:\\My Music\\a.mp3\"");
}

}  // namespace
