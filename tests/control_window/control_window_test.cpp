// The control window procedure driven with real messages and a real
// pointer: hovering and leaving, button tips through the host's tooltip,
// the times over the bar and the Display cell, the title tip over empty
// places, presses on the bar, and the answers the procedure gives.
#include "tests/control_window/control_fixture.h"

#include "control/button_tips.h"
#include "control/control_handlers.h"
#include "player/commands.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/player/player_sim_client.h"
#include "tests/support/iat_patch.h"
#include "tests/support/timer_recorder.h"
#include "titletip/title_tip.h"

#include <commctrl.h>
#include <cstring>
#include <vector>

namespace {

using HoverTest = ControlWindowTest;

TEST_F(HoverTest, PointerOnTheControlStartsTheTickAndLeavingStopsIt) {
    PointAt(CellCentre(1));
    ASSERT_TRUE(WaitUntil([] { return pluginState.hoverTimer != 0; }, 1000)) << "no WM_MOUSEMOVE arrived";
    RECT expected;
    GetWindowRect(control, &expected);
    EXPECT_TRUE(EqualRect(&savedWindowRect, &expected));
    EXPECT_TRUE(WaitUntil([] { return pluginState.hotItem == 1; }, 1000)) << "the real timer did not tick";
    EXPECT_EQ(pluginState.drawnHotItem, 1);

    PointAway();
    EXPECT_TRUE(WaitUntil([] { return pluginState.hoverTimer == 0; }, 1000));
    EXPECT_EQ(pluginState.hotItem, HOT_NONE);
}

TEST_F(HoverTest, ReleaseOutsideLeavesButtonDownUntilTheNextTick) {
    PointAt(CellCentre(1));
    Send(WM_MOUSEMOVE);
    ASSERT_NE(pluginState.hoverTimer, 0u);
    EXPECT_EQ(Send(WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(pluginState.buttonDown);
    EXPECT_TRUE(pluginState.drawnButtonDown);

    PointAway();  // the release happens elsewhere and never reaches us
    Tick();
    EXPECT_FALSE(pluginState.buttonDown);
    EXPECT_EQ(pluginState.hoverTimer, 0u);
    EXPECT_EQ(pluginState.hotItem, HOT_NONE);
}

TEST_F(HoverTest, PressOnTheBarShowsWhereItWouldSeek) {
    pluginState.playerStatus = PLAYER_PLAYING;
    const struct {
        POINT at;
        int percent;
    } cases[] = {{kBarLeftEnd, 0}, {kBarRightEnd, 100}, {kBarEighth, 13}};
    for (const auto& c : cases) {
        pluginState.buttonDown = false;
        pluginState.drawnButtonDown = false;
        positionPercent = -1;
        PointAt(c.at);
        EXPECT_EQ(Send(WM_LBUTTONDOWN), 0);
        EXPECT_EQ(pluginState.hotItem, HOT_POSITION_BAR);
        EXPECT_EQ(positionPercent, c.percent) << c.at.x;
    }
}

TEST_F(HoverTest, SecondPressBeforeATickChangesOnlyButtonDown) {
    pluginState.playerStatus = PLAYER_PLAYING;
    PointAt(kBarLeftEnd);
    Send(WM_LBUTTONDOWN);
    ASSERT_EQ(positionPercent, 0);
    pluginState.buttonDown = false;  // as after a release
    PointAt(kBarRightEnd);
    Send(WM_LBUTTONDOWN);
    EXPECT_TRUE(pluginState.buttonDown);
    EXPECT_EQ(positionPercent, 0) << "the pressed look is still drawn, so nothing is recomputed";
}

TEST_F(HoverTest, BarOfAStoppedPlayerIsNoElement) {
    pluginState.playerStatus = PLAYER_STOPPED;
    positionPercent = -1;
    PointAt(kBarEighth);
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(pluginState.hotItem, HOT_NONE);
    EXPECT_EQ(positionPercent, -1);
}

TEST_F(HoverTest, BusyDropIgnoresThePointer) {
    pluginState.dropBusy = true;
    PointAt(CellCentre(1));
    Send(WM_MOUSEMOVE);
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(pluginState.hoverTimer, 0u);
    EXPECT_FALSE(pluginState.buttonDown);
}

using ButtonTipTest = ControlWindowTest;

TEST_F(ButtonTipTest, TipsFollowTheCellUnderThePointer) {
    pluginState.buttonTips = true;
    pluginState.songTitleTip = false;
    const struct {
        int cell;
        const char* text;
    } notRunning[] = {{0, "On"}, {1, "Play"}, {3, ""}, {9, ""}, {6, "Open"}};
    for (const auto& c : notRunning) {
        PointAt(CellCentre(c.cell));
        Tick();
        EXPECT_STREQ(buttonTipText, c.text) << c.cell;
        EXPECT_EQ(TooltipText(), c.text) << c.cell;
    }

    pluginState.playerWindow = titleTip;  // any window: the player was found
    pluginState.playerStatus = PLAYER_PAUSED;
    PointAt(CellCentre(0));
    Tick();
    EXPECT_STREQ(buttonTipText, "Off");
    PointAt(CellCentre(2));
    Tick();
    EXPECT_STREQ(buttonTipText, "Resume");
}

TEST_F(ButtonTipTest, FirstTextAddsTheToolAndLaterOnesUpdateIt) {
    pluginState.buttonTips = true;
    pluginState.songTitleTip = false;
    PointAt(kNoCell);
    Tick();  // an empty text before any other sends nothing
    EXPECT_EQ(TooltipMessages(TTM_ADDTOOLA) + TooltipMessages(TTM_UPDATETIPTEXTA), 0);

    PointAt(CellCentre(1));
    Tick();
    EXPECT_EQ(TooltipMessages(TTM_ADDTOOLA), 1);
    EXPECT_EQ(hostToolInfo.cbSize, 44u);
    EXPECT_EQ(hostToolInfo.uFlags, static_cast<UINT>(TTF_CENTERTIP));
    EXPECT_EQ(hostToolInfo.hwnd, control);
    EXPECT_EQ(hostToolInfo.uId, 1u);
    EXPECT_EQ(hostToolInfo.lpszText, buttonTipText);
    const RECT inset = {1, 1, 54, 22};
    EXPECT_TRUE(EqualRect(&hostToolInfo.rect, &inset));
    EXPECT_EQ(SendMessageA(host.tooltipWindow, TTM_GETTOOLCOUNT, 0, 0), 1);

    PointAt(CellCentre(6));
    Tick();
    EXPECT_EQ(TooltipMessages(TTM_ADDTOOLA), 1);
    EXPECT_EQ(TooltipMessages(TTM_UPDATETIPTEXTA), 1);
    EXPECT_EQ(TooltipText(), "Open");
}

TEST_F(ButtonTipTest, SameTextTwiceSendsOneMessageAndRepaintsOnce) {
    pluginState.buttonTips = true;
    PointAt(CellCentre(1));
    Tick();
    ValidateRect(control, nullptr);
    const int before = TooltipMessages(TTM_ADDTOOLA) + TooltipMessages(TTM_UPDATETIPTEXTA);
    Tick();
    UpdateButtonTip("Play");
    EXPECT_EQ(TooltipMessages(TTM_ADDTOOLA) + TooltipMessages(TTM_UPDATETIPTEXTA), before);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(control, &update, FALSE));
}

TEST_F(ButtonTipTest, ToolRemovedByAnEarlierStopIsAddedAgain) {
    UpdateButtonTip("Play");
    ASSERT_EQ(TooltipMessages(TTM_ADDTOOLA), 1);
    // Teardown removes the tool and a new start zeroes the record, but the
    // last text stays behind.
    SendMessageA(host.tooltipWindow, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&hostToolInfo));
    std::memset(&hostToolInfo, 0, sizeof hostToolInfo);
    UpdateButtonTip("Play");
    EXPECT_EQ(TooltipMessages(TTM_ADDTOOLA), 2);
    EXPECT_EQ(TooltipText(), "Play");
}

TEST_F(ButtonTipTest, TipsOffHandsOverNothingButTheEmptyText) {
    pluginState.buttonTips = false;
    pluginState.songTitleTip = false;
    for (int cell : {0, 1, 6}) {
        PointAt(CellCentre(cell));
        Tick();
    }
    EXPECT_EQ(TooltipMessages(TTM_ADDTOOLA) + TooltipMessages(TTM_UPDATETIPTEXTA), 0);
}

TEST_F(ButtonTipTest, EmptyPlaceClearsTheTipWhenTitleTipsAreOff) {
    pluginState.buttonTips = true;
    pluginState.songTitleTip = false;
    lstrcpynA(titleText, "Artist - Song", kTitleTextSize);
    PointAt(CellCentre(1));
    Tick();
    PointAt(kNoCell);
    Tick();
    EXPECT_STREQ(buttonTipText, "");
    EXPECT_EQ(TooltipText(), "");
    EXPECT_FALSE(IsWindowVisible(titleTip));
    EXPECT_EQ(pluginState.titleTipTimer, 0u);
}

TEST_F(ButtonTipTest, MessagesAreRelayedToTheHostOnlyWhileItsFlagIsClear) {
    Send(WM_MOUSEMOVE);
    const int relayed = TooltipMessages(TTM_RELAYEVENT);
    EXPECT_GT(relayed, 0);
    host.tipRelayFlag = 1;
    Send(WM_MOUSEMOVE);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(TooltipMessages(TTM_RELAYEVENT), relayed);
}

using TimeTipTest = ControlWindowTest;

TEST_F(TimeTipTest, TimesFollowThePointerAndThePollInsteadOfTheTitle) {
    pluginState.buttonTips = pluginState.songTitleTip = true;
    pluginState.playerStatus = PLAYER_PLAYING;
    lstrcpynA(titleText, "Artist - Song", kTitleTextSize);
    songLengthSec = 296;
    songPositionSec = 83;
    const struct {
        POINT at;
        const char* text;
    } steps[] = {{kBarLeftEnd, "0:00 / 4:56"}, {kBarRightEnd, "4:56 / 4:56"}, {CellCentre(HOT_DISPLAY), "1:23 / 4:56"}};
    for (const auto& step : steps) {
        PointAt(step.at);
        Tick();
        EXPECT_EQ(TooltipText(), step.text);
    }
    songPositionSec = 84;  // as the next poll leaves it
    Tick();
    EXPECT_EQ(TooltipText(), "1:24 / 4:56");
    EXPECT_FALSE(IsWindowVisible(titleTip));

    songLengthSec = -1;  // a stream: the title as before
    PointAt(kBarEighth);
    Tick();
    EXPECT_EQ(TooltipText(), "");
    EXPECT_TRUE(IsWindowVisible(titleTip));
}

using TitleTipHoverTest = ControlWindowTest;

TEST_F(TitleTipHoverTest, EmptyPlaceShowsTheTitleAndLeavingShortensIt) {
    pluginState.songTitleTip = true;
    lstrcpynA(titleText, "Artist - Song", kTitleTextSize);
    TimerRecorder timers;
    ASSERT_TRUE(timers.active());

    PointAt(kNoCell);
    Send(WM_MOUSEMOVE);
    Tick();
    EXPECT_TRUE(IsWindowVisible(titleTip));
    ASSERT_NE(pluginState.titleTipTimer, 0u);
    ASSERT_EQ(timers.starts().size(), 2u);  // hover, then the title tip
    EXPECT_EQ(timers.starts()[1].window, titleTip);
    EXPECT_EQ(timers.starts()[1].id, TIMER_TITLE_TIP);
    EXPECT_EQ(timers.starts()[1].elapse, 2500u);

    Tick();  // a running title tip timer is left alone
    EXPECT_EQ(timers.starts().size(), 2u);

    PointAway();
    Tick();
    EXPECT_EQ(pluginState.hoverTimer, 0u);
    ASSERT_EQ(timers.starts().size(), 3u);
    EXPECT_EQ(timers.starts()[2].window, titleTip);
    EXPECT_EQ(timers.starts()[2].elapse, 600u);
    EXPECT_NE(pluginState.titleTipTimer, 0u);
}

TEST_F(TitleTipHoverTest, ButtonsAndBusyDropsDoNotShowTheTitle) {
    pluginState.songTitleTip = true;
    lstrcpynA(titleText, "Artist - Song", kTitleTextSize);
    PointAt(CellCentre(1));
    Tick();
    EXPECT_FALSE(IsWindowVisible(titleTip));
    pluginState.dropBusy = true;
    PointAt(kNoCell);
    Tick();
    EXPECT_FALSE(IsWindowVisible(titleTip));
    EXPECT_EQ(pluginState.titleTipTimer, 0u);
}

struct WindowPlacement {
    HWND window;
    HWND insertAfter;
    UINT flags;
};
std::vector<WindowPlacement> placements;
using SetWindowPosFn = BOOL(WINAPI*)(HWND, HWND, int, int, int, int, UINT);
SetWindowPosFn realSetWindowPos = nullptr;

BOOL WINAPI RecordingSetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    placements.push_back({window, insertAfter, flags});
    return realSetWindowPos(window, insertAfter, x, y, cx, cy, flags);
}

