// The dropped files' command lines, as values: which file is appended and
// how each name is quoted.
#include "player/drop_commands.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string_view> kThreeFiles = {"C:\\Music\\one.mp3", "C:\\My Music\\two.mp3",
                                                   "D:\\three.ogg"};

struct FirstFileCase {
    int playerStatus;
    bool shiftHeld;
    bool appended;
};

class FirstFile : public ::testing::TestWithParam<FirstFileCase> {};

TEST_P(FirstFile, PrefixFollowsPlayerAndShiftRestAlwaysAppended) {
    const FirstFileCase c = GetParam();
    const std::vector<std::string> lines = DropCommandLines(kThreeFiles, c.playerStatus, c.shiftHeld);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], c.appended ? "/ADD \"C:\\Music\\one.mp3\"" : "\"C:\\Music\\one.mp3\"");
    EXPECT_EQ(lines[1], "/ADD \"C:\\My Music\\two.mp3\"");
    EXPECT_EQ(lines[2], "/ADD \"D:\\three.ogg\"");
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

TEST(DropCommandLines, OneFileGetsOnlyTheFirstFilesRule) {
    EXPECT_EQ(DropCommandLines({"C:\\a.mp3"}, PLAYER_STOPPED, false), std::vector<std::string>{"\"C:\\a.mp3\""});
    EXPECT_EQ(DropCommandLines({"C:\\a.mp3"}, PLAYER_PLAYING, false),
              std::vector<std::string>{"/ADD \"C:\\a.mp3\""});
}

TEST(DropCommandLines, NoFilesNoStarts) { EXPECT_TRUE(DropCommandLines({}, PLAYER_PLAYING, true).empty()); }

}  // namespace
