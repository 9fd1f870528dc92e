// The plug-in descriptor as the host reads it: the record GetPluginInfo
// returns and the rows of its setup table. The shell reads them by their
// binary layout alone, as any host would, never through the plug-in's code.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

struct DescriptorRow {
    const char* key;        // null in a heading
    int32_t kind;           // low byte: the row's type; +256: a "Player" row
    const char* label;
    int32_t defaultValue;
    int32_t low;            // choice row: the value of its last choice
    intptr_t high;          // choice row: pointer to the choices' texts
};
static_assert(sizeof(DescriptorRow) == 24, "a setup row is 24 bytes");
static_assert(offsetof(DescriptorRow, high) == 20, "");

struct PluginDescriptor {
    int32_t size;
    const char* name;
    const char* about;
    const char* section;  // the plug-in's section in the store
    int32_t rowCount;
    const DescriptorRow* rows;
};
static_assert(sizeof(PluginDescriptor) == 24, "the descriptor is 24 bytes");

using GetPluginInfoFn = const PluginDescriptor*(__stdcall*)();
