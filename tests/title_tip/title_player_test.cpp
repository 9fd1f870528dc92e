// The title tip reading the stand-in player: a caption the player scrolls
// gives one title and one pop-up, and a title the code page cannot hold is
// shown in its own characters.
#include "plugin/state/plugin_state.h"
#include "skin/skin_set.h"
#include "tests/support/timer_recorder.h"
#include "tests/title_tip/title_tip_fixture.h"
#include "testbed/player/player_sim_client.h"
#include "titletip/title_tip.h"

#include <cstdlib>
#include <functional>
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

    void ExpectDrawnInItsOwnCharacters(const char* captionUtf8, const wchar_t* title);

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
    auto caption = [&] {
        char text[300] = {};
        GetWindowTextA(sim.window, text, sizeof text);
        return std::string(text);
    };

    TimerRecorder timers;
    std::set<std::string> captionsRead, titlesShown;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::string before = caption();
            UpdateTitleTip();
            // Only a caption that stood still across the refresh is the one it read.
            if (caption() == before) captionsRead.insert(before);
            titlesShown.insert(shownTitle);
            return captionsRead.size() == rotations;
        },
        20000));
    EXPECT_EQ(titlesShown, std::set<std::string>{"1. Artist - Title"});
    int popUps = 0;
    for (const TimerStart& start : timers.starts()) popUps += start.elapse == TITLE_TIP_CHANGE_MS;
    EXPECT_EQ(popUps, 1);
}

// The pixels right of `left` inside a one-pixel frame of what draw paints.
std::vector<COLORREF> Render(int w, int h, int left, const std::function<void(HDC)>& draw) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    std::vector<COLORREF> pixels;
    for (int y = 1; y < h - 1; ++y)
        for (int x = left; x < w - 1; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Shows the title as the player's UTF-8 caption holds it, then expects it
// drawn in a font with all its glyphs and the tip font's line height, the
// tip as wide as the text, and exactly the pixels of the same text drawn
// here: no boxes, no question marks.
void TitleTipPlayerTest::ExpectDrawnInItsOwnCharacters(const char* captionUtf8, const wchar_t* title) {
    PlayerSimOptions options;
    options.utf8Caption = captionUtf8;
    ASSERT_NO_FATAL_FAILURE(StartPlayer(options));
    UpdateTitleTip();
    ASSERT_STREQ(shownWideTitle, title);

    const HFONT font = wideTitleFont ? wideTitleFont : tipFont.font;
    RECT text = {}, line = {};
    std::vector<WORD> glyphs(wcslen(title));
    Render(1, 1, 0, [&](HDC dc) {
        SelectObject(dc, font);
        GetGlyphIndicesW(dc, title, static_cast<int>(glyphs.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        DrawTextW(dc, title, -1, &text, DT_CALCRECT | DT_VCENTER | DT_CENTER);
        SelectObject(dc, tipFont.font);
        DrawTextA(dc, "Xy", -1, &line, DT_CALCRECT | DT_VCENTER | DT_CENTER);
    });
    for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF);
    EXPECT_EQ(titleTipWidth, text.right + 23);
    EXPECT_EQ(titleTipHeight, line.bottom + 5);

    const int w = titleTipWidth, h = titleTipHeight, left = titleIconSize + 5;
    const auto painted = Render(w, h, left, [&](HDC dc) { PaintTitleTip(dc, tip); });
    const auto expected = Render(w, h, left, [&](HDC dc) {
        RECT all = {0, 0, w, h}, textRect = {left, 2, w, h};
        FillRect(dc, &all, GetSysColorBrush(COLOR_INFOBK));
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        DrawTextW(dc, title, -1, &textRect, DT_VCENTER | DT_SINGLELINE);
    });
    EXPECT_TRUE(painted == expected);
}

// Cyrillic on a Western system; accented Latin, which best fit would turn
// into plain letters, on a Cyrillic one (the Russian-locale run).
TEST_F(WideTitle, IsDrawnInItsOwnCharactersInTheHostsTipFont) {
    if (const char* codePage = std::getenv("PELORIN_EXPECT_CODE_PAGE")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(codePage)));
    }
    LOGFONTA look = {};  // the host's tip font: the fallback's look
    GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof look, &look);
    UseFont(CreateFontIndirectA(&look));
    if (GetACP() == 1251)
        ExpectDrawnInItsOwnCharacters("1. Café Noir - Déjà vu - Winamp", L"1. Café Noir - Déjà vu");
    else
        ExpectDrawnInItsOwnCharacters("1. Кино - Группа крови - Winamp", L"1. Кино - Группа крови");
}

TEST_F(WideTitle, ATipFontWithoutTheScriptGetsAStandInOfItsHeight) {
    // Latin and Greek, no Cyrillic.
    UseFont(CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Math TeX Gyre"));
    ExpectDrawnInItsOwnCharacters("1. Кино - Winamp", L"1. Кино");
    EXPECT_NE(wideTitleFont, nullptr);
}

}  // namespace
