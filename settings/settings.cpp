// The read pass over the host's configuration store, the start-up entry that
// follows it with the skins, and the "Hide on Minimize" write-back.
#include "settings/settings.h"

#include "host/host_abi.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "settings/setting_keys.h"
#include "skin/skin_set.h"

namespace {

static_assert(kPlayerPathSize == kSettingBufferSize, "playerPath is read like any other text setting");

char* TextBufferFor(TextTarget target, SkinFileNames& skinFiles) {
    if (target == TextTarget::PlayerPath) return playerPath;
    return skinFiles[SkinIndexOf(target)].data();
}

void ReadOne(const SettingKey& setting, SkinFileNames& skinFiles, ConfigCursor* cursor) {
    switch (setting.type) {
        case SettingType::Integer: {
            int32_t& field = pluginState.*setting.integerField;
            field = GetCFGInt(setting.key, setting.defaultValue, cursor);
            CheckInt(&field, setting.low, setting.high, setting.low);
            break;
        }
        case SettingType::Boolean:
            pluginState.*setting.booleanField = GetCFGBool(setting.key, BooleanDefaultForStore(setting), cursor) != 0;
            break;
        case SettingType::Text: {
            char* buffer = TextBufferFor(setting.textTarget, skinFiles);
            GetCFGString(setting.key, setting.defaultText, buffer, kSettingTextMax, cursor);
            // The store promises to stop at the maximum; the terminator makes
            // sure of it whatever the store wrote.
            buffer[kSettingTextMax] = '\0';
            break;
        }
    }
}

}  // namespace

void ReadSettings(SkinFileNames& skinFiles) {
    ConfigCursor cursor = {};
    OpenCFGr(hostContext.configId, &cursor);
    FindSection(kSettingsSection, 0, &cursor);
    for (const SettingKey& setting : kSettingKeys) ReadOne(setting, skinFiles, &cursor);
    CloseCFGr(&cursor);
}

bool LoadSettingsAndSkins() {
    SkinFileNames skinFiles = {};
    ReadSettings(skinFiles);
    return LoadSkinSet(skinFiles);
}

void ToggleHideOnMinimize() {
    pluginState.hideOnMinimize = !pluginState.hideOnMinimize;
    ConfigCursor cursor = {};
    OpenCFGw(hostContext.configId, &cursor);
    FindSection(kSettingsSection, 0, &cursor);
    SetCFGInt(kSettingKeys[SETTING_HIDE_ON_MINIMIZE].key, pluginState.hideOnMinimize ? 1 : 0, &cursor);
    CloseCFGw(hostContext.configId, CFG_CLOSE_FLUSH, &cursor);
}
