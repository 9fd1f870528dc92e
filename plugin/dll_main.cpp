// Library load: remember our instance and fix the interface language.
#include <windows.h>

#include "plugin/state/language.h"
#include "plugin/state/plugin_state.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        pluginInstance = instance;
        DisableThreadLibraryCalls(instance);
        ChooseLanguage(GetSystemDefaultLCID());
    }
    return TRUE;
}
