// The language chosen at library load.
#include "plugin/state/language.h"

#include "plugin/state/plugin_state.h"

Language uiLanguage = Language::English;

void ChooseLanguage(LCID lcid) {
    systemLcid = lcid;
    uiLanguage = LanguageForLcid(lcid);
}
