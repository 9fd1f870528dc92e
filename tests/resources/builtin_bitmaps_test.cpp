// The three bitmaps linked into Pelorin.plg, which stand in for the user's
// skins when the normal skin will not load: size and format as the loader
// assumes them, and every colour read pixel by pixel from the raw DIB.
#include "tests/resources/dib_view.h"
#include "tests/resources/plugin_resources.h"
#include "tests/resources/skin_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

enum class DisplaySymbol { None, Pause, Play };

struct BuiltinLook {
    const char* name;
    std::optional<uint32_t> bar;  // none: the bar rows show the background
    uint32_t cross;               // On/Off
    uint32_t transport;           // Play, Pause, Stop
    uint32_t other;               // Vol +, Open, Prev, Next, Vol -
    DisplaySymbol display;
    uint32_t displayColour;
};

const BuiltinLook kLooks[] = {
    {"PELORIN1", std::nullopt, 0xFF7171, 0x617BA3, 0x617BA3, DisplaySymbol::None, 0},
    {"PELORIN2", 0xA0BBCC, 0x800000, 0x36455C, 0x36455C, DisplaySymbol::Pause, 0xFFFF00},
    {"PELORIN3", 0x000000, 0xFF0000, 0x0000FF, 0x000080, DisplaySymbol::Play, 0x00FF00},
};

constexpr int kPlayCell = 1, kPauseCell = 2;

DibView Builtin(const BuiltinLook& look) {
    ResourceBytes raw = FindPluginResource(look.name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    std::optional<DibView> dib = ParseDib(raw.data, raw.size);
    if (!dib) ADD_FAILURE() << look.name << " is missing or not a 24/32-bit DIB";
    return dib.value_or(DibView{});
}

uint32_t ExpectedInk(const BuiltinLook& look, int cell) {
    if (cell == 0) return look.cross;
    if (cell >= 1 && cell <= 3) return look.transport;
    if (cell == kDisplayCell) return look.displayColour;
    return look.other;
}

}  // namespace

TEST(BuiltinBitmaps, Are55By23TwentyFourBitBottomUpDibs) {
    ASSERT_NE(PluginResources(), nullptr) << "Plugins\\Pelorin.plg not found";
    for (const BuiltinLook& look : kLooks) {
        SCOPED_TRACE(look.name);
        DibView dib = Builtin(look);
        EXPECT_EQ(dib.width, kSkinWidth);
        EXPECT_EQ(dib.height, kSkinHeight);  // positive: bottom-up
        EXPECT_EQ(dib.bitCount, 24);
        EXPECT_EQ(dib.compression, static_cast<uint32_t>(BI_RGB));

        // The way the plug-in itself loads them.
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(PluginResources(), look.name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        GetObjectA(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, kSkinWidth);
        EXPECT_EQ(info.bmHeight, kSkinHeight);
        DeleteObject(bitmap);
    }
}

TEST(BuiltinBitmaps, BackgroundFollowsTheGradientUnderTheBarColours) {
    for (const BuiltinLook& look : kLooks) {
        SCOPED_TRACE(look.name);
        DibView dib = Builtin(look);
        ASSERT_NE(dib.bits, nullptr);
        for (int y = 0; y < kSkinHeight; ++y) {
            uint32_t expected = (y < 2 && look.bar) ? *look.bar : kGradient[y];
            // Above the cells the whole row is background; within them the
            // outer columns of every cell are, the symbols being small.
            for (int x = 0; x < kSkinWidth; ++x) {
                bool cellEdge = x % kCellWidth == 0 || x % kCellWidth == kCellWidth - 1;
                if (y >= 3 && !cellEdge) continue;
                ASSERT_EQ(dib.Pixel(x, y), expected) << "x " << x << ", y " << y;
            }
        }
    }
}

TEST(BuiltinBitmaps, EverySymbolIsSmallAndNearItsCellCentre) {
    for (const BuiltinLook& look : kLooks) {
        DibView dib = Builtin(look);
        ASSERT_NE(dib.bits, nullptr);
        for (int cell = 0; cell < 10; ++cell) {
            SCOPED_TRACE(std::string(look.name) + " cell " + std::to_string(cell));
            std::vector<Ink> ink = InkInCell(dib, cell);
            if (cell == kDisplayCell && look.display == DisplaySymbol::None) {
                EXPECT_TRUE(ink.empty());
                continue;
            }
            ASSERT_FALSE(ink.empty());
            auto [minX, maxX] = std::minmax_element(ink.begin(), ink.end(),
                [](const Ink& a, const Ink& b) { return a.x < b.x; });
            auto [minY, maxY] = std::minmax_element(ink.begin(), ink.end(),
                [](const Ink& a, const Ink& b) { return a.y < b.y; });
            EXPECT_LE(maxX->x - minX->x + 1, 6);
            EXPECT_LE(maxY->y - minY->y + 1, 6);
            EXPECT_NEAR((minX->x + maxX->x) / 2.0, (kCellWidth - 1) / 2.0, 1.0);
            EXPECT_NEAR((minY->y + maxY->y) / 2.0, (kCellHeight - 1) / 2.0, 1.5);
        }
    }
}

TEST(BuiltinBitmaps, SymbolsHaveTheirPicturesColours) {
    for (const BuiltinLook& look : kLooks) {
        DibView dib = Builtin(look);
        ASSERT_NE(dib.bits, nullptr);
        for (int cell = 0; cell < 10; ++cell) {
            SCOPED_TRACE(std::string(look.name) + " cell " + std::to_string(cell));
            for (const Ink& p : InkInCell(dib, cell))
                ASSERT_EQ(p.colour, ExpectedInk(look, cell)) << "at " << p.x << "," << p.y;
        }
    }
}

TEST(BuiltinBitmaps, PlayPauseAndDisplayCellsHoldTheirSymbols) {
    for (const BuiltinLook& look : kLooks) {
        SCOPED_TRACE(look.name);
        DibView dib = Builtin(look);
        ASSERT_NE(dib.bits, nullptr);
        EXPECT_TRUE(LooksLikePlay(InkInCell(dib, kPlayCell)));
        EXPECT_TRUE(LooksLikePause(InkInCell(dib, kPauseCell)));
        std::vector<Ink> display = InkInCell(dib, kDisplayCell);
        switch (look.display) {
        case DisplaySymbol::None: EXPECT_TRUE(display.empty()); break;
        case DisplaySymbol::Pause: EXPECT_TRUE(LooksLikePause(display)); break;
        case DisplaySymbol::Play: EXPECT_TRUE(LooksLikePlay(display)); break;
        }
    }
}
