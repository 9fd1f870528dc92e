// Points one imported function of a loaded module at a test's own function
// for the length of a scope, by rewriting the module's import address
// table. Lets a test see what starter.dll hands to Win32.
#pragma once

#include <windows.h>

class ImportPatch {
public:
    ImportPatch(HMODULE module, const char* dllName, const char* functionName, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    // The function the slot held before; null when the module does not
    // import that function from that DLL.
    void* original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
