// What a press sends, as command numbers in order. The end-to-end tests
// count the common presses at the player; these cover what a real press
// cannot reach.
#include "player/command_plan.h"
#include "plugin/state/plugin_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Numbers(const Press& press) {
    const CommandPlan plan = PlanCommand(press);
    std::vector<int> numbers;
    for (int i = 0; i < plan.count; ++i) numbers.push_back(PlayerCommandTable[plan.rows[i]]);
    return numbers;
}

}  // namespace

TEST(CommandPlan, EachTransportButtonSendsItsNumberAndClearsTheStandstill) {
    const int expected[][2] = {{0, 40001}, {1, 40045}, {3, 40047}, {7, 40044}, {8, 40048}};
    for (const auto& [cell, number] : expected) {
        EXPECT_EQ(Numbers(Press{cell, false, true, 5}), std::vector<int>{number}) << cell;
        const CommandPlan plan = PlanCommand(Press{cell, false, true, 5});
        EXPECT_TRUE(plan.setsPositionUnchanged && !plan.positionUnchanged) << cell;
    }
    EXPECT_EQ(Numbers(Press{6, false, true, 5}), std::vector<int>{40029});
    EXPECT_FALSE(PlanCommand(Press{6, false, true, 5}).setsPositionUnchanged);
}

TEST(CommandPlan, VolumeStepsOutsideTheSettingsBoundsStayInsideThePlan) {
    EXPECT_EQ(Numbers(Press{4, false, false, 0}), std::vector<int>(1, 40058));
    EXPECT_EQ(Numbers(Press{9, false, false, -3}), std::vector<int>(1, 40059));
    EXPECT_EQ(Numbers(Press{4, false, false, 1000}), std::vector<int>(kMaxCommandSends, 40058));
    EXPECT_EQ(Numbers(Press{4, true, false, 1000}), std::vector<int>(kMaxVolumeSteps, 40058));
}

TEST(CommandPlan, TheBarTheDisplayAndCellsOutsideTheTableSendNothing) {
    for (int cell : {HOT_POSITION_BAR, HOT_DISPLAY, HOT_NONE, 10, 11, 1000}) {
        for (bool shift : {false, true}) {
            const CommandPlan plan = PlanCommand(Press{cell, shift, true, 5});
            EXPECT_EQ(plan.count, 0) << cell;
            EXPECT_FALSE(plan.setsPositionUnchanged) << cell;
        }
    }
}
