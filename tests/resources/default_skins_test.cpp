// The default skin set in the plug-in folder, where the host looks for
// "Plugins\Pelorin1.bmp" to "Plugins\Pelorin5.bmp": five loadable pictures
// of one layout whose cells give each role a look of its own.
#include "tests/resources/dib_view.h"
#include "tests/resources/skin_layout.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

struct SkinFile {
    std::vector<uint8_t> bytes;  // owns what view points into
    std::optional<DibView> view;
};

std::string SkinPath(int n) { return "Plugins\\Pelorin" + std::to_string(n) + ".bmp"; }

SkinFile LoadSkin(int n) {
    SkinFile skin;
    skin.bytes = ReadWholeFile(SkinPath(n));
    skin.view = ParseBmpFile(skin.bytes);
    return skin;
}

bool CellsDiffer(const DibView& a, const DibView& b, int cell) {
    CellBox box = CellAt(cell);
    for (int y = 0; y < kCellHeight; ++y)
        for (int x = 0; x < kCellWidth; ++x)
            if (a.Pixel(box.left + x, box.top + y) != b.Pixel(box.left + x, box.top + y))
                return true;
    return false;
}

constexpr int kPressedButtons = 4, kMouseOverPressed = 5;
constexpr std::array<int, 9> kButtonCells = {0, 1, 2, 3, 4, 6, 7, 8, 9};

}  // namespace

TEST(DefaultSkins, AllFiveAre55By23PicturesTheHostCanLoad) {
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(SkinPath(n));
        SkinFile skin = LoadSkin(n);
        ASSERT_TRUE(skin.view.has_value()) << "missing or not a BMP file";
        EXPECT_EQ(skin.view->width, kSkinWidth);
        EXPECT_EQ(skin.view->height, kSkinHeight);
        EXPECT_EQ(skin.view->bitCount, 24);

        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, SkinPath(n).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        GetObjectA(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, kSkinWidth);
        EXPECT_EQ(info.bmHeight, kSkinHeight);
        DeleteObject(bitmap);
    }
}

TEST(DefaultSkins, MouseOverAndPressedCarryTheBlinkSymbols) {
    SkinFile normal = LoadSkin(1), mouseOver = LoadSkin(2), pressed = LoadSkin(3);
    ASSERT_TRUE(normal.view && mouseOver.view && pressed.view);
    EXPECT_TRUE(InkInCell(*normal.view, kDisplayCell).empty());
    EXPECT_TRUE(LooksLikePause(InkInCell(*mouseOver.view, kDisplayCell)));
    EXPECT_TRUE(LooksLikePlay(InkInCell(*pressed.view, kDisplayCell)));
}

TEST(DefaultSkins, PressedButtonsSinkEveryButtonAndMouseOverLightsThem) {
    SkinFile normal = LoadSkin(1), down = LoadSkin(kPressedButtons),
             lit = LoadSkin(kMouseOverPressed);
    ASSERT_TRUE(normal.view && down.view && lit.view);
    for (int cell : kButtonCells) {
        SCOPED_TRACE("cell " + std::to_string(cell));
        EXPECT_TRUE(CellsDiffer(*normal.view, *down.view, cell));
        EXPECT_TRUE(CellsDiffer(*down.view, *lit.view, cell));
        double normalLight = CellBrightness(*normal.view, cell);
        double downLight = CellBrightness(*down.view, cell);
        double litLight = CellBrightness(*lit.view, cell);
        EXPECT_LT(downLight, normalLight);  // a button pushed in is in shadow
        EXPECT_GT(litLight, downLight);     // and the pointer over it lights it
    }
}
