// The shell's setup page for one plug-in: a modal dialog with one line per
// descriptor row, filled from the store and written back on OK.
#pragma once

#include "testbed/shell/descriptor_view.h"

#include <windows.h>

constexpr const char* kSetupPageTitlePrefix = "Setup - ";

// Shows the page; true when the user pressed OK and the store was written.
bool RunSetupPage(HWND owner, int configId, const PluginDescriptor& descriptor);

// Control ids: each row owns a block of ids, one per part of the line.
constexpr int kSetupFirstRowId = 1000;
constexpr int kSetupIdsPerRow = 4;
enum SetupRowPart { ROW_PART_LABEL = 0, ROW_PART_VALUE = 1, ROW_PART_SPIN = 2, ROW_PART_BROWSE = 3 };
constexpr int SetupControlId(int row, SetupRowPart part) { return kSetupFirstRowId + row * kSetupIdsPerRow + part; }
