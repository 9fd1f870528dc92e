// Import address table patching for tests.
#include "tests/support/iat_patch.h"

#include <cstring>

namespace {

template <typename T>
T* At(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

}  // namespace

void* PatchImport(HMODULE module, const char* dllName, const char* functionName, void* replacement) {
    if (!module) return nullptr;
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    auto* nt = At<IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return nullptr;
    for (auto* desc = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); desc->Name; ++desc) {
        if (lstrcmpiA(At<char>(module, desc->Name), dllName) != 0) continue;
        auto* names = At<IMAGE_THUNK_DATA>(module, desc->OriginalFirstThunk ? desc->OriginalFirstThunk
                                                                              : desc->FirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(module, names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), functionName) != 0) continue;
            DWORD oldProtect;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &oldProtect);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<DWORD_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), oldProtect, &oldProtect);
            return previous;
        }
    }
    return nullptr;
}

ScopedImportPatch::ScopedImportPatch(HMODULE module, const char* dllName, const char* functionName,
                                     void* replacement)
    : module_(module), dllName_(dllName), functionName_(functionName),
      original_(PatchImport(module, dllName, functionName, replacement)) {}

ScopedImportPatch::~ScopedImportPatch() {
    if (original_) PatchImport(module_, dllName_, functionName_, original_);
}
