// The user-interface language, fixed once at library load from the system's
// default locale. Russian texts are stored as code page 1251 bytes.
#pragma once

#include <windows.h>

enum class Language { English, Russian };

constexpr LCID kRussianLcid = 1049;

// Only 1049 exactly selects Russian; other Russian locales (2073) do not.
constexpr Language LanguageForLcid(LCID lcid) {
    return lcid == kRussianLcid ? Language::Russian : Language::English;
}

// One text in both languages.
struct LocalText {
    const char* english;
    const char* russian;
};

constexpr const char* TextIn(Language language, LocalText text) {
    return language == Language::Russian ? text.russian : text.english;
}

extern Language uiLanguage;

// Library load: reads the system locale and fixes uiLanguage.
void ChooseLanguage(LCID lcid);
