// Helpers every test group shares: the bin folder, scratch folders, waiting
// with a pumped message loop, and a fixture that stands up the host side.
#pragma once

#include "testbed/common/files.h"
#include "testbed/hostkit/hostkit.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <string>

// The plug-in as the shell keeps it, in Plugins/ beside the test programs
// (ExeFolder), starter.dll and MirelEx.dll.
std::string PluginDllPath();

// A fresh, empty folder under the system temp folder; removed by the
// fixture below, or by RemoveTree.
std::string MakeScratchDir(const char* tag);
void RemoveTree(const std::string& dir);

// GetProcAddress typed as the function it finds.
template <typename F>
F ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The stand-in host's windows and store for one test, plus the plug-in
// loaded as the host loads it.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads Plugins\Pelorin.plg (once per test) and returns its handle.
    HMODULE LoadPlugin();
    void UnloadPlugin();
    template <typename F>
    F PluginExport(const char* name) {
        return ProcAddress<F>(LoadPlugin(), name);
    }

    // Options used by SetUp; change them in a derived SetUp before calling
    // HostTest::SetUp.
    HostKitOptions options;
    HostKit host;
    std::string scratchDir;
    std::string storePath;
    HMODULE plugin = nullptr;
};
