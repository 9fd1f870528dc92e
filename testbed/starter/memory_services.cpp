// The host's allocators: Mmalloc/Mfree for blocks the plug-in returns itself,
// and the C-runtime-style "malloc" whose buffers become picture file names
// and are freed by FreePicture. Name buffers are remembered so that
// FreePicture frees only what came from here, and each one only once.
#include "testbed/starter/memory_services.h"

#include "host/host_abi.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/no_throw.h"
#include "testbed/starter/starter_state.h"

#include <algorithm>
#include <cstdlib>

void* __stdcall Mmalloc(int size) {
    return NoThrow<void*>(nullptr, [&]() -> void* {
        CallLine("Mmalloc").Number(size).Record();
        if (size < 0) return nullptr;
        return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, static_cast<SIZE_T>(size));
    });
}

void __stdcall Mfree(void* block) {
    NoThrow([&] {
        CallLine("Mfree").Record();
        if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
    });
}

extern "C" void* __cdecl HostMalloc(size_t size) {
    return NoThrow<void*>(nullptr, [&]() -> void* {
        StateLock lock;
        CallLine("malloc").Number(static_cast<long long>(size)).Record();
        starterState.nameBuffers.reserve(starterState.nameBuffers.size() + 1);
        void* block = std::calloc(1, size ? size : 1);
        if (block != nullptr) starterState.nameBuffers.push_back(block);
        return block;
    });
}

void FreeNameBuffer(void* block) {
    StateLock lock;
    std::vector<void*>& buffers = starterState.nameBuffers;
    const auto found = std::find(buffers.begin(), buffers.end(), block);
    if (found == buffers.end()) return;
    buffers.erase(found);
    std::free(block);
}
