// MirelEx.dll's MDrawText: colour order, transparency, the single-line
// flag, and the caller's DC left as it was.
#include "host/host_abi.h"
#include "tests/standin_host/test_canvas.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

HFONT CreateSharpFont() {
    return CreateFontA(40, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Tahoma");
}

// The first row, from the top, with a pixel of the colour; -1 if none.
int FirstRowWith(const Canvas& canvas, int width, int height, COLORREF colour) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (canvas.At(x, y) == colour) return y;
        }
    }
    return -1;
}

}  // namespace

TEST(MDrawText, DrawsInTheColourGivenAsRedGreenBlue) {
    const HFONT font = CreateSharpFont();
    const Canvas canvas(200, 60, kWhite);
    RECT area = {0, 0, 200, 60};
    MDrawText(canvas.dc(), "WMW", &area, font, DT_LEFT, 0x00FF0000, 0, 0);
    EXPECT_GT(canvas.Count(RGB(255, 0, 0)), 50) << "0x00FF0000 is red";
    EXPECT_EQ(canvas.Count(RGB(0, 0, 255)), 0);
    DeleteObject(font);
}

TEST(MDrawText, LeavesTheBackgroundAndTheDcAsTheyWere) {
    const HFONT font = CreateSharpFont();
    const Canvas canvas(200, 60, kWhite);
    const HGDIOBJ fontBefore = GetCurrentObject(canvas.dc(), OBJ_FONT);
    SetBkColor(canvas.dc(), kBlack);
    SetBkMode(canvas.dc(), OPAQUE);
    SetTextColor(canvas.dc(), RGB(1, 2, 3));
    RECT area = {0, 0, 200, 60};
    MDrawText(canvas.dc(), "WMW", &area, font, DT_LEFT, 0x000000FF, 0, 0);
    EXPECT_GT(canvas.Count(RGB(0, 0, 255)), 50);
    EXPECT_EQ(canvas.Count(kBlack), 0) << "the text's background is not filled";
    EXPECT_EQ(GetBkMode(canvas.dc()), OPAQUE);
    EXPECT_EQ(GetTextColor(canvas.dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_FONT), fontBefore);
    DeleteObject(font);
}

TEST(MDrawText, CentresVerticallyAsOneLine) {
    const HFONT font = CreateSharpFont();
    const Canvas top(200, 120, kWhite);
    const Canvas centred(200, 120, kWhite);
    RECT area = {0, 0, 200, 120};
    MDrawText(top.dc(), "WMW", &area, font, DT_TOP, 0x00FF0000, 0, 0);
    // DT_VCENTER (4), what the plug-in passes, works only with DT_SINGLELINE.
    MDrawText(centred.dc(), "WMW", &area, font, DT_VCENTER, 0x00FF0000, 0, 0);
    const int topRow = FirstRowWith(top, 200, 120, RGB(255, 0, 0));
    const int centredRow = FirstRowWith(centred, 200, 120, RGB(255, 0, 0));
    ASSERT_GE(topRow, 0);
    EXPECT_GT(centredRow, topRow + 20);
    DeleteObject(font);
}

TEST(MDrawText, IgnoresMissingArgumentsAndNeverWritesIntoTheText) {
    const Canvas canvas(50, 20, kWhite);
    RECT area = {0, 0, 50, 20};
    MDrawText(nullptr, "x", &area, nullptr, 0, 0, 0, 0);
    MDrawText(canvas.dc(), nullptr, &area, nullptr, 0, 0, 0, 0);
    MDrawText(canvas.dc(), "x", nullptr, nullptr, 0, 0, 0, 0);
    EXPECT_EQ(canvas.Count(kWhite), 50 * 20);
    // A literal lives in read-only memory: DT_MODIFYSTRING must not touch it.
    static const char kLong[] = "a rather long title that cannot fit";
    MDrawText(canvas.dc(), kLong, &area, nullptr, DT_END_ELLIPSIS | DT_MODIFYSTRING, 0, 0, 0);
    EXPECT_STREQ(kLong, "a rather long title that cannot fit");
    EXPECT_LT(canvas.Count(kWhite), 50 * 20);
}
