// What a setup page shows, made from a plug-in's descriptor rows, and the
// values behind it: read from and written to the plug-in's section of the
// store.
#pragma once

#include "testbed/shell/descriptor_view.h"

#include <string>
#include <vector>

enum class RowType { Heading, CheckBox, ProgramPath, Integer, Picture, Choice, Unknown };

// The kind's low byte says what a row holds; 256 on top marks the rows
// of the "Player" group, which this page shows like any other.
constexpr int kRowTypeMask = 0xFF;

RowType RowTypeOf(int32_t kind);

struct SetupRow {
    RowType type = RowType::Unknown;
    std::string key;
    std::string label;
    int defaultValue = 0;
    int low = 0;
    int high = 0;
    std::vector<std::string> choices;  // choice rows only
};

// Copies the rows out of the plug-in's table; a null text reads as "".
std::vector<SetupRow> ReadSetupRows(const DescriptorRow* rows, int count);

// A value as the page holds it: number for check boxes (0/1), integers
// and choices; text for paths.
struct SetupValue {
    int number = 0;
    std::string text;
};

// Keeps an edited number within what the row allows.
int ClampToRow(const SetupRow& row, int value);

// Longest text a path row keeps, as the plug-in reads it.
constexpr int kSetupTextMax = 260;

// One read pass over the section; rows without a key get an empty value.
std::vector<SetupValue> LoadSetupValues(int configId, const std::string& section, const std::vector<SetupRow>& rows);
// One write pass storing every row with a key; numbers are clamped first.
void SaveSetupValues(int configId, const std::string& section, const std::vector<SetupRow>& rows,
                     const std::vector<SetupValue>& values);
