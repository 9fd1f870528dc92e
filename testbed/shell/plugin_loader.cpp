// Loading and running one plug-in.
#include "testbed/shell/plugin_loader.h"

#include <algorithm>

namespace {

// FARPROC carries no signature; going through void* says so to the compiler.
template <typename F>
F ExportOf(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool LoadPluginFile(const std::string& path, LoadedPlugin* plugin) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return false;
    plugin->getInfo = ExportOf<GetPluginInfoFn>(module, "GetPluginInfo");
    plugin->init = ExportOf<void(__stdcall*)(HostContext*)>(module, "InitGlobalModule");
    plugin->done = ExportOf<void(__stdcall*)()>(module, "DoneModule");
    // A descriptor of another size is not one this shell can read.
    const PluginDescriptor* descriptor = plugin->getInfo ? plugin->getInfo() : nullptr;
    if (!descriptor || descriptor->size != sizeof(PluginDescriptor) || !plugin->init || !plugin->done) {
        FreeLibrary(module);
        *plugin = LoadedPlugin{};
        return false;
    }
    plugin->module = module;
    plugin->path = path;
    return true;
}

void StartPlugin(LoadedPlugin* plugin, HostKit* kit) {
    if (!plugin->module || plugin->running) return;
    ForgetClosedTaskbarItems(kit);
    plugin->init(&kit->context);
    plugin->running = true;
}

void StopPlugin(LoadedPlugin* plugin) {
    if (!plugin->module || !plugin->running) return;
    plugin->done();
    plugin->running = false;
}

void UnloadPluginFile(LoadedPlugin* plugin) {
    StopPlugin(plugin);
    if (plugin->module) FreeLibrary(plugin->module);
    *plugin = LoadedPlugin{};
}

void ForgetClosedTaskbarItems(HostKit* kit) {
    auto& items = kit->taskbarItems;
    items.erase(std::remove_if(items.begin(), items.end(), [](const TaskbarItem& item) { return !IsWindow(item.window); }),
                items.end());
}
