// mirel_shell.exe as a person or the demo runs it: its own process, its
// own store, the built plug-in in its taskbar, a scene with screenshots,
// and leaving by itself when the scene is done.
#include "testbed/shell/scene_runner.h"
#include "testbed/shell/screenshot.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

TEST(ShellProgram, PlaysASceneWithThePluginAndLeavesWhenItIsDone) {
    const std::string dir = MakeScratchDir("shellrun");
    ASSERT_FALSE(dir.empty());
    WriteWholeFile(dir + "\\mirel.ini", "[Pelorin]\r\nButtons tips=1\r\nPosition=1\r\n");
    WriteWholeFile(dir + "\\tip.scene",
                   "wait 1200\nshot start Started\nmove on\nwait 300\nhover on\nwait 1500\nshot tip The tip\n");
    std::string commandLine = "\"" + ExeFolder() + "\\mirel_shell.exe\" --store=\"" + dir + "\\mirel.ini\" --scene=\"" +
                              dir + "\\tip.scene\" --shots=\"" + dir + "\\shots\" --exit-when-done --exit-after=60000";

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, ExeFolder().c_str(),
                               &startup, &process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 45000), WAIT_OBJECT_0) << "the shell left after its scene";
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u);

    EXPECT_EQ(ReadWholeFile(dir + "\\shots\\scene-done.txt"), "ok\n");
    EXPECT_EQ(ReadWholeFile(dir + "\\shots\\shots.txt"), "start.bmp\tStarted\ntip.bmp\tThe tip\n");
    const std::string start = ReadWholeFile(dir + "\\shots\\start.bmp");
    const std::string tip = ReadWholeFile(dir + "\\shots\\tip.bmp");
    const size_t expectedSize = 54 + static_cast<size_t>(Bmp24Stride(kShotWidth)) * (kShotHeightAboveControl + 23);
    EXPECT_EQ(start.size(), expectedSize);
    EXPECT_EQ(tip.size(), expectedSize);
    EXPECT_NE(start, tip) << "the hovered cell and its tip show in the second shot";
    RemoveTree(dir);
}
