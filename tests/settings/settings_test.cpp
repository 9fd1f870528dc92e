// Reading the settings from the stand-in host's store, and the "Hide on
// Minimize" write-back, checked through the store file and the host's call
// log. Expected call sequences are written out here from the host contract,
// not derived from the plug-in's own table.
#include "host/host_services.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "settings/settings.h"
#include "skin/geometry.h"
#include "skin/skin_set.h"
#include "testbed/starter/standin_api.h"
#include "tests/standin_host/test_files.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every setting field set away from its default, so a read that skipped a
// field would show.
void PoisonSettings() {
    pluginState.position = 1;
    pluginState.priorityPosition = 9;
    pluginState.buttonTips = true;
    pluginState.songTitleTip = false;
    pluginState.runAtStartup = true;
    pluginState.runMinimized = false;
    pluginState.hideOnMinimize = true;
    pluginState.volumeSteps = 9;
    pluginState.sideOffset = 7;
    pluginState.barOffsetBottomRow = true;
    pluginState.barHeight = 8;
    pluginState.borderOnMouseOver = false;
    pluginState.showPressedButtons = false;
    memset(playerPath, 'x', kPlayerPathSize);
}

uint8_t ByteOf(const bool& field) {
    uint8_t byte = 0;
    memcpy(&byte, &field, 1);
    return byte;
}

bool Within(int value, int low, int high) { return value >= low && value <= high; }

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        storePath = folder.PathOf("shell.ini");
        hostContext = HostContext{};
        hostContext.configId = StandInOpenStore(storePath.c_str());
        ASSERT_NE(hostContext.configId, 0);
        PoisonSettings();
        for (SettingText& name : skinFiles) name.fill('x');
        StandInClearCallLog();
    }

    void TearDown() override { hostContext = HostContext{}; }

    void WriteStore(const std::string& text) { WriteFileBytes(storePath, text); }

    void Read() {
        StandInClearCallLog();
        ReadSettings(skinFiles);
    }

    std::string Id() const { return std::to_string(hostContext.configId); }

    TempFolder folder;
    std::string storePath;
    SkinFileNames skinFiles = {};
};

}  // namespace

TEST_F(SettingsTest, EmptySectionReadsEveryDefaultInTheFixedOrder) {
    // Another section's values must not leak into ours.
    WriteStore("[Other]\r\nPosition=1\r\nVolume Steps=2\r\nButtons tips=1\r\nNormal Skin=x.bmp\r\n");
    Read();

    const std::vector<std::string> expected = {
        "OpenCFGr|" + Id(),
        "FindSection|Pelorin|0",
        "GetCFGInt|Position|0",
        "CheckInt|0|0|1|0",
        "GetCFGInt|Priority Position|5",
        "CheckInt|5|0|10|0",
        "GetCFGBool|Buttons tips|0",
        "GetCFGBool|Song Title tip|-1",
        "GetCFGString|Winamp Path||260",
        "GetCFGBool|Run at Startup|0",
        "GetCFGBool|Run Minimized|-1",
        "GetCFGBool|Hide on Minimize|0",
        "GetCFGInt|Volume Steps|5",
        "CheckInt|5|1|10|1",
        "GetCFGString|Normal Skin|Plugins\\Pelorin1.bmp|260",
        "GetCFGString|Mouse Over Skin|Plugins\\Pelorin2.bmp|260",
        "GetCFGString|Pressed Skin|Plugins\\Pelorin3.bmp|260",
        "GetCFGString|Pressed Buttons Skin|Plugins\\Pelorin4.bmp|260",
        "GetCFGString|Mouse Over Pressed Skin|Plugins\\Pelorin5.bmp|260",
        "GetCFGInt|Left and Right OffSet|0",
        "CheckInt|0|0|10|0",
        "GetCFGBool|Bar OffSet of Bottom Row|0",
        "GetCFGInt|Position Bar Height|3",
        "CheckInt|3|0|10|0",
        "GetCFGBool|Border On Mouse Over|-1",
        "GetCFGBool|Show Pressed Buttons|-1",
        "CloseCFGr",
    };
    EXPECT_EQ(CallLogLines(), expected);

    EXPECT_EQ(pluginState.position, 0);
    EXPECT_EQ(pluginState.priorityPosition, 5);
    EXPECT_EQ(ByteOf(pluginState.buttonTips), 0);
    EXPECT_EQ(ByteOf(pluginState.songTitleTip), 1);
    EXPECT_STREQ(playerPath, "");
    EXPECT_EQ(ByteOf(pluginState.runAtStartup), 0);
    EXPECT_EQ(ByteOf(pluginState.runMinimized), 1);
    EXPECT_EQ(ByteOf(pluginState.hideOnMinimize), 0);
    EXPECT_EQ(pluginState.volumeSteps, 5);
    for (int i = 0; i < kSkinFileCount; ++i) {
        EXPECT_EQ(std::string(skinFiles[i].data()), "Plugins\\Pelorin" + std::to_string(i + 1) + ".bmp");
    }
    EXPECT_EQ(pluginState.sideOffset, 0);
    EXPECT_EQ(ByteOf(pluginState.barOffsetBottomRow), 0);
    EXPECT_EQ(pluginState.barHeight, 3);
    EXPECT_EQ(ByteOf(pluginState.borderOnMouseOver), 1);
    EXPECT_EQ(ByteOf(pluginState.showPressedButtons), 1);
}

