// What one press sends, as command numbers in order, and what it leaves in
// positionUnchanged and hotItem.
#include "player/command_plan.h"
#include "plugin/state/plugin_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Numbers(const CommandPlan& plan) {
    std::vector<int> numbers;
    for (int i = 0; i < plan.count; ++i) numbers.push_back(PlayerCommandTable[plan.rows[i]]);
    return numbers;
}

std::vector<int> Repeated(int number, int times) { return std::vector<int>(times, number); }

CommandPlan Plain(int cell, bool positionUnchanged = false, int volumeSteps = 5) {
    return PlanCommand(Press{cell, false, positionUnchanged, volumeSteps});
}

CommandPlan Shifted(int cell, int volumeSteps = 5) { return PlanCommand(Press{cell, true, true, volumeSteps}); }

}  // namespace

TEST(CommandPlan, EachPlainButtonSendsItsOwnNumberOnce) {
    EXPECT_EQ(Numbers(Plain(0)), std::vector<int>{40001});
    EXPECT_EQ(Numbers(Plain(1)), std::vector<int>{40045});
    EXPECT_EQ(Numbers(Plain(2)), std::vector<int>{40046});
    EXPECT_EQ(Numbers(Plain(3)), std::vector<int>{40047});
    EXPECT_EQ(Numbers(Plain(6)), std::vector<int>{40029});
    EXPECT_EQ(Numbers(Plain(7)), std::vector<int>{40044});
    EXPECT_EQ(Numbers(Plain(8)), std::vector<int>{40048});
}

TEST(CommandPlan, TransportButtonsClearTheStandstillAndOpenLeavesIt) {
    for (int cell : {0, 1, 3, 7, 8}) {
        const CommandPlan plan = Plain(cell, true);
        EXPECT_TRUE(plan.setsPositionUnchanged) << cell;
        EXPECT_FALSE(plan.positionUnchanged) << cell;
    }
    for (int cell : {4, 6, 9}) EXPECT_FALSE(Plain(cell, true).setsPositionUnchanged) << cell;
}

TEST(CommandPlan, PauseTogglesThroughTheStandstillFlag) {
    const CommandPlan first = Plain(2, false);
    EXPECT_EQ(Numbers(first), std::vector<int>{40046});
    EXPECT_TRUE(first.setsPositionUnchanged);
    EXPECT_TRUE(first.positionUnchanged);
    EXPECT_FALSE(first.playInsteadOfPause);

    const CommandPlan second = Plain(2, first.positionUnchanged);
    EXPECT_EQ(Numbers(second), std::vector<int>{40045});
    EXPECT_TRUE(second.setsPositionUnchanged);
    EXPECT_FALSE(second.positionUnchanged);
    EXPECT_TRUE(second.playInsteadOfPause);
}

TEST(CommandPlan, ShiftTurnsPrevAndNextIntoSkipsAndSilencesTheRest) {
    EXPECT_EQ(Numbers(Shifted(7)), std::vector<int>{40061});
    EXPECT_EQ(Numbers(Shifted(8)), std::vector<int>{40060});
    for (int cell : {0, 1, 2, 3, 6}) {
        const CommandPlan plan = Shifted(cell);
        EXPECT_EQ(plan.count, 0) << cell;
        EXPECT_FALSE(plan.setsPositionUnchanged) << cell;
        EXPECT_FALSE(plan.playInsteadOfPause) << cell;
    }
}

TEST(CommandPlan, VolumeSendsStepsPlusOneWithoutShiftAndStepsWithIt) {
    EXPECT_EQ(Numbers(Plain(4, false, 1)), Repeated(40058, 1));
    EXPECT_EQ(Numbers(Plain(4, false, 2)), Repeated(40058, 3));
    EXPECT_EQ(Numbers(Plain(4, false, 5)), Repeated(40058, 6));
    EXPECT_EQ(Numbers(Plain(9, false, 10)), Repeated(40059, 11));
    EXPECT_EQ(Numbers(Shifted(4, 1)), Repeated(40058, 0));
    EXPECT_EQ(Numbers(Shifted(4, 2)), Repeated(40058, 2));
    EXPECT_EQ(Numbers(Shifted(4, 5)), Repeated(40058, 5));
    EXPECT_EQ(Numbers(Shifted(9, 5)), Repeated(40059, 5));
}

TEST(CommandPlan, VolumeStepsOutsideTheSettingsBoundsStayInsideThePlan) {
    EXPECT_EQ(Numbers(Plain(4, false, 0)), Repeated(40058, 1));
    EXPECT_EQ(Numbers(Plain(4, false, -3)), Repeated(40058, 1));
    EXPECT_EQ(Numbers(Plain(4, false, 1000)), Repeated(40058, kMaxCommandSends));
}

TEST(CommandPlan, TheBarTheDisplayAndCellsOutsideTheTableSendNothing) {
    for (int cell : {HOT_POSITION_BAR, HOT_DISPLAY, HOT_NONE, 10, 11, 13, 1000}) {
        for (bool shift : {false, true}) {
            const CommandPlan plan = PlanCommand(Press{cell, shift, true, 5});
            EXPECT_EQ(plan.count, 0) << cell;
            EXPECT_FALSE(plan.setsPositionUnchanged) << cell;
        }
    }
}
