// The one table of the plug-in's settings: every key of section "Pelorin"
// with its type, default, bounds and where its value goes, in the order the
// store is read. The read pass and the setup page both draw from it, so the
// two cannot disagree about a key, a default or a range.
#pragma once

#include "plugin/state/plugin_state.h"

#include <array>
#include <cstddef>
#include <cstdint>

enum class SettingType { Integer, Boolean, Text };

// Where a text setting is read into: the player path, or one of the five
// skin file names (in skin role order) that the skin loader takes over.
enum class TextTarget {
    None,
    PlayerPath,
    NormalSkin,
    MouseOverSkin,
    PressedSkin,
    PressedButtonsSkin,
    MouseOverPressedSkin
};

struct SettingKey {
    const char* key;
    SettingType type;
    int32_t defaultValue;      // integer default, or 1 / 0 for a boolean
    const char* defaultText;   // text settings only
    int32_t low;               // integer settings only; also CheckInt's fallback
    int32_t high;
    int32_t PluginState::*integerField;
    bool PluginState::*booleanField;
    TextTarget textTarget;
};

constexpr SettingKey IntegerSetting(const char* key, int32_t defaultValue, int32_t low, int32_t high,
                                    int32_t PluginState::*field) {
    return SettingKey{key, SettingType::Integer, defaultValue, nullptr, low, high, field, nullptr,
                      TextTarget::None};
}

constexpr SettingKey BooleanSetting(const char* key, bool defaultValue, bool PluginState::*field) {
    return SettingKey{key,     SettingType::Boolean, defaultValue ? 1 : 0, nullptr, 0, 0,
                      nullptr, field,                TextTarget::None};
}

constexpr SettingKey TextSetting(const char* key, const char* defaultText, TextTarget target) {
    return SettingKey{key, SettingType::Text, 0, defaultText, 0, 0, nullptr, nullptr, target};
}

// Indexes into kSettingKeys, in its order.
enum SettingId {
    SETTING_POSITION,
    SETTING_PRIORITY_POSITION,
    SETTING_BUTTONS_TIPS,
    SETTING_SONG_TITLE_TIP,
    SETTING_WINAMP_PATH,
    SETTING_RUN_AT_STARTUP,
    SETTING_RUN_MINIMIZED,
    SETTING_HIDE_ON_MINIMIZE,
    SETTING_VOLUME_STEPS,
    SETTING_NORMAL_SKIN,
    SETTING_MOUSE_OVER_SKIN,
    SETTING_PRESSED_SKIN,
    SETTING_PRESSED_BUTTONS_SKIN,
    SETTING_MOUSE_OVER_PRESSED_SKIN,
    SETTING_SIDE_OFFSET,
    SETTING_BAR_OFFSET_BOTTOM_ROW,
    SETTING_BAR_HEIGHT,
    SETTING_BORDER_ON_MOUSE_OVER,
    SETTING_SHOW_PRESSED_BUTTONS,
    SETTING_COUNT
};

constexpr std::array<SettingKey, SETTING_COUNT> kSettingKeys = {{
    IntegerSetting("Position", 0, 0, 1, &PluginState::position),
    IntegerSetting("Priority Position", 5, 0, 10, &PluginState::priorityPosition),
    BooleanSetting("Buttons tips", false, &PluginState::buttonTips),
    BooleanSetting("Song Title tip", true, &PluginState::songTitleTip),
    TextSetting("Winamp Path", "", TextTarget::PlayerPath),
    BooleanSetting("Run at Startup", false, &PluginState::runAtStartup),
    BooleanSetting("Run Minimized", true, &PluginState::runMinimized),
    BooleanSetting("Hide on Minimize", false, &PluginState::hideOnMinimize),
    IntegerSetting("Volume Steps", 5, 1, 10, &PluginState::volumeSteps),
    TextSetting("Normal Skin", "Plugins\\Pelorin1.bmp", TextTarget::NormalSkin),
    TextSetting("Mouse Over Skin", "Plugins\\Pelorin2.bmp", TextTarget::MouseOverSkin),
    TextSetting("Pressed Skin", "Plugins\\Pelorin3.bmp", TextTarget::PressedSkin),
    TextSetting("Pressed Buttons Skin", "Plugins\\Pelorin4.bmp", TextTarget::PressedButtonsSkin),
    TextSetting("Mouse Over Pressed Skin", "Plugins\\Pelorin5.bmp", TextTarget::MouseOverPressedSkin),
    IntegerSetting("Left and Right OffSet", 0, 0, 10, &PluginState::sideOffset),
    BooleanSetting("Bar OffSet of Bottom Row", false, &PluginState::barOffsetBottomRow),
    // 0 is a valid value here (no position bar), though the setup page
    // offers only 1 to 10.
    IntegerSetting("Position Bar Height", 3, 0, 10, &PluginState::barHeight),
    BooleanSetting("Border On Mouse Over", true, &PluginState::borderOnMouseOver),
    BooleanSetting("Show Pressed Buttons", true, &PluginState::showPressedButtons),
}};

// GetCFGBool takes a true default as -1.
constexpr int BooleanDefaultForStore(const SettingKey& setting) { return setting.defaultValue ? -1 : 0; }

// The skin file names in role order, as the skin loader indexes them.
constexpr int SkinIndexOf(TextTarget target) {
    return static_cast<int>(target) - static_cast<int>(TextTarget::NormalSkin);
}
