// The skin half of start-up against the stand-in host: real .bmp and .ico
// files in a scratch folder, the host's loader, stretcher and font maker,
// and the built-in bitmaps read from the built Pelorin.plg.
#include "host/host_services.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"
#include "skin/skin_set.h"
#include "testbed/starter/standin_api.h"
#include "tests/standin_host/test_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSkinContext = 77;

std::string Bmp(int width, int height, COLORREF colour) {
    return BmpFileBytes(width, height, std::vector<COLORREF>(static_cast<size_t>(width * height), colour));
}

SIZE BitmapSize(HGDIOBJ bitmap) {
    BITMAP info = {};
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) == 0) return SIZE{-1, -1};
    return SIZE{info.bmWidth, info.bmHeight};
}

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

class SkinSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostContext = HostContext{};
        hostContext.metrics = metrics.data();
        hostContext.skinContext = kSkinContext;
        SetMetrics(23, 1);
        pluginState.sideOffset = 0;
        pluginState.barHeight = 3;
        pluginState.barOffsetBottomRow = false;
        for (int role = 0; role < SKIN_COUNT; ++role) {
            const std::string name = "Pelorin" + std::to_string(role + 1) + ".bmp";
            SetName(role, folder.PathOf(name));
        }
        StandInClearCallLog();
    }

    void TearDown() override {
        for (SkinEntry& entry : skinSet) {
            FreePictureRecord(&entry.source);
            FreePictureRecord(&entry.stretched);
            entry = SkinEntry{};
        }
        FreeFont(&tipFont);
        if (plugin) FreeLibrary(plugin);
        pluginInstance = nullptr;
        hostContext = HostContext{};
    }

    void SetMetrics(int32_t rowHeight, int32_t scaleFactor) {
        memcpy(metrics.data() + kRowHeightOffset, &rowHeight, sizeof rowHeight);
        memcpy(metrics.data() + kScaleFactorOffset, &scaleFactor, sizeof scaleFactor);
    }

    void SetName(int role, const std::string& path) {
        ASSERT_LT(path.size(), names[role].size());
        names[role].fill('\0');
        memcpy(names[role].data(), path.data(), path.size());
    }

    std::string Path(int role) const { return names[role].data(); }

    void WriteSkins(int width, int height) {
        for (int role = 0; role < SKIN_COUNT; ++role) {
            WriteFileBytes(Path(role), Bmp(width, height, RGB(10 * role, 100, 200)));
        }
    }

    // The plug-in's own module, for its built-in bitmaps.
    void UsePluginResources() {
        plugin = LoadLibraryA(PluginDllPath().c_str());
        ASSERT_NE(plugin, nullptr);
        pluginInstance = plugin;
    }

    void ExpectStretchedToControlSize(int role) {
        SCOPED_TRACE(role);
        const PictureRecord& stretched = skinSet[role].stretched;
        ASSERT_NE(stretched.bitmap, nullptr);
        EXPECT_NE(stretched.bitmap, skinSet[role].source.bitmap);
        const SIZE size = BitmapSize(stretched.bitmap);
        EXPECT_EQ(size.cx, controlWidth);
        EXPECT_EQ(size.cy, controlHeight);
        EXPECT_EQ(stretched.fileName, nullptr);
        EXPECT_EQ(stretched.ownership, PICTURE_HOST_OWNED);
    }

    TempFolder folder;
    std::array<uint8_t, kMetricsMinSize> metrics = {};
    SkinFileNames names = {};
    HMODULE plugin = nullptr;
};

}  // namespace

TEST_F(SkinSetTest, FiveFilesLoadAndAreStretchedToTheControl) {
    WriteSkins(55, 23);
    ASSERT_TRUE(LoadSkinSet(names));

    EXPECT_EQ(controlWidth, 55);
    EXPECT_EQ(controlHeight, 23);
    EXPECT_EQ(cellWidth, 11);
    EXPECT_EQ(cellHeight, 10);
    EXPECT_EQ(pluginState.barHeight, 3);
    for (int role = 0; role < SKIN_COUNT; ++role) {
        SCOPED_TRACE(role);
        const PictureRecord& source = skinSet[role].source;
        EXPECT_EQ(source.kind, PICTURE_BITMAP);
        EXPECT_NE(source.bitmap, nullptr);
        EXPECT_EQ(source.loadFlag, 1);
        EXPECT_EQ(source.ownership, PICTURE_PLUGIN_OWNED);
        ASSERT_NE(source.fileName, nullptr);
        EXPECT_EQ(std::string(source.fileName), Path(role));
        ExpectStretchedToControlSize(role);
    }
    EXPECT_NE(tipFont.font, nullptr);

    std::vector<std::string> expected;
    for (int role = 0; role < SKIN_COUNT; ++role) {
        expected.push_back("malloc|261");
        expected.push_back("LoadImageEx|" + Path(role));
    }
    for (int role = 0; role < SKIN_COUNT; ++role) expected.push_back("StretchSkin|77|55|23");
    expected.push_back("GetFontHandle");
    EXPECT_EQ(CallLogLines(), expected);
}

