// The built plug-in in the stand-in shell's taskbar on each edge of the
// screen: its title tip shows against the side of the taskbar that faces
// the middle, lined up with the control, and a shot of the screen there
// finds the tip's own frame and background on top.
#include "testbed/common/message_wait.h"
#include "testbed/shell/scene_script.h"
#include "testbed/shell/screenshot.h"
#include "tests/lifecycle/lifecycle_fixture.h"

#include <gtest/gtest.h>
#include <cstdint>

namespace {

class TitleTipOnEdge : public LoadedPluginTest, public ::testing::WithParamInterface<TaskbarEdge> {
protected:
    void SetUp() override {
        options.edge = GetParam();
        LoadedPluginTest::SetUp();
    }
};

// A pixel of a 24-bit shot, y counted from the top.
COLORREF ShotPixel(const std::string& bmp, int width, int height, int x, int y) {
    const size_t at = 54 + static_cast<size_t>(height - 1 - y) * Bmp24Stride(width) + static_cast<size_t>(x) * 3;
    if (bmp.size() < at + 3) return CLR_INVALID;
    return RGB(static_cast<uint8_t>(bmp[at + 2]), static_cast<uint8_t>(bmp[at + 1]), static_cast<uint8_t>(bmp[at]));
}

TEST_P(TitleTipOnEdge, ShowsBesideTheTaskbarFacingTheMiddle) {
    WriteSettings("Position=1\r\n");  // the right (bottom) end, where nothing clamps the tip
    StartPlugin();
    HWND control = ControlWindowIn(host.taskbarWindow);
    HWND tip = FindWindowA("Pelorin_Tip", nullptr);
    ASSERT_TRUE(control && tip);
    RECT controlRect, taskbar;
    GetWindowRect(control, &controlRect);
    GetWindowRect(host.taskbarWindow, &taskbar);
    // The pointer resting on the Display cell keeps the title up.
    const POINT display = CellPoint(controlRect, 5);
    SetCursorPos(display.x, display.y);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(tip) != FALSE; }, 3000));
    PumpMessages(300);

    RECT placed;
    GetWindowRect(tip, &placed);
    const TaskbarEdge edge = GetParam();
    // Across the taskbar the tip touches the strip's side that faces the
    // middle (gaps in TaskbarEdge's order: bottom, top, left, right); along
    // it, the control's far edge.
    const LONG across[] = {taskbar.top - placed.bottom, placed.top - taskbar.bottom, placed.left - taskbar.right,
                           taskbar.left - placed.right};
    EXPECT_EQ(across[static_cast<int>(edge)], 0);
    if (edge == TaskbarEdge::Left || edge == TaskbarEdge::Right)
        EXPECT_EQ(placed.bottom, controlRect.bottom);
    else
        EXPECT_EQ(placed.right, controlRect.right);

    const std::string shot = scratchDir + "\\tip.bmp";
    ASSERT_TRUE(CaptureScreenRect(placed, shot));
    const std::string bmp = ReadWholeFile(shot);
    const int width = placed.right - placed.left;
    const int height = placed.bottom - placed.top;
    EXPECT_EQ(ShotPixel(bmp, width, height, 0, 0), GetSysColor(COLOR_INFOTEXT)) << "the frame";
    // Right of the title, under the frame.
    EXPECT_EQ(ShotPixel(bmp, width, height, width - 2, 1), GetSysColor(COLOR_INFOBK));

    if (edge != TaskbarEdge::Left && edge != TaskbarEdge::Right) return;
    // A host may fit the control into a strip narrower than the skin: the
    // tip still goes beside the strip, not over it.
    constexpr int kNarrow = 40;
    RECT narrow = taskbar;
    if (edge == TaskbarEdge::Left)
        narrow.right = narrow.left + kNarrow;
    else
        narrow.left = narrow.right - kNarrow;
    MoveWindow(host.taskbarWindow, narrow.left, narrow.top, kNarrow, narrow.bottom - narrow.top, TRUE);
    POINT at = {controlRect.left, controlRect.top};
    ScreenToClient(host.taskbarWindow, &at);
    MoveWindow(control, 0, at.y, kNarrow, controlRect.bottom - controlRect.top, TRUE);
    // The title refresh places the tip anew.
    const auto gap = [&] {
        GetWindowRect(tip, &placed);
        return edge == TaskbarEdge::Left ? placed.left - narrow.right : narrow.left - placed.right;
    };
    EXPECT_TRUE(WaitUntil([&] { return gap() == 0; }, 3000)) << "the tip is " << gap() << " px off the taskbar";
}

std::string EdgeName(const ::testing::TestParamInfo<TaskbarEdge>& info) {
    constexpr const char* kNames[] = {"Bottom", "Top", "Left", "Right"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryEdge, TitleTipOnEdge,
                         ::testing::Values(TaskbarEdge::Bottom, TaskbarEdge::Top, TaskbarEdge::Left,
                                           TaskbarEdge::Right),
                         EdgeName);

}  // namespace
