// The control's pure rules: button tip texts in both languages, the times
// over the bar and the Display cell, the seek percentage of a press on the
// bar, the context menu's shuffle and repeat items and its Russian texts,
// the shuffle and repeat answers as they travel in a message, the setup
// request handed to the
// host, and wheel notches.
#include "control/button_tips.h"
#include "control/control_handlers.h"
#include "control/time_tips.h"
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

TEST(FormatPlayTime, MinutesThenHoursFromAnHourOn) {
    EXPECT_EQ(FormatPlayTime(0), "0:00");
    EXPECT_EQ(FormatPlayTime(3599), "59:59");
    EXPECT_EQ(FormatPlayTime(3600), "1:00:00");
    EXPECT_EQ(FormatPlayTime(36005), "10:00:05");
}

// The bar runs from x 7 to 47 (five cells of 8) over y 0 to 3; the
// Display cell spans x 7 to 15, y 13 to 23.
constexpr Geometry kBarGeometry = {55, 23, 3, 7, 8, 10, false};
constexpr POINT kOnDisplay = {10, 18};

std::string TipAt(POINT at, int32_t lengthSec, int32_t positionSec = 0, int status = PLAYER_PLAYING,
                  Language language = Language::English) {
    return ButtonTipAt(at, kBarGeometry, {status, true, lengthSec, positionSec}, language);
}

TEST(ButtonTipAt, BarTellsWhereAClickJumpsAsTheSeekRoundsIt) {
    EXPECT_EQ(TipAt({7, 1}, 296), "0:00 / 4:56");
    EXPECT_EQ(TipAt({27, 1}, 296), "2:28 / 4:56");
    EXPECT_EQ(TipAt({47, 1}, 296), "4:56 / 4:56");
    // x 18 is 27.5 %, sent as 28 %: 82.88 s, which the poll reads as 83.
    EXPECT_EQ(TipAt({18, 1}, 296), "1:23 / 4:56");
    EXPECT_EQ(TipAt({27, 1}, 3725, 0, PLAYER_PAUSED), "31:03 / 1:02:05");
    EXPECT_EQ(TipAt({47, 1}, 3725), "1:02:05 / 1:02:05");
}

TEST(ButtonTipAt, DisplayCellTellsTheTimePlayedWithinTheSong) {
    EXPECT_EQ(TipAt(kOnDisplay, 296, 83, PLAYER_PAUSED, LanguageForLcid(1049)), "1:23 / 4:56");
    // The player rounds its length down; the poll may read a second more.
    EXPECT_EQ(TipAt(kOnDisplay, 296, 297), "4:56 / 4:56");
    EXPECT_EQ(TipAt({20, 8}, 296), "Play") << "the cells keep their names";
}

TEST(ButtonTipAt, NoTimeWithoutAKnownLengthOrATrackInPlay) {
    for (POINT at : {POINT{27, 1}, kOnDisplay}) {
        EXPECT_EQ(TipAt(at, -1, 40), "") << "a stream";
        EXPECT_EQ(TipAt(at, 0, 0), "") << "a player that knows no positions";
        EXPECT_EQ(TipAt(at, 296, 40, PLAYER_STOPPED), "");
    }
}

TEST(BarPercent, EndsAndRounding) {
    EXPECT_EQ(BarPercent(7, 7, 8), 0);
    EXPECT_EQ(BarPercent(47, 7, 8), 100);
    EXPECT_EQ(BarPercent(12, 7, 8), 13);  // 12.5 rounds away from zero
    EXPECT_EQ(BarPercent(11, 7, 8), 10);
    EXPECT_EQ(BarPercent(5, 0, 0), 0);   // no bar to divide by
}

constexpr ModeAnswer kOff = ModeAnswer::Off;
constexpr ModeAnswer kOn = ModeAnswer::On;
constexpr ModeAnswer kUnanswered = ModeAnswer::Unanswered;

// Each mode item's text, then + when checked and ~ when greyed.
std::string ModeItems(PlayerModes modes) {
    const MenuShape shape = ContextMenuShape({true, true, false, false, modes, true}, Language::English);
    std::string items;
    for (const MenuEntry& entry : {shape.entries[2], shape.entries[3]})
        items += std::string(" ") + entry.text + (entry.checked ? "+" : "") + (entry.grayed ? "~" : "");
    return items;
}

TEST(ContextMenuShape, ShuffleAndRepeatAreCheckedAsAnsweredAndGreyedWhenNot) {
    EXPECT_EQ(ModeItems({kOff, kOn}), " Shuffle Repeat+");
    EXPECT_EQ(ModeItems({kOn, kUnanswered}), " Shuffle+ Repeat~");
    EXPECT_EQ(ModeItems({kUnanswered, kUnanswered}), " Shuffle~ Repeat~");
}

TEST(PackModes, EveryPairOfAnswersComesBack) {
    for (ModeAnswer shuffle : {kUnanswered, kOff, kOn})
        for (ModeAnswer repeat : {kUnanswered, kOff, kOn}) {
            const PlayerModes back = UnpackModes(PackModes({shuffle, repeat}));
            EXPECT_TRUE(back.shuffle == shuffle && back.repeat == repeat);
        }
}

TEST(ContextMenuShape, RussianTexts) {
    const MenuShape shape = ContextMenuShape({true, false, true, true, {kOn, kOff}, false}, Language::Russian);
    ASSERT_EQ(shape.count, 9);
    EXPECT_STREQ(shape.entries[0].text, "\xCF\xEE\xEA\xE0\xE7\xE0\xF2\xFC Winamp");  // Показать Winamp
    // Скрыть при сворачивании
    EXPECT_STREQ(shape.entries[1].text,
                 "\xD1\xEA\xF0\xFB\xF2\xFC \xEF\xF0\xE8 \xF1\xE2\xEE\xF0\xE0\xF7\xE8\xE2\xE0\xED\xE8\xE8");
    EXPECT_TRUE(shape.entries[1].checked);
    // Случайный порядок
    EXPECT_STREQ(shape.entries[2].text, "\xD1\xEB\xF3\xF7\xE0\xE9\xED\xFB\xE9 \xEF\xEE\xF0\xFF\xE4\xEE\xEA");
    EXPECT_STREQ(shape.entries[3].text, "\xCF\xEE\xE2\xF2\xEE\xF0");  // Повтор
    // Список воспроизведения, greyed: the player told no playlist
    EXPECT_STREQ(shape.entries[4].text,
                 "\xD1\xEF\xE8\xF1\xEE\xEA \xE2\xEE\xF1\xEF\xF0\xEE\xE8\xE7\xE2\xE5\xE4\xE5\xED\xE8\xFF");
    EXPECT_TRUE(shape.entries[4].grayed);
    EXPECT_STREQ(shape.entries[6].text, "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 Winamp");  // Настройка Winamp
    EXPECT_STREQ(shape.entries[8].text, "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 \xEF\xEB\xE0\xE3\xE8\xED\xE0");  // Настройка плагина
    const MenuShape notRunning = ContextMenuShape({false, false, false, true, {}, false}, Language::Russian);
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
