// Replaces one imported function in one loaded module by rewriting that
// module's import address table, so a test can count or capture calls
// (GDI creates and deletes, message boxes) without any switch in the code
// under test.
#pragma once

#include <windows.h>
#include <memory>

// Returns the previous target, or nullptr when the module does not import
// that function from that DLL. dllName is matched case-insensitively.
void* PatchImport(HMODULE module, const char* dllName, const char* functionName, void* replacement);

// Restores a patch when it goes out of scope.
class ScopedImportPatch {
public:
    ScopedImportPatch(HMODULE module, const char* dllName, const char* functionName, void* replacement);
    ~ScopedImportPatch();
    ScopedImportPatch(const ScopedImportPatch&) = delete;
    ScopedImportPatch& operator=(const ScopedImportPatch&) = delete;
    bool active() const { return original_ != nullptr; }
    void* original() const { return original_; }

private:
    HMODULE module_;
    const char* dllName_;
    const char* functionName_;
    void* original_;
};

// A typed patch: wrapper stands in for the import, and *real is set to the
// function it stands in for, for the wrapper to call.
template <typename Fn>
std::unique_ptr<ScopedImportPatch> PatchTyped(HMODULE module, const char* dllName, const char* functionName,
                                              Fn wrapper, Fn* real) {
    auto patch = std::make_unique<ScopedImportPatch>(module, dllName, functionName, reinterpret_cast<void*>(wrapper));
    *real = reinterpret_cast<Fn>(patch->original());
    return patch;
}
