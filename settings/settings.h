// Reading every setting from the host's store once at start, loading the
// skins they name, and the two values the plug-in writes back.
#pragma once

#include <array>

constexpr const char* kSettingsSection = "Pelorin";
constexpr int kSettingTextMax = 260;       // longest text read from the store
constexpr int kSettingBufferSize = 262;

// The five skin file names, in skin role order; they live only while the
// skins are being loaded.
constexpr int kSkinFileCount = 5;
using SettingText = std::array<char, kSettingBufferSize>;
using SkinFileNames = std::array<SettingText, kSkinFileCount>;

// Reads the settings, loads and stretches the skins, sets the geometry and
// tipFont. False when the normal skin cannot make a usable control.
bool LoadSettingsAndSkins();

// The settings half alone: one read pass over section "Pelorin" into
// pluginState, playerPath and the skin file names.
void ReadSettings(SkinFileNames& skinFiles);

// Context-menu command: flips hideOnMinimize and stores it.
void ToggleHideOnMinimize();
