// Button tips through the host's tooltip window.
#pragma once

#include "plugin/state/language.h"

#include <windows.h>
#include <commctrl.h>

constexpr int kTipTextSize = 261;

extern TOOLINFOA hostToolInfo;  // cbSize 0 until the tool is added
extern char buttonTipText[kTipTextSize];

// Pure: the tip for a cell, "" when it has none.
const char* ButtonTipFor(int hotItem, int playerStatus, bool playerFound, Language language);

// Hands text to the host's tooltip when it differs from the last one.
void UpdateButtonTip(const char* text);