TEST_F(TitleTipHoverTest, ShownButtonTipTakesTheTitleDownAndGoesOnTop) {
    ShowWindow(titleTip, SW_SHOWNOACTIVATE);
    pluginState.titleTipTimer = SetTimer(titleTip, TIMER_TITLE_TIP, 60000, nullptr);
    ScopedImportPatch patch(GetModuleHandleA(nullptr), "user32.dll", "SetWindowPos",
                            reinterpret_cast<void*>(&RecordingSetWindowPos));
    ASSERT_TRUE(patch.active());
    realSetWindowPos = reinterpret_cast<SetWindowPosFn>(patch.original());
    placements.clear();

    NMHDR shown = {host.tooltipWindow, 1, static_cast<UINT>(TTN_SHOW)};
    EXPECT_NE(Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&shown)), 0);
    ASSERT_EQ(placements.size(), 1u);
    EXPECT_EQ(placements[0].window, host.tooltipWindow);
    EXPECT_EQ(placements[0].insertAfter, HWND_TOPMOST);
    EXPECT_EQ(placements[0].flags, static_cast<UINT>(SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE));
    EXPECT_FALSE(IsWindowVisible(titleTip));
    EXPECT_EQ(pluginState.titleTipTimer, 0u);
}

TEST_F(TitleTipHoverTest, FailedPlacementIsTheAnswer) {
    NMHDR fromNowhere = {nullptr, 1, static_cast<UINT>(TTN_SHOW)};
    EXPECT_EQ(Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&fromNowhere)), 0);
}

