// Button tips through the host's tooltip window: one tool covering the
// control, whose text follows the cell under the pointer.
#pragma once

#include "plugin/state/language.h"

#include <windows.h>
#include <commctrl.h>

constexpr int kTipTextSize = 261;

// The host keeps a pointer to buttonTipText through this record, so both
// live as long as the library. cbSize 0 means the tool is not added yet.
extern TOOLINFOA hostToolInfo;
extern char buttonTipText[kTipTextSize];
// The text last handed to the tooltip window.
extern char lastTipText[kTipTextSize];

// Pure: the tip for a cell, "" when it has none.
const char* ButtonTipFor(int hotItem, int playerStatus, bool playerFound, Language language);

// Hands text to the host's tooltip when it differs from the last one.
void UpdateButtonTip(const char* text);
