// The state record as the library starts, and the language choice.
#include "plugin/about_text.h"
#include "plugin/state/language.h"
#include "plugin/state/plugin_state.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

TEST(PluginStateAtLoad, HoldsTheStartingValues) {
    const PluginState& s = pluginState;
    EXPECT_EQ(s.playerStatus, PLAYER_NOT_RUNNING);
    EXPECT_EQ(s.drawnPlayerStatus, PLAYER_NOT_RUNNING);
    EXPECT_EQ(s.hotItem, HOT_NONE);
    EXPECT_EQ(s.drawnHotItem, HOT_NONE);
    EXPECT_EQ(s.pendingCommand, HOT_NONE);
    EXPECT_TRUE(s.startupPending);
    EXPECT_EQ(s.volumeSteps, 5);
    EXPECT_EQ(s.priorityPosition, 5);
    EXPECT_EQ(s.barHeight, 3);
    EXPECT_EQ(s.sideOffset, 1);
    EXPECT_TRUE(s.songTitleTip);
    EXPECT_TRUE(s.runMinimized);
    EXPECT_TRUE(s.borderOnMouseOver);
    EXPECT_TRUE(s.showPressedButtons);
    EXPECT_FALSE(s.buttonTips);
    EXPECT_FALSE(s.runAtStartup);
    for (HWND window : {s.controlWindow, s.titleTipWindow, s.playerWindow}) EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(s.commandBusy);
    EXPECT_EQ(s.launchThread, nullptr);
    for (UINT_PTR timer : {s.hoverTimer, s.pollTimer, s.startupTimer, s.launchWatchdogTimer, s.titleTipTimer,
                           s.titleRefreshTimer})
        EXPECT_EQ(timer, 0u);
}

TEST(Language, OnlyLocale1049SelectsRussian) {
    EXPECT_EQ(LanguageForLcid(1049), Language::Russian);
    EXPECT_EQ(LanguageForLcid(2073), Language::English) << "Russian (Moldova) keeps English";
    EXPECT_EQ(LanguageForLcid(1033), Language::English);
    EXPECT_EQ(LanguageForLcid(0), Language::English);

    ChooseLanguage(1049);
    EXPECT_EQ(systemLcid, 1049u);
    EXPECT_EQ(uiLanguage, Language::Russian);
    ChooseLanguage(2073);
    EXPECT_EQ(uiLanguage, Language::English);
    ChooseLanguage(1033);
    EXPECT_EQ(uiLanguage, Language::English);
}

// Decodes code page 1251 with the system's own tables, independent of how
// the sources spell the bytes.
std::wstring From1251(const char* text) {
    wchar_t wide[4096] = {};
    MultiByteToWideChar(1251, 0, text, -1, wide, 4096);
    return wide;
}

TEST(RussianTexts, AreStoredAsCodePage1251) {
    const std::wstring about = From1251(kAboutRussian);
    EXPECT_NE(about.find(L"ОПИСАНИЕ:"), std::wstring::npos);
    EXPECT_NE(about.find(L"ПОРЯДОК КНОПОК:"), std::wstring::npos);
    EXPECT_NE(about.find(L"\t\t----------- Полоса позиции ----------"), std::wstring::npos);
    EXPECT_NE(about.find(L"\tВк/Вык\tВоспр.\tПауза\tСтоп\tГром.+\r\n"), std::wstring::npos);
    EXPECT_NE(about.find(L"\tДисплей\tОткр.\tПред.\tСлед.\tГром.-\r\n"), std::wstring::npos);
    // Single bytes throughout: no UTF-8 lead bytes slipped in.
    EXPECT_EQ(std::strstr(kAboutRussian, "\xD0\x9E"), nullptr);
}

TEST(AboutText, KeepsItsFixedLinesInBothLanguages) {
    const std::string english = kAboutEnglish;
    const std::string rule(65, '-');
    for (const char* line : {"DESCRIPTION:", "BUTTONS ORDER:", "\t\t----------- Position Bar ----------",
                             "\tOn/Off\tPlay\tPause\tStop\tVol+", "\tDisplay\tLoad\tPrevious\tNext\tVol-",
                             "If Winamp is running On/Off button show Pressed state.",
                             "Mouse Over Skin must have a PAUSE symbol in Display area",
                             "that will be show blinking if Winamp is paused.",
                             "And Pressed Skin must have a PLAY symbol in Display area",
                             "that will be show blinking if Winamp is playing."})
        EXPECT_NE(english.find(std::string(line) + "\r\n"), std::string::npos) << line;
    EXPECT_EQ(english.rfind("Pelorin 1.2\r\n", 0), 0u);
    EXPECT_NE(english.find("DESCRIPTION:\r\n" + rule + "\r\n"), std::string::npos);
    EXPECT_NE(english.find("BUTTONS ORDER:\r\n" + rule + "\r\n"), std::string::npos);
    EXPECT_EQ(std::string(kAboutRussian).rfind("Pelorin 1.2\r\n", 0), 0u);
    // Lines end in CR LF and never in a lone LF.
    for (size_t at = english.find('\n'); at != std::string::npos; at = english.find('\n', at + 1))
        EXPECT_EQ(english[at - 1], '\r');
}
