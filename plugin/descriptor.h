// The record GetPluginInfo hands the host: name, About text, setup table.
#pragma once

#include <cstddef>
#include <cstdint>

struct SetupField;

struct PluginInfo {
    int32_t size;
    const char* name;
    const char* about;
    const char* name2;
    int32_t fieldCount;
    const SetupField* fields;
};
static_assert(sizeof(PluginInfo) == 24, "PluginInfo is 24 bytes");
static_assert(offsetof(PluginInfo, fields) == 20, "");

constexpr const char* kPluginName = "Pelorin";

// The About text chosen at library load.
const char* AboutText();