TEST_F(SettingsTest, StoredValuesReachTheirFields) {
    WriteStore(
        "[Pelorin]\r\n"
        "Position=1\r\nPriority Position=10\r\nVolume Steps=10\r\n"
        "Left and Right OffSet=10\r\nPosition Bar Height=0\r\n"
        "Winamp Path=C:\\Program Files\\Winamp\\winamp.exe\r\n"
        "Normal Skin=D:\\skins\\n.bmp\r\nMouse Over Pressed Skin=D:\\skins\\mop.bmp\r\n");
    Read();
    EXPECT_EQ(pluginState.position, 1);
    EXPECT_EQ(pluginState.priorityPosition, 10);
    EXPECT_EQ(pluginState.volumeSteps, 10);
    EXPECT_EQ(pluginState.sideOffset, 10);
    EXPECT_EQ(pluginState.barHeight, 0) << "a 0 bar height means no bar and is kept";
    EXPECT_STREQ(playerPath, "C:\\Program Files\\Winamp\\winamp.exe");
    EXPECT_STREQ(skinFiles[0].data(), "D:\\skins\\n.bmp");
    EXPECT_STREQ(skinFiles[1].data(), "Plugins\\Pelorin2.bmp");
    EXPECT_STREQ(skinFiles[4].data(), "D:\\skins\\mop.bmp");
}

TEST_F(SettingsTest, AnyNonZeroBooleanIsTrueAndStoredAsOne) {
    WriteStore(
        "[Pelorin]\r\n"
        "Buttons tips=1\r\nSong Title tip=0\r\nRun at Startup=-1\r\nRun Minimized=0\r\n"
        "Hide on Minimize=7\r\nBar OffSet of Bottom Row=1\r\nBorder On Mouse Over=0\r\n"
        "Show Pressed Buttons=-1\r\n");
    // Each field starts opposite to what the store says.
    pluginState.buttonTips = false;
    pluginState.runAtStartup = false;
    pluginState.hideOnMinimize = false;
    pluginState.barOffsetBottomRow = false;
    pluginState.songTitleTip = true;
    pluginState.runMinimized = true;
    pluginState.borderOnMouseOver = true;
    Read();
    EXPECT_EQ(ByteOf(pluginState.buttonTips), 1);
    EXPECT_EQ(ByteOf(pluginState.songTitleTip), 0);
    EXPECT_EQ(ByteOf(pluginState.runAtStartup), 1);
    EXPECT_EQ(ByteOf(pluginState.runMinimized), 0);
    EXPECT_EQ(ByteOf(pluginState.hideOnMinimize), 1);
    EXPECT_EQ(ByteOf(pluginState.barOffsetBottomRow), 1);
    EXPECT_EQ(ByteOf(pluginState.borderOnMouseOver), 0);
    EXPECT_EQ(ByteOf(pluginState.showPressedButtons), 1);
}

