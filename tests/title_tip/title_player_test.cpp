// The title tip reading the stand-in player: a caption the player scrolls
// gives one title and one pop-up, and a title the code page cannot hold is
// shown in its own characters.
#include "plugin/state/plugin_state.h"
#include "skin/skin_set.h"
#include "tests/support/timer_recorder.h"
#include "tests/title_tip/title_tip_fixture.h"
#include "testbed/player/player_sim_client.h"
#include "titletip/title_tip.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

class TitleTipPlayerTest : public TitleTipTest {
protected:
    void TearDown() override {
        StopPlayerSim(&sim);
        TitleTipTest::TearDown();
    }

    void StartPlayer(const PlayerSimOptions& options) {
        sim = StartPlayerSim(options);
        ASSERT_TRUE(sim.window) << sim.failure;
        pluginState.playerWindow = sim.window;
    }

    std::string PlayerCaption() {
        char caption[300] = {};
        GetWindowTextA(sim.window, caption, sizeof caption);
        return caption;
    }

    PlayerSimProcess sim;
};

using ScrollingCaption = TitleTipPlayerTest;
using WideTitle = TitleTipPlayerTest;

TEST_F(ScrollingCaption, EveryRotationGivesOneTitleAndOnePopUp) {
    PlayerSimOptions options;
    options.playlist = {{"Artist - Title", 200}};
    options.scrollMs = 30;
    StartPlayer(options);
    const size_t rotations = std::string("1. Artist - Title - Winamp *** ").size();

    TimerRecorder timers;
    ASSERT_TRUE(timers.active());
    std::set<std::string> captionsRead;
    std::set<std::string> titlesShown;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string before = PlayerCaption();
            UpdateTitleTip();
            // Only a caption that stood still across the refresh is the one it read.
            if (PlayerCaption() == before) captionsRead.insert(before);
            titlesShown.insert(shownTitle);
            return captionsRead.size() == rotations;
        },
        20000))
        << captionsRead.size() << " of " << rotations << " rotations seen";

    EXPECT_EQ(titlesShown, std::set<std::string>{"1. Artist - Title"});
    int popUps = 0;
    for (const TimerStart& start : timers.starts())
        if (start.id == TIMER_TITLE_TIP && start.elapse == TITLE_TIP_CHANGE_MS) ++popUps;
    EXPECT_EQ(popUps, 1);
}

// A title the system's code page cannot hold: Cyrillic on a Western system,
// accented Latin on a Cyrillic one (the Russian-locale run).
struct ForeignTitle {
    const char* captionUtf8;
    const wchar_t* title;
};

ForeignTitle ForeignTitleForThisSystem() {
    if (GetACP() == 1251) return {"1. Café Noir - Déjà vu - Winamp", L"1. Café Noir - Déjà vu"};
    return {"1. Кино - Группа крови - Winamp", L"1. Кино - Группа крови"};
}

// Pixels of a text area, as a row-major list.
std::vector<COLORREF> Pixels(HDC dc, const RECT& area) {
    std::vector<COLORREF> pixels;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    return pixels;
}

// The tip shows the title in a font that has all its glyphs and the tip
// font's line height, as wide as that text, and paints exactly what this
// test draws of the same text: no boxes, no question marks.
void ExpectDrawnInItsOwnCharacters(HWND tip, const wchar_t* title) {
    ASSERT_STREQ(shownWideTitle, title);
    HDC screen = GetDC(nullptr);
    const HFONT drawing = wideTitleFont ? wideTitleFont : tipFont.font;
    HGDIOBJ old = SelectObject(screen, drawing);
    std::vector<WORD> glyphs(wcslen(title));
    GetGlyphIndicesW(screen, title, static_cast<int>(glyphs.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    for (size_t i = 0; i < glyphs.size(); ++i) EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph for character " << i;
    RECT text = {};
    DrawTextW(screen, title, -1, &text, DT_CALCRECT | DT_VCENTER | DT_CENTER);
    SelectObject(screen, tipFont.font);
    RECT asciiLine = {};
    DrawTextA(screen, "Xy", -1, &asciiLine, DT_CALCRECT | DT_VCENTER | DT_CENTER);
    SelectObject(screen, old);
    EXPECT_EQ(titleTipWidth, text.right + 23);
    EXPECT_EQ(titleTipHeight, asciiLine.bottom + 5);

    const int w = titleTipWidth;
    const int h = titleTipHeight;
    HDC tipDc = CreateCompatibleDC(screen);
    HBITMAP tipBitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldTip = SelectObject(tipDc, tipBitmap);
    PaintTitleTip(tipDc, tip);

    HDC ownDc = CreateCompatibleDC(screen);
    HBITMAP ownBitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldOwn = SelectObject(ownDc, ownBitmap);
    RECT all = {0, 0, w, h};
    HBRUSH fill = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
    FillRect(ownDc, &all, fill);
    DeleteObject(fill);
    RECT textRect = {titleIconSize + 5, 2, w, h};
    HGDIOBJ oldFont = SelectObject(ownDc, drawing);
    SetBkMode(ownDc, TRANSPARENT);
    SetTextColor(ownDc, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(ownDc, title, -1, &textRect, DT_VCENTER | DT_SINGLELINE);
    SelectObject(ownDc, oldFont);

    const RECT textArea = {titleIconSize + 5, 1, w - 1, h - 1};
    EXPECT_TRUE(Pixels(tipDc, textArea) == Pixels(ownDc, textArea));

    SelectObject(ownDc, oldOwn);
    DeleteObject(ownBitmap);
    DeleteDC(ownDc);
    SelectObject(tipDc, oldTip);
    DeleteObject(tipBitmap);
    DeleteDC(tipDc);
    ReleaseDC(nullptr, screen);
}

TEST_F(WideTitle, IsDrawnInItsOwnCharactersInTheHostsTipFont) {
    if (const char* expected = std::getenv("PELORIN_EXPECT_CODE_PAGE")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    const ForeignTitle foreign = ForeignTitleForThisSystem();
    // The host's tip font: the fallback's look, as GetFontHandle makes it.
    LOGFONTA look = {};
    GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof look, &look);
    UseFont(CreateFontIndirectA(&look));
    PlayerSimOptions options;
    options.utf8Caption = foreign.captionUtf8;
    StartPlayer(options);
    UpdateTitleTip();
    ExpectDrawnInItsOwnCharacters(tip, foreign.title);
}

TEST_F(WideTitle, ATipFontWithoutTheScriptGetsAStandInOfItsHeight) {
    const wchar_t* title = L"1. Кино - Группа крови";
    // A face with Latin and Greek but no Cyrillic.
    UseFont(CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Math TeX Gyre"));
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, tipFont.font);
    WORD glyph = 0;
    GetGlyphIndicesW(screen, L"К", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(glyph, 0xFFFF) << "the tip font was meant to lack Cyrillic";

    PlayerSimOptions options;
    options.utf8Caption = "1. Кино - Группа крови - Winamp";
    StartPlayer(options);
    UpdateTitleTip();
    EXPECT_NE(wideTitleFont, nullptr);
    ExpectDrawnInItsOwnCharacters(tip, title);
}

}  // namespace
