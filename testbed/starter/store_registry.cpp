// Handing out configIds for store files (StandInOpenStore).
#include "testbed/starter/store_registry.h"

#include "testbed/starter/no_throw.h"
#include "testbed/starter/standin_api.h"
#include "testbed/starter/starter_state.h"

#include <string.h>

namespace {

std::string FullPathOf(const char* path) {
    const DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::string full(needed, '\0');
    const DWORD written = GetFullPathNameA(path, needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return {};
    full.resize(written);
    return full;
}

}  // namespace

const std::string* StorePathOf(int configId) {
    if (configId < 1 || static_cast<size_t>(configId) > starterState.storePaths.size()) return nullptr;
    return &starterState.storePaths[static_cast<size_t>(configId) - 1];
}

int __stdcall StandInOpenStore(const char* path) {
    return NoThrow(0, [&] {
        if (path == nullptr || *path == '\0') return 0;
        const std::string full = FullPathOf(path);
        if (full.empty()) return 0;
        StateLock lock;
        std::vector<std::string>& paths = starterState.storePaths;
        for (size_t i = 0; i < paths.size(); ++i) {
            // File names on Windows ignore letter case; so does the id.
            if (_stricmp(paths[i].c_str(), full.c_str()) == 0) return static_cast<int>(i + 1);
        }
        paths.push_back(full);
        return static_cast<int>(paths.size());
    });
}
