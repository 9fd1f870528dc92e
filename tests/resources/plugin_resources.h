// The built Pelorin.plg opened as a resource file: the tests read what the
// resource compiler put into it without running any of its code.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Plugins\Pelorin.plg beside the test (tests run in the bin folder), loaded
// once as a data file; null when it is missing.
HMODULE PluginResources();

struct ResourceBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};
// The raw bytes of one resource of the plug-in; empty when it has none.
ResourceBytes FindPluginResource(const char* name, const char* type);