TEST_F(SettingsTest, HostileStoreLeavesFieldsInRangeAndBuffersTerminated) {
    const std::string huge(5000, 'h');
    // Out-of-range numbers, garbage, and texts far over the maximum.
    WriteStore("[Pelorin]\r\n"
               "Position=2\r\nPriority Position=12abc\r\nVolume Steps=0\r\n"
               "Left and Right OffSet=-2147483648\r\nPosition Bar Height=99999999999999999999\r\n"
               "Buttons tips=yes\r\n"
               "Winamp Path=" + huge + "\r\n"
               "Normal Skin=" + huge + "\r\nMouse Over Skin=" + huge + "\r\nPressed Skin=" + huge +
               "\r\nPressed Buttons Skin=" + huge + "\r\nMouse Over Pressed Skin=" + huge + "\r\n");
    // Out of range beforehand too, so a field the read missed would show.
    pluginState.position = 50;
    pluginState.priorityPosition = -1;
    pluginState.volumeSteps = 0;
    pluginState.sideOffset = -1;
    pluginState.barHeight = 11;
    Read();
    EXPECT_PRED3(Within, pluginState.position, 0, 1);
    EXPECT_PRED3(Within, pluginState.priorityPosition, 0, 10);
    EXPECT_PRED3(Within, pluginState.volumeSteps, 1, 10);
    EXPECT_PRED3(Within, pluginState.sideOffset, 0, 10);
    EXPECT_PRED3(Within, pluginState.barHeight, 0, 10);
    EXPECT_LE(ByteOf(pluginState.buttonTips), 1);

    EXPECT_EQ(strnlen(playerPath, kPlayerPathSize), 260u);
    EXPECT_EQ(std::string(playerPath), huge.substr(0, 260));
    for (const SettingText& name : skinFiles) EXPECT_EQ(strnlen(name.data(), name.size()), 260u);
}

TEST_F(SettingsTest, HideOnMinimizeToggledTwiceRestoresAndStoresEachTime) {
    WriteStore("[Pelorin]\r\nVolume Steps=3\r\n");
    Read();
    ASSERT_FALSE(pluginState.hideOnMinimize);
    const std::vector<std::string> writePass = {
        "OpenCFGw|" + Id(),
        "FindSection|Pelorin|0",
        "SetCFGInt|Hide on Minimize|1",
        "CloseCFGw|" + Id() + "|-1",
    };

    StandInClearCallLog();
    ToggleHideOnMinimize();
    EXPECT_EQ(ByteOf(pluginState.hideOnMinimize), 1);
    EXPECT_EQ(CallLogLines(), writePass);
    pluginState.hideOnMinimize = false;
    Read();
    EXPECT_EQ(ByteOf(pluginState.hideOnMinimize), 1) << "the stored 1 reads back as true";

    StandInClearCallLog();
    ToggleHideOnMinimize();
    EXPECT_EQ(ByteOf(pluginState.hideOnMinimize), 0);
    std::vector<std::string> secondPass = writePass;
    secondPass[2] = "SetCFGInt|Hide on Minimize|0";
    EXPECT_EQ(CallLogLines(), secondPass);
    pluginState.hideOnMinimize = true;
    Read();
    EXPECT_EQ(ByteOf(pluginState.hideOnMinimize), 0);
    EXPECT_EQ(pluginState.volumeSteps, 3) << "the write pass keeps the other keys";
}

TEST_F(SettingsTest, StartUpReadsThenLoadsTheShippedDefaultSkins) {
    std::array<uint8_t, kMetricsMinSize> metrics = {};
    const int32_t rowHeight = 23;
    const int32_t scaleFactor = 1;
    memcpy(metrics.data() + kRowHeightOffset, &rowHeight, sizeof rowHeight);
    memcpy(metrics.data() + kScaleFactorOffset, &scaleFactor, sizeof scaleFactor);
    hostContext.metrics = metrics.data();

    EXPECT_TRUE(LoadSettingsAndSkins());

    const std::vector<std::string> log = CallLogLines();
    const auto close = std::find(log.begin(), log.end(), "CloseCFGr");
    ASSERT_NE(close, log.end());
    ASSERT_NE(close + 1, log.end());
    EXPECT_EQ(*(close + 1), "malloc|261") << "the skins follow the read pass";
    for (int role = 0; role < SKIN_COUNT; ++role) {
        SCOPED_TRACE(role);
        ASSERT_NE(skinSet[role].source.fileName, nullptr);
        EXPECT_EQ(std::string(skinSet[role].source.fileName), "Plugins\\Pelorin" + std::to_string(role + 1) + ".bmp");
        EXPECT_TRUE(HasPicture(static_cast<SkinRole>(role)));
    }
    EXPECT_EQ(controlWidth, skinSet[SKIN_NORMAL].source.width);
    EXPECT_EQ(controlHeight, 23);

    for (SkinEntry& entry : skinSet) {
        FreePictureRecord(&entry.source);
        FreePictureRecord(&entry.stretched);
        entry = SkinEntry{};
    }
    FreeFont(&tipFont);
}
