// The built Pelorin.plg as a host sees it: its export and import tables
// and its version resource, read from the file itself.
#include "pelorin_version.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

// The DLL mapped as an image without running its code.
class MappedImage {
public:
    explicit MappedImage(const std::string& path)
        : module_(LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES)) {}
    ~MappedImage() {
        if (module_) FreeLibrary(module_);
    }
    bool ok() const { return module_ != nullptr; }
    template <typename T>
    const T* At(DWORD rva) const {
        return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module_) + rva);
    }
    const IMAGE_DATA_DIRECTORY& Directory(int index) const {
        auto* dos = At<IMAGE_DOS_HEADER>(0);
        return At<IMAGE_NT_HEADERS32>(dos->e_lfanew)->OptionalHeader.DataDirectory[index];
    }
    const IMAGE_NT_HEADERS32* Headers() const { return At<IMAGE_NT_HEADERS32>(At<IMAGE_DOS_HEADER>(0)->e_lfanew); }

private:
    HMODULE module_;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

}  // namespace

TEST(PluginModule, IsA32BitDll) {
    MappedImage image(PluginDllPath());
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.Headers()->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(image.Headers()->FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST(PluginModule, ExportsExactlyTheThreeEntryPointsUnderItsOwnName) {
    MappedImage image(PluginDllPath());
    ASSERT_TRUE(image.ok());
    const IMAGE_DATA_DIRECTORY& dir = image.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(dir.VirtualAddress, 0u);
    auto* exports = image.At<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
    EXPECT_STREQ(image.At<char>(exports->Name), "Pelorin.plg");
    EXPECT_EQ(exports->NumberOfFunctions, 3u);
    std::set<std::string> names;
    auto* nameRvas = image.At<DWORD>(exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(image.At<char>(nameRvas[i]));
    EXPECT_EQ(names, (std::set<std::string>{"DoneModule", "GetPluginInfo", "InitGlobalModule"}));
}

TEST(PluginModule, ImportsOnlySystemLibrariesAndTheHost) {
    MappedImage image(PluginDllPath());
    ASSERT_TRUE(image.ok());
    // ole32 reaches the system's imaging component, which decodes covers,
    // through COM: the imaging library itself is never imported.
    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll",   "shell32.dll",
                                           "msvcrt.dll",   "comctl32.dll", "advapi32.dll", "ole32.dll",
                                           "starter.dll",  "mirelex.dll"};
    const IMAGE_DATA_DIRECTORY& dir = image.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(dir.VirtualAddress, 0u);
    for (auto* desc = image.At<IMAGE_IMPORT_DESCRIPTOR>(dir.VirtualAddress); desc->Name; ++desc) {
        const std::string dll = Lower(image.At<char>(desc->Name));
        EXPECT_TRUE(allowed.count(dll)) << "unexpected import of " << dll;
        for (const char* runtime : {"libstdc++", "libgcc", "libwinpthread"})
            EXPECT_EQ(dll.find(runtime), std::string::npos) << dll;
        if (dll != "starter.dll") continue;
        // "malloc" comes from GetProcAddress, never from the import table,
        // where it could bind to the C runtime's malloc by mistake.
        for (auto* thunk = image.At<IMAGE_THUNK_DATA32>(desc->OriginalFirstThunk); thunk->u1.AddressOfData;
             ++thunk) {
            const char* name = reinterpret_cast<const char*>(
                image.At<IMAGE_IMPORT_BY_NAME>(thunk->u1.AddressOfData)->Name);
            EXPECT_STRNE(name, "malloc");
            EXPECT_EQ(std::string(name).find('@'), std::string::npos) << "decorated import " << name;
        }
    }
}

TEST(PluginModule, CarriesTheProjectVersionAndItsProductName) {
    const std::string path = PluginDllPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(PELORIN_VERSION_MINOR, PELORIN_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, PELORIN_VERSION_PATCH)));
    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, "Pelorin");
}
