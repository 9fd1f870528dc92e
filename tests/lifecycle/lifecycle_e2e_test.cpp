// The built plug-in started and stopped by the stand-in host, as the shell
// does it: what it registers, which timers it starts, what a start that
// cannot finish leaves behind, and that stopping releases everything (the
// control's kept look included), also a hundred times over and with a
// worker thread stuck in a hung player.
#include "host/host_abi.h"
#include "testbed/common/message_wait.h"
#include "testbed/player/player_sim_client.h"
#include "tests/lifecycle/lifecycle_fixture.h"
#include "tests/standin_host/test_files.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT_PTR kStartupTimer = 3;
constexpr UINT_PTR kPollTimer = 2;
constexpr UINT_PTR kTitleTipTimer = 5;
constexpr UINT_PTR kTitleRefreshTimer = 6;

bool ClassRegistered(HMODULE module, const char* name) {
    WNDCLASSA found;
    return GetClassInfoA(module, name, &found) != FALSE;
}

COLORREF ControlPixel(HWND control, int x, int y) {
    HDC dc = GetDC(control);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return colour;
}

std::string WindowClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

class PluginLifecycle : public LoadedPluginTest {
protected:
    void TearDown() override {
        LoadedPluginTest::TearDown();
        if (sim.process) StopPlayerSim(&sim);
    }
    PlayerSimProcess sim;
};

}  // namespace

TEST_F(PluginLifecycle, TheTitleTipStaysLongerWhenThePlayerAlreadyRuns) {
    ASSERT_FALSE(FindPlayerSimWindow()) << "another player is running";
    StartPlugin();
    std::vector<PluginTimerStart> tip = TimersWithId(kTitleTipTimer);
    ASSERT_FALSE(tip.empty());
    EXPECT_EQ(tip.back().period, 1000u);
    EXPECT_FALSE(tip.back().hasCallback);
    EXPECT_EQ(WindowClassOf(tip.back().window), "Pelorin_Tip");
    EXPECT_TRUE(IsWindowVisible(tip.back().window)) << "shown at start even without a player";
    StopAndUnload();

    sim = StartPlayerSim(PlayerSimOptions{});
    ASSERT_TRUE(sim.window) << sim.failure;
    StartPlugin();
    // The first layout may already have timed a new title; the start's own
    // step comes last and sets the period.
    tip = TimersWithId(kTitleTipTimer);
    ASSERT_FALSE(tip.empty());
    EXPECT_EQ(tip.back().period, 3000u);
}

TEST_F(PluginLifecycle, RegistersItsControlWithTheTaskbarAndStartsItsTimers) {
    WriteSettings("Position=1\r\nPriority Position=5\r\n");
    StartPlugin();
    HWND control = ControlWindowIn(host.taskbarWindow);
    ASSERT_TRUE(control);
    ASSERT_EQ(host.taskbarItems.size(), 1u);
    const TaskbarItem& item = host.taskbarItems[0];
    EXPECT_EQ(item.window, control);
    EXPECT_EQ(item.parent, host.taskbarWindow);
    EXPECT_EQ(item.rect.left, 0);
    EXPECT_EQ(item.rect.top, 0);
    EXPECT_EQ(item.rect.right, 55);
    EXPECT_EQ(item.rect.bottom, 23);
    EXPECT_EQ(item.position, 1);
    EXPECT_EQ(item.reserved1, -1);
    EXPECT_EQ(item.reserved2, -1);
    EXPECT_EQ(item.priority, 50);

    // The host placed it at the right end of the strip.
    RECT placed, strip;
    GetWindowRect(control, &placed);
    GetWindowRect(host.taskbarWindow, &strip);
    EXPECT_EQ(placed.right, strip.right);
    EXPECT_EQ(placed.right - placed.left, 55);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)) & 0x56000010u, 0x56000010u);
    EXPECT_TRUE(GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    const std::vector<PluginTimerStart> poll = TimersWithId(kPollTimer);
    const std::vector<PluginTimerStart> refresh = TimersWithId(kTitleRefreshTimer);
    ASSERT_EQ(poll.size(), 1u);
    ASSERT_EQ(refresh.size(), 1u);
    EXPECT_EQ(poll[0].window, control);
    EXPECT_EQ(poll[0].period, 1000u);
    EXPECT_TRUE(poll[0].hasCallback);
    EXPECT_EQ(refresh[0].window, control);
    EXPECT_EQ(refresh[0].period, 500u);
    EXPECT_TRUE(refresh[0].hasCallback);
    EXPECT_TRUE(TimersWithId(kStartupTimer).empty()) << "Run at Startup is off";
}

TEST_F(PluginLifecycle, RunAtStartupArmsTheStartupTickOnce) {
    WriteSettings("Run at Startup=1\r\n");
    StartPlugin();
    const std::vector<PluginTimerStart> startup = TimersWithId(kStartupTimer);
    ASSERT_EQ(startup.size(), 1u);
    EXPECT_EQ(startup[0].window, ControlWindowIn(host.taskbarWindow));
    EXPECT_EQ(startup[0].period, 15000u);
    EXPECT_TRUE(startup[0].hasCallback);
}

