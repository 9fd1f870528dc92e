// The stand-in shell's command line: what the demo script and a person
// type must be understood exactly, and anything else refused with a reason.
#include "testbed/shell/shell_options.h"

#include <gtest/gtest.h>

TEST(ShellOptions, ReadsEveryOptionTheDemoUses) {
    const ParsedShellOptions parsed =
        ParseShellOptions({"--store=C:\\demo\\mirel.ini", "--plugin=D:\\p.plg", "--row-height=30", "--scale=2",
                           "--scene=Z:\\s.scene", "--shots=Z:\\shots", "--exit-when-done", "--exit-after=90000",
                           "--setup"});
    ASSERT_EQ(parsed.error, "");
    const ShellOptions& options = parsed.options;
    EXPECT_EQ(options.storePath, "C:\\demo\\mirel.ini");
    EXPECT_EQ(options.pluginPath, "D:\\p.plg");
    EXPECT_EQ(options.rowHeight, 30);
    EXPECT_EQ(options.scaleFactor, 2);
    EXPECT_EQ(options.scenePath, "Z:\\s.scene");
    EXPECT_EQ(options.shotDir, "Z:\\shots");
    EXPECT_TRUE(options.exitWhenSceneDone);
    EXPECT_EQ(options.exitAfterMs, 90000);
    EXPECT_TRUE(options.openSetupAtStart);
}

TEST(ShellOptions, RefusesWhatItCannotUse) {
    EXPECT_NE(ParseShellOptions({"--colour=red"}).error, "");
    EXPECT_NE(ParseShellOptions({"--row-height=abc"}).error, "");
    EXPECT_NE(ParseShellOptions({"--row-height=12x"}).error, "");
    EXPECT_NE(ParseShellOptions({"--scale=0"}).error, "");
    EXPECT_NE(ParseShellOptions({"--exit-after=-5"}).error, "");
    EXPECT_NE(ParseShellOptions({"--store="}).error, "");
    EXPECT_NE(ParseShellOptions({"--setup=yes"}).error, "");
    // A scene without a place for its pictures, or leaving after a scene
    // that is not there, would silently do nothing.
    EXPECT_NE(ParseShellOptions({"--scene=s.scene"}).error, "");
    EXPECT_NE(ParseShellOptions({"--exit-when-done"}).error, "");
}

TEST(ShellOptions, SplitsACommandLineAtBlanksOutsideQuotes) {
    EXPECT_EQ(SplitCommandLine(R"(  --store="C:\My Files\mirel.ini"  --setup)"),
              (std::vector<std::string>{R"(--store=C:\My Files\mirel.ini)", "--setup"}));
    EXPECT_EQ(SplitCommandLine(R"("C:\a b.mp3" C:\c.mp3 "")"),
              (std::vector<std::string>{R"(C:\a b.mp3)", R"(C:\c.mp3)", ""}));
    EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(ShellOptions, PutsTheTaskbarOnTheEdgeItIsGiven) {
    EXPECT_EQ(ParseShellOptions({}).options.edge, TaskbarEdge::Bottom);
    EXPECT_EQ(ParseShellOptions({"--edge=top"}).options.edge, TaskbarEdge::Top);
    EXPECT_EQ(ParseShellOptions({"--edge=right"}).options.edge, TaskbarEdge::Right);
    EXPECT_NE(ParseShellOptions({"--edge=middle"}).error, "");
}
