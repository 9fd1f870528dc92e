// Shared test helpers.
#include "tests/support/test_support.h"

#include <shellapi.h>
#include <cstdio>

std::string PluginDllPath() { return ExeFolder() + "\\Plugins\\Pelorin.plg"; }

std::string MakeScratchDir(const char* tag) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    for (;;) {
        std::string dir = std::string(temp) + "pelorin-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
}

void RemoveTree(const std::string& dir) {
    if (dir.empty()) return;
    std::string from = dir + '\0';  // SHFileOperation wants a double NUL
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

void HostTest::SetUp() {
    scratchDir = MakeScratchDir("host");
    ASSERT_FALSE(scratchDir.empty());
    storePath = scratchDir + "\\mirel.ini";
    if (options.storePath.empty()) options.storePath = storePath;
    storePath = options.storePath;
    if (options.pluginPath.empty()) options.pluginPath = PluginDllPath();
    ASSERT_TRUE(CreateHostKit(options, &host));
}

void HostTest::TearDown() {
    UnloadPlugin();
    DestroyHostKit(&host);
    PumpMessages(0);
    RemoveTree(scratchDir);
}

HMODULE HostTest::LoadPlugin() {
    if (!plugin) plugin = LoadLibraryA(PluginDllPath().c_str());
    return plugin;
}

void HostTest::UnloadPlugin() {
    if (plugin) FreeLibrary(plugin);
    plugin = nullptr;
}
