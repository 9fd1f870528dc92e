// The shell's side of a plug-in: loading the library, its three exports,
// and starting and stopping it against the shell's host windows.
#pragma once

#include "testbed/hostkit/hostkit.h"
#include "testbed/shell/descriptor_view.h"

#include <windows.h>
#include <string>

struct LoadedPlugin {
    HMODULE module = nullptr;
    std::string path;
    GetPluginInfoFn getInfo = nullptr;
    void(__stdcall* init)(HostContext*) = nullptr;
    void(__stdcall* done)() = nullptr;
    bool running = false;
};

// Loads the library, finds its exports and reads its descriptor; false
// (and nothing loaded) when an export is missing or the descriptor is not
// the 24-byte record.
bool LoadPluginFile(const std::string& path, LoadedPlugin* plugin);
void StartPlugin(LoadedPlugin* plugin, HostKit* kit);
void StopPlugin(LoadedPlugin* plugin);
void UnloadPluginFile(LoadedPlugin* plugin);

// Drops the taskbar items whose windows are gone, as a shell does when a
// plug-in stops, so a restarted plug-in is placed afresh.
void ForgetClosedTaskbarItems(HostKit* kit);