TEST_F(PluginLifecycle, StopDestroysBothWindowsAndUnregistersBothClasses) {
    StartPlugin();
    HWND control = ControlWindowIn(host.taskbarWindow);
    HWND tip = FindWindowA("Pelorin_Tip", nullptr);
    ASSERT_TRUE(control && tip);
    ASSERT_TRUE(ClassRegistered(plugin, "Pelorin"));
    ASSERT_TRUE(ClassRegistered(plugin, "Pelorin_Tip"));
    PumpMessages(300);

    StopPlugin();
    EXPECT_FALSE(IsWindow(control));
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_FALSE(ClassRegistered(plugin, "Pelorin"));
    EXPECT_FALSE(ClassRegistered(plugin, "Pelorin_Tip"));
    EXPECT_TRUE(probe.liveGdi.empty()) << probe.liveGdi.size() << " GDI objects left";
    EXPECT_EQ(host.taskbarItems.size(), 1u) << "the host hears nothing of the stop";
}

TEST_F(PluginLifecycle, AnUnusableNormalSkinShowsOneMessageAndLeavesNothing) {
    const std::string icon = scratchDir + "\\not-a-skin.ico";
    WriteIconFile(icon);
    WriteSettings("Normal Skin=" + icon + "\r\n");
    StartPlugin();

    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].caption, "Pelorin");
    EXPECT_EQ(ShownMessages()[0].text, "Load Main Bitmap Skin Please!!!");
    EXPECT_EQ(ShownMessages()[0].flags, static_cast<UINT>(MB_ICONERROR | MB_TOPMOST));
    EXPECT_EQ(host.modalMessages, (std::vector<UINT>{HM_MODAL_BEGIN, HM_MODAL_END}));
    EXPECT_TRUE(host.taskbarItems.empty());
    EXPECT_FALSE(ControlWindowIn(host.taskbarWindow));
    EXPECT_FALSE(FindWindowA("Pelorin_Tip", nullptr));
    EXPECT_TRUE(probe.timers.empty());
    EXPECT_TRUE(ClassRegistered(plugin, "Pelorin"));

    EXPECT_TRUE(probe.liveGdi.empty()) << probe.liveGdi.size() << " GDI objects kept by a start that failed";
    EXPECT_EQ(LiveKernelHandles(), 0) << "the stop signal of a start that failed";

    probe.windowTouches = 0;
    StopPlugin();
    EXPECT_EQ(probe.windowTouches, 0);
    EXPECT_FALSE(ClassRegistered(plugin, "Pelorin"));
    EXPECT_EQ(ShownMessages().size(), 1u);
}

TEST_F(PluginLifecycle, AStartAfterAStopWorksInTheSameLoad) {
    StartPlugin();
    StopPlugin();
    StartPlugin();
    HWND control = ControlWindowIn(host.taskbarWindow);
    ASSERT_TRUE(control);
    ASSERT_EQ(host.taskbarItems.size(), 2u);
    EXPECT_EQ(host.taskbarItems[1].window, control);
    EXPECT_TRUE(FindWindowA("Pelorin_Tip", nullptr));
    EXPECT_EQ(TimersWithId(kPollTimer).size(), 2u);
}

// The control's look is kept between paints; a stop must let go of it, so
// a second start shows its own skin and a start that fails keeps nothing.
TEST_F(PluginLifecycle, ASecondStartPaintsItsOwnSkinAndAFailedStartKeepsNothing) {
    for (const COLORREF colour : {RGB(200, 30, 30), RGB(30, 30, 200)}) {
        const std::string skin = scratchDir + "\\skin" + std::to_string(colour) + ".bmp";
        WriteFileBytes(skin, BmpFileBytes(55, 23, std::vector<COLORREF>(55 * 23, colour)));
        WriteSettings("Normal Skin=" + skin + "\r\n");
        StartPlugin();
        const HWND control = ControlWindowIn(host.taskbarWindow);
        ASSERT_TRUE(control);
        PumpMessages(100);
        EXPECT_EQ(ControlPixel(control, 27, 12), colour);
        StopPlugin();
        EXPECT_TRUE(probe.liveGdi.empty()) << probe.liveGdi.size() << " GDI objects left by a stop";
    }
    const std::string icon = scratchDir + "\\not-a-skin.ico";
    WriteIconFile(icon);
    WriteSettings("Normal Skin=" + icon + "\r\n");
    StartPlugin();
    ASSERT_FALSE(ControlWindowIn(host.taskbarWindow));
    EXPECT_TRUE(probe.liveGdi.empty()) << probe.liveGdi.size() << " GDI objects kept by a start that failed";
}

TEST_F(PluginLifecycle, AHundredStartsAndStopsLeaveNoThreadsWindowsOrGdiObjects) {
    sim = StartPlayerSim(PlayerSimOptions{});
    ASSERT_TRUE(sim.window) << sim.failure;
    size_t gdiAfterFirst = 0;
    int threadsAfterFirst = 0;
    int windowsAfterFirst = 0;
    for (int cycle = 1; cycle <= 100; ++cycle) {
        StartPlugin();
        ASSERT_TRUE(ControlWindowIn(host.taskbarWindow)) << "cycle " << cycle;
        PumpMessages(cycle == 1 ? 1200 : 60);  // the first cycle polls and paints
        StopAndUnload();
        // The poll worker holds the library until it has seen the stop.
        ASSERT_TRUE(WaitUntil([] { return !GetModuleHandleA("Pelorin.plg"); }, 5000)) << "cycle " << cycle;
        host.taskbarItems.clear();
        if (cycle == 1) {
            gdiAfterFirst = probe.liveGdi.size();
            threadsAfterFirst = ThreadCount();
            windowsAfterFirst = WindowCount(host.taskbarWindow);
        }
    }
    EXPECT_EQ(probe.liveGdi.size(), gdiAfterFirst);
    EXPECT_EQ(gdiAfterFirst, 0u);
    EXPECT_LE(ThreadCount(), threadsAfterFirst);
    EXPECT_EQ(WindowCount(host.taskbarWindow), windowsAfterFirst);
}

