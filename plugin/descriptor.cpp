// GetPluginInfo: the static descriptor the host reads at any time.
#include "plugin/descriptor.h"

#include "plugin/about_text.h"
#include "plugin/exports.h"
#include "plugin/setup_fields.h"
#include "plugin/state/language.h"

namespace {
PluginInfo pluginInfo = {};
}

const char* AboutText() {
    return uiLanguage == Language::Russian ? kAboutRussian : kAboutEnglish;
}

extern "C" PluginInfo* __stdcall GetPluginInfo(void) {
    ApplySetupLanguage(uiLanguage);
    pluginInfo.size = sizeof(PluginInfo);
    pluginInfo.name = kPluginName;
    pluginInfo.about = AboutText();
    pluginInfo.name2 = kPluginName;
    pluginInfo.fieldCount = kSetupFieldCount;
    pluginInfo.fields = setupFields.data();
    LinkPositionChoices();
    return &pluginInfo;
}