TEST_F(TitleTipHoverTest, OtherNotificationsAnswerZeroAndTouchNothing) {
    ShowWindow(titleTip, SW_SHOWNOACTIVATE);
    pluginState.titleTipTimer = SetTimer(titleTip, TIMER_TITLE_TIP, 60000, nullptr);
    NMHDR popped = {host.tooltipWindow, 1, static_cast<UINT>(TTN_POP)};
    EXPECT_EQ(Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&popped)), 0);
    EXPECT_TRUE(IsWindowVisible(titleTip));
    EXPECT_NE(pluginState.titleTipTimer, 0u);
}

using DispatchTest = ControlWindowTest;

TEST_F(DispatchTest, PaintAndEraseAnswers) {
    HDC dc = GetDC(control);
    EXPECT_EQ(Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), 1);
    ReleaseDC(control, dc);
    InvalidateRect(control, nullptr, FALSE);
    EXPECT_EQ(Send(WM_PAINT), 0);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(control, &update, FALSE)) << "the paint validated the control";
}

TEST_F(DispatchTest, SettingsChangeRepaintsWithoutErasing) {
    ValidateRect(control, nullptr);
    Send(WM_WININICHANGE);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(control, &update, FALSE));
}

// A player slow to carry out commands keeps the command worker busy; a done
// post from any other thread frees nothing, its own does.
TEST_F(DispatchTest, CommandDoneFreesTheWorkerOnlyFromTheWorkersOwnPost) {
    PlayerSimOptions slow;
    slow.commandDelayMs = 500;
    PlayerSimProcess sim = StartPlayerSim(slow);
    ASSERT_TRUE(sim.window) << sim.failure;
    pluginState.playerWindow = sim.window;
    pluginState.hotItem = HOT_STOP;
    StartCommand();
    ASSERT_TRUE(pluginState.commandBusy);
    PostMessageA(control, MSG_COMMAND_DONE, GetCurrentThreadId(), 0);
    PumpMessages(50);
    EXPECT_TRUE(pluginState.commandBusy) << "another thread's post freed the worker";
    EXPECT_TRUE(WaitUntil([] { return !pluginState.commandBusy; }, 3000));
    StopPlayerSim(&sim);
}

}  // namespace
