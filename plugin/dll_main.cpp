// Library load and unload: remember our instance, fix the interface
// language, and let go of what the workers shared.
#include <windows.h>

#include "plugin/state/language.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        pluginInstance = instance;
        DisableThreadLibraryCalls(instance);
        ChooseLanguage(GetSystemDefaultLCID());
    }
    // At process exit other threads are already gone mid-way; only a real
    // unload, which no worker can outlive, tidies up.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) StopWorkerThreads();
    return TRUE;
}
