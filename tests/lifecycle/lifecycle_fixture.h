// What the lifecycle tests share: the stand-in host with a store written
// by the test, the built plug-in loaded with a probe on its imports, and
// counts of the process's threads and windows.
#pragma once

#include "tests/lifecycle/plugin_probe.h"
#include "tests/support/test_support.h"

#include <memory>
#include <string>

// A 16 x 16 icon file: a picture the host loads but that cannot be a skin.
void WriteIconFile(const std::string& path);
// The control window the plug-in put into this taskbar, or null.
HWND ControlWindowIn(HWND taskbar);

class LoadedPluginTest : public HostTest {
protected:
    void TearDown() override;

    // Writes the store's "Pelorin" section; call before StartPlugin.
    void WriteSettings(const std::string& lines);
    // LoadLibrary (once), the probe, InitGlobalModule.
    void StartPlugin();
    void StopPlugin();
    // DoneModule if still running, then FreeLibrary.
    void StopAndUnload();
    // Presses and releases the left button over a cell of the control,
    // with the pointer really there.
    void ClickCell(int cell);

    std::unique_ptr<PluginProbe> pluginProbe;
    bool running = false;
};