TEST_F(SkinSetTest, EverySkinTakesTheNormalWidthAndTheScaledRowHeight) {
    SetMetrics(23, 2);
    WriteFileBytes(Path(SKIN_NORMAL), Bmp(60, 23, RGB(1, 2, 3)));
    for (int role = SKIN_MOUSE_OVER; role < SKIN_COUNT; ++role) {
        WriteFileBytes(Path(role), Bmp(30 + role, 10, RGB(4, 5, 6)));
    }
    ASSERT_TRUE(LoadSkinSet(names));
    EXPECT_EQ(controlWidth, 60);
    EXPECT_EQ(controlHeight, 46);
    EXPECT_EQ(pluginState.barHeight, 6);
    EXPECT_EQ(cellWidth, 12);
    EXPECT_EQ(cellHeight, 20);
    for (int role = 0; role < SKIN_COUNT; ++role) ExpectStretchedToControlSize(role);
}

TEST_F(SkinSetTest, MissingNormalSkinFallsBackToTheBuiltins) {
    UsePluginResources();
    SetMetrics(23, 2);
    WriteSkins(55, 23);
    // The longest name the store hands over must reach the loader whole.
    const std::string longName = "C:\\missing\\" + std::string(260 - 15, 'n') + ".bmp";
    ASSERT_EQ(longName.size(), 260u);
    SetName(SKIN_NORMAL, longName);
    pluginState.sideOffset = 4;  // the settings say otherwise; built-ins win
    pluginState.barHeight = 7;

    ASSERT_TRUE(LoadSkinSet(names));

    for (int role = SKIN_NORMAL; role <= SKIN_PRESSED; ++role) {
        SCOPED_TRACE(role);
        const PictureRecord& source = skinSet[role].source;
        EXPECT_EQ(source.kind, PICTURE_BITMAP);
        EXPECT_EQ(source.width, 55);
        EXPECT_EQ(source.height, 23);
        EXPECT_EQ(source.fileName, nullptr);
        ASSERT_NE(source.bitmap, nullptr);
        EXPECT_EQ(BitmapSize(source.bitmap).cx, 55);
        EXPECT_EQ(BitmapSize(source.bitmap).cy, 23);
        ExpectStretchedToControlSize(role);
    }
    for (int role = SKIN_PRESSED_BUTTONS; role < SKIN_COUNT; ++role) {
        SCOPED_TRACE(role);
        EXPECT_FALSE(HasPicture(static_cast<SkinRole>(role)));
        EXPECT_EQ(skinSet[role].source.bitmap, nullptr);
        EXPECT_EQ(skinSet[role].source.fileName, nullptr);
    }
    EXPECT_EQ(pluginState.sideOffset, 0);
    EXPECT_EQ(pluginState.barHeight, 6);  // 3 before scaling
    EXPECT_EQ(controlWidth, 55);
    EXPECT_EQ(controlHeight, 46);

    const std::vector<std::string> log = CallLogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(Count(log, "LoadImageEx|"), 1) << "the user's other skins are not tried";
    EXPECT_EQ(Count(log, "LoadImageEx|" + longName), 1);
    // The failed record's name buffer goes back to the host before reuse.
    EXPECT_EQ(Count(log, "FreePicture|"), 1);
    EXPECT_EQ(Count(log, "StretchSkin|77|55|46"), 5);
}

TEST_F(SkinSetTest, MissingMouseOverSkinLeavesOnlyThatEntryEmpty) {
    WriteSkins(55, 23);
    DeleteFileA(Path(SKIN_MOUSE_OVER).c_str());
    ASSERT_TRUE(LoadSkinSet(names));
    EXPECT_FALSE(HasPicture(SKIN_MOUSE_OVER));
    EXPECT_EQ(skinSet[SKIN_MOUSE_OVER].source.bitmap, nullptr);
    for (SkinRole role : {SKIN_NORMAL, SKIN_PRESSED, SKIN_PRESSED_BUTTONS, SKIN_MOUSE_OVER_PRESSED}) {
        EXPECT_TRUE(HasPicture(role)) << role;
    }
}

TEST_F(SkinSetTest, AnIconAsNormalSkinCannotMakeAControl) {
    WriteSkins(55, 23);
    SetName(SKIN_NORMAL, folder.PathOf("normal.ico"));
    WriteFileBytes(Path(SKIN_NORMAL), IcoFileBytes(16, RGB(255, 0, 0)));
    EXPECT_FALSE(LoadSkinSet(names));
    EXPECT_EQ(skinSet[SKIN_NORMAL].source.kind, PICTURE_UNUSABLE);
    // It did load, so the other skins are tried, and the rest of the work is
    // done all the same.
    EXPECT_NE(skinSet[SKIN_MOUSE_OVER].source.bitmap, nullptr);
    EXPECT_EQ(Count(CallLogLines(), "StretchSkin|"), 5);
    EXPECT_NE(tipFont.font, nullptr);
}

// The bottom-row gap setting reaches the geometry: without it the same
// bar leaves cells 6 pixels high.
TEST_F(SkinSetTest, TallBarWithBottomRowGapLeavesNoRoom) {
    WriteSkins(55, 23);
    pluginState.barHeight = 10;
    pluginState.barOffsetBottomRow = true;
    EXPECT_FALSE(LoadSkinSet(names));
    EXPECT_EQ(cellHeight, 1);
}
