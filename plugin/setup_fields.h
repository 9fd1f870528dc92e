// The table the host builds the plug-in's setup page from: one row per
// setting, plus group headings, with labels in English or Russian.
#pragma once

#include "plugin/state/language.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct SetupField {
    const char* key;        // null in a heading row
    int32_t kind;           // SETUP_* below
    const char* label;
    int32_t defaultValue;   // integer, choice and check box rows
    int32_t low;            // integer rows; the choice row: value of its last choice
    int32_t high;           // integer rows; the choice row: address of its choice list
};
static_assert(sizeof(SetupField) == 24, "SetupField is 24 bytes");
static_assert(offsetof(SetupField, kind) == 4, "");
static_assert(offsetof(SetupField, label) == 8, "");
static_assert(offsetof(SetupField, defaultValue) == 12, "");
static_assert(offsetof(SetupField, low) == 16, "");
static_assert(offsetof(SetupField, high) == 20, "");

// Kinds of row; the low byte says what the row holds.
constexpr int32_t SETUP_CHECK_BOX = 1;
constexpr int32_t SETUP_PLAYER_PATH = 8;
constexpr int32_t SETUP_INTEGER = 11;
constexpr int32_t SETUP_PICTURE_FILE = 14;
constexpr int32_t SETUP_CHOICE = 16;
constexpr int32_t SETUP_HEADING = 26;
// Added to the kind of every row of the "Player" group.
constexpr int32_t SETUP_PLAYER_GROUP = 256;

constexpr int kSetupFieldCount = 23;
constexpr int kPositionChoiceCount = 2;

extern std::array<SetupField, kSetupFieldCount> setupFields;
// "Position" 0 and 1.
extern std::array<const char*, kPositionChoiceCount> positionChoices;

// Puts the language's texts into the row labels and the choice list.
void ApplySetupLanguage(Language language);

// Points the choice row's high field at positionChoices.
void LinkPositionChoices();
