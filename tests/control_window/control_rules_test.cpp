// The control's pure rules: button tip texts in both languages, the seek
// percentage of a press on the bar, the context menu's Russian texts, the
// setup request handed to the host, and wheel notches.
#include "control/button_tips.h"
#include "control/control_handlers.h"
#include "control/wheel.h"
#include "plugin/state/plugin_state.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

std::string Tip(int hot, int status, bool found, Language language = Language::English) {
    return ButtonTipFor(hot, status, found, language);
}

TEST(ButtonTipFor, CellsThatCanStartThePlayerAlwaysHaveATip) {
    EXPECT_EQ(Tip(0, PLAYER_NOT_RUNNING, false), "On");
    EXPECT_EQ(Tip(1, PLAYER_NOT_RUNNING, false), "Play");
    EXPECT_EQ(Tip(6, PLAYER_NOT_RUNNING, false), "Open");
    EXPECT_EQ(Tip(0, PLAYER_PLAYING, true), "Off");
}

TEST(ButtonTipFor, OnOffFollowsWhetherThePlayerWindowWasFound) {
    // The poll may still say "not running" when the window has just appeared.
    EXPECT_EQ(Tip(0, PLAYER_NOT_RUNNING, true), "Off");
    EXPECT_EQ(Tip(0, PLAYER_PLAYING, false), "On");
}

TEST(ButtonTipFor, CellsThatNeedARunningPlayerHaveNoneWithoutIt) {
    for (int hot : {2, 3, 4, 7, 8, 9}) EXPECT_EQ(Tip(hot, PLAYER_NOT_RUNNING, false), "") << hot;
}

TEST(ButtonTipFor, RunningPlayerGivesEveryButtonItsName) {
    const char* expected[] = {"Off", "Play", "Pause", "Stop", "Vol +", "", "Open", "Prev", "Next", "Vol -"};
    for (int hot = 0; hot < 10; ++hot) EXPECT_EQ(Tip(hot, PLAYER_STOPPED, true), expected[hot]) << hot;
}

TEST(ButtonTipFor, PauseReadsResumeWhilePaused) {
    EXPECT_EQ(Tip(2, PLAYER_PAUSED, true), "Resume");
    EXPECT_EQ(Tip(2, PLAYER_PLAYING, true), "Pause");
}

TEST(ButtonTipFor, BarDisplayAndNothingHaveNoTip) {
    for (int hot : {HOT_NONE, HOT_DISPLAY, HOT_POSITION_BAR, 10, 11}) EXPECT_EQ(Tip(hot, PLAYER_PLAYING, true), "") << hot;
}

TEST(ButtonTipFor, RussianTextsAreCodePage1251) {
    const Language russian = LanguageForLcid(1049);
    EXPECT_EQ(Tip(4, PLAYER_PLAYING, true, russian), "\xC3\xF0\xEE\xEC. +");  // Гром. +
    EXPECT_EQ(Tip(0, PLAYER_NOT_RUNNING, false, russian), "\xC2\xEA\xEB.");   // Вкл.
    EXPECT_EQ(Tip(2, PLAYER_PAUSED, true, russian), "\xCF\xF0\xEE\xE4\xEE\xEB\xE6.");  // Продолж.
    EXPECT_EQ(Tip(3, PLAYER_NOT_RUNNING, false, russian), "");
}

TEST(ButtonTipFor, OtherLocalesKeepEnglish) {
    EXPECT_EQ(Tip(4, PLAYER_PLAYING, true, LanguageForLcid(2073)), "Vol +");
    EXPECT_EQ(Tip(4, PLAYER_PLAYING, true, LanguageForLcid(1033)), "Vol +");
}

TEST(BarPercent, EndsAndRounding) {
    EXPECT_EQ(BarPercent(7, 7, 8), 0);
    EXPECT_EQ(BarPercent(47, 7, 8), 100);
    EXPECT_EQ(BarPercent(12, 7, 8), 13);  // 12.5 rounds away from zero
    EXPECT_EQ(BarPercent(11, 7, 8), 10);
    EXPECT_EQ(BarPercent(5, 0, 0), 0);   // no bar to divide by
}

TEST(ContextMenuShape, RussianTexts) {
    const MenuShape shape = ContextMenuShape({true, false, true, true, true}, Language::Russian);
    ASSERT_EQ(shape.count, 6);
    EXPECT_STREQ(shape.entries[0].text, "\xCF\xEE\xEA\xE0\xE7\xE0\xF2\xFC Winamp");  // Показать Winamp
    // Скрыть при сворачивании
    EXPECT_STREQ(shape.entries[1].text,
                 "\xD1\xEA\xF0\xFB\xF2\xFC \xEF\xF0\xE8 \xF1\xE2\xEE\xF0\xE0\xF7\xE8\xE2\xE0\xED\xE8\xE8");
    EXPECT_TRUE(shape.entries[1].checked);
    EXPECT_STREQ(shape.entries[3].text, "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 Winamp");  // Настройка Winamp
    EXPECT_STREQ(shape.entries[5].text, "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 \xEF\xEB\xE0\xE3\xE8\xED\xE0");  // Настройка плагина
    const MenuShape notRunning = ContextMenuShape({false, false, false, true, false}, Language::Russian);
    EXPECT_STREQ(notRunning.entries[0].text, "\xC7\xE0\xEF\xF3\xF1\xF2\xE8\xF2\xFC Winamp");  // Запустить Winamp
}

TEST(BuildSetupRequest, SlashThenThePath) {
    const SetupRequest request = BuildSetupRequest("C:\\Mirel\\Plugins\\Pelorin.plg");
    EXPECT_EQ(std::string(request.data()), "/C:\\Mirel\\Plugins\\Pelorin.plg");
}

TEST(BuildSetupRequest, OverLongPathIsCutAndTerminated) {
    const std::string longPath = "C:\\" + std::string(400, 'x');
    const SetupRequest request = BuildSetupRequest(longPath.c_str());
    EXPECT_EQ(request.back(), '\0');
    const std::string sent(request.data());
    ASSERT_EQ(sent.size(), 261u);  // "/" and 260 characters of the path
    EXPECT_EQ(sent.substr(1), longPath.substr(0, 260));
}

TEST(TurnWheel, WholeNotchesGoAndTheRestKeepsItsSign) {
    auto turn = [](int remainder, int delta) {
        const WheelTurn t = TurnWheel(remainder, delta);
        return std::make_pair(t.notches, t.remainder);
    };
    EXPECT_EQ(turn(0, -360), std::make_pair(-3, 0));
    EXPECT_EQ(turn(60, 90), std::make_pair(1, 30));
    EXPECT_EQ(turn(30, -120), std::make_pair(0, -90));
    EXPECT_EQ(turn(-90, -40), std::make_pair(-1, -10));
}

TEST(BurstNotches, AtMostTwentyEitherWay) {
    EXPECT_EQ(BurstNotches(7), 7);
    EXPECT_EQ(BurstNotches(22), 20);
    EXPECT_EQ(BurstNotches(-25), -20);
}

}  // namespace
