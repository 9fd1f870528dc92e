// The five skin pictures, each as loaded and as stretched to the control's
// size, and the title tip's font.
#pragma once

#include "host/host_abi.h"
#include "settings/settings.h"

#include <array>

enum SkinRole {
    SKIN_NORMAL = 0,
    SKIN_MOUSE_OVER = 1,
    SKIN_PRESSED = 2,
    SKIN_PRESSED_BUTTONS = 3,
    SKIN_MOUSE_OVER_PRESSED = 4,
    SKIN_COUNT = 5
};

struct SkinEntry {
    PictureRecord source;     // as loaded; owns the file name buffer
    PictureRecord stretched;  // controlWidth x controlHeight, host-owned
};

extern std::array<SkinEntry, SKIN_COUNT> skinSet;
extern FontRecord tipFont;

// A role has a picture when its stretched copy has a bitmap.
inline bool HasPicture(SkinRole role) { return skinSet[role].stretched.bitmap != nullptr; }
inline PictureRecord* StretchedPicture(SkinRole role) { return &skinSet[role].stretched; }

// Fills a record from one of the plug-in's own bitmap resources.
void LoadBuiltinSkin(PictureRecord* record, const char* resourceName);

// The skin half of LoadSettingsAndSkins: loads the five skins named by the
// settings (or the built-ins), stretches them, sets the geometry globals and
// pluginState.barHeight in pixels, and fetches tipFont. False when the
// control cannot be built from the normal skin.
bool LoadSkinSet(const SkinFileNames& skinFiles);
