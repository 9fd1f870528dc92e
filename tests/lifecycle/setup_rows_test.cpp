// The shell's view of a plug-in's setup table, and the values behind the
// page: read from and written to the plug-in's section of a real store file.
#include "testbed/shell/setup_rows.h"
#include "testbed/starter/standin_api.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

const char* const kChoices[] = {"Left", "Right"};
const DescriptorRow kRows[] = {
    {nullptr, 26, "General", 0, 0, 0},
    {"Side", 16, "Side", 0, 1, reinterpret_cast<intptr_t>(kChoices)},
    {"Steps", 11 + 256, "Steps", 5, 1, 10},
    {"Tips", 1, "Tips", 1, 0, 0},
    {"Quiet", 1 + 256, "Quiet", 0, 0, 0},
    {"Program", 8 + 256, "Program", 0, 0, 0},
    {"Face", 14, "Face", 0, 0, 0},
    {"Odd", 99, nullptr, 0, 0, 0},
};
constexpr int kRowCount = sizeof kRows / sizeof kRows[0];

}  // namespace

TEST(SetupRows, TakeTheirTypeFromTheLowByteOfTheKind) {
    EXPECT_EQ(RowTypeOf(1), RowType::CheckBox);
    EXPECT_EQ(RowTypeOf(257), RowType::CheckBox);
    EXPECT_EQ(RowTypeOf(264), RowType::ProgramPath);
    EXPECT_EQ(RowTypeOf(267), RowType::Integer);
    EXPECT_EQ(RowTypeOf(14), RowType::Picture);
    EXPECT_EQ(RowTypeOf(16), RowType::Choice);
    EXPECT_EQ(RowTypeOf(26), RowType::Heading);
    EXPECT_EQ(RowTypeOf(512 + 3), RowType::Unknown);
}

TEST(SetupRows, CopyKeysLabelsBoundsAndChoices) {
    const std::vector<SetupRow> rows = ReadSetupRows(kRows, kRowCount);
    ASSERT_EQ(rows.size(), static_cast<size_t>(kRowCount));
    EXPECT_EQ(rows[0].key, "");
    EXPECT_EQ(rows[0].label, "General");
    EXPECT_EQ(rows[1].choices, (std::vector<std::string>{"Left", "Right"}));
    EXPECT_EQ(rows[1].high, 1);
    EXPECT_EQ(rows[2].low, 1);
    EXPECT_EQ(rows[2].high, 10);
    EXPECT_EQ(rows[2].defaultValue, 5);
    EXPECT_EQ(rows[7].type, RowType::Unknown);
    EXPECT_EQ(rows[7].label, "");
    EXPECT_TRUE(ReadSetupRows(nullptr, 5).empty());
}

class SetupStore : public HostTest {};

TEST_F(SetupStore, SavedValuesReadBackAndNumbersAreClamped) {
    const std::vector<SetupRow> rows = ReadSetupRows(kRows, kRowCount);
    std::vector<SetupValue> values(rows.size());
    values[1].number = 1;
    values[2].number = 42;
    values[3].number = 0;
    values[4].number = 1;
    values[5].text = "C:\\Players\\player.exe";
    values[6].text = std::string(400, 'x');
    SaveSetupValues(host.configId, "Test", rows, values);

    const std::string stored = ReadWholeFile(storePath);
    EXPECT_NE(stored.find("[Test]"), std::string::npos) << stored;
    EXPECT_NE(stored.find("Steps=10"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("General"), std::string::npos) << "headings have no key";

    const std::vector<SetupValue> back = LoadSetupValues(host.configId, "Test", rows);
    EXPECT_EQ(back[1].number, 1);
    EXPECT_EQ(back[0].text, "") << "a heading has no value";
    EXPECT_EQ(back[2].number, 10);
    EXPECT_EQ(back[3].number, 0);
    EXPECT_EQ(back[4].number, 1);
    EXPECT_EQ(back[5].text, "C:\\Players\\player.exe");
    EXPECT_EQ(back[6].text, std::string(kSetupTextMax, 'x'));
}
