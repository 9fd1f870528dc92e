// GetPluginInfo: the static descriptor the host reads at any time.
#include "plugin/descriptor.h"

#include "plugin/about_text.h"
#include "plugin/exports.h"
#include "plugin/state/language.h"

namespace {
PluginInfo pluginInfo = {};
}

const char* AboutText() {
    return uiLanguage == Language::Russian ? kAboutRussian : kAboutEnglish;
}

extern "C" PluginInfo* __stdcall GetPluginInfo(void) {
    pluginInfo.size = sizeof(PluginInfo);
    pluginInfo.name = kPluginName;
    pluginInfo.name2 = kPluginName;
    pluginInfo.about = AboutText();
    return &pluginInfo;
}
