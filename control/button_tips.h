// Button tips through the host's tooltip window: one tool covering the
// control, whose text follows the cell under the pointer.
#pragma once

#include "plugin/state/language.h"
#include "skin/geometry.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <string>

constexpr int kTipTextSize = 261;

// The host keeps a pointer to buttonTipText through this record, so both
// live as long as the library. cbSize 0 means the tool is not added yet.
extern TOOLINFOA hostToolInfo;
extern char buttonTipText[kTipTextSize];
// The text last handed to the tooltip window.
extern char lastTipText[kTipTextSize];

// Pure: the tip for a cell, "" when it has none.
const char* ButtonTipFor(int hotItem, int playerStatus, bool playerFound, Language language);

// What the tip under the pointer depends on besides the place.
struct TipFacts {
    int playerStatus;
    bool playerFound;   // the player's window exists
    int32_t lengthSec;  // the song's length as the poll read it
    int32_t positionSec;
};

// Pure: the tip for the pointer at a client point: a time over the
// position bar and the Display cell, the cell's name elsewhere.
std::string ButtonTipAt(POINT client, const Geometry& geometry, const TipFacts& facts, Language language);

// Hands text to the host's tooltip when it differs from the last one.
void UpdateButtonTip(const char* text);
