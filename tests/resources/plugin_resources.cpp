// Opens the built plug-in as a resource file for the tests.
#include "tests/resources/plugin_resources.h"

HMODULE PluginResources() {
    // Kept loaded for the whole run: resource pointers point into it.
    static HMODULE module = LoadLibraryExA(
        "Plugins\\Pelorin.plg", nullptr,
        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    return module;
}

ResourceBytes FindPluginResource(const char* name, const char* type) {
    HMODULE module = PluginResources();
    if (!module) return {};
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)),
            static_cast<size_t>(SizeofResource(module, found))};
}
