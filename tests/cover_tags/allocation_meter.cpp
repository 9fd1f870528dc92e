// Counts every byte operator new hands out and delete takes back, and the
// blocks the code under test takes from the process heap itself (through
// this program's imports of the heap functions, patched at start). Each
// new block carries its size in a header in front of it, since unsized
// delete does not say how much it frees; a heap block's size is asked of
// the heap. While a HeapShortage lives, the same calls refuse blocks past
// its count. Tests here run on one thread.
#include "tests/cover_tags/allocation_meter.h"

#include "tests/support/iat_patch.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

constexpr size_t kHeaderSize = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

// Signed: a heap block taken before the count began may be given back
// during it, which only lowers what is held.
int64_t heldBytes = 0;
int64_t peakBytes = 0;
int allocations = 0;
// Set while a HeapShortage lives: the count of allocations it lets through.
int allowedAllocations = -1;

// Counts a block asked for; false when a shortage refuses it.
bool MayAllocate() {
    if (allowedAllocations >= 0 && allocations >= allowedAllocations) return false;
    ++allocations;
    return true;
}

void Count(int64_t change) {
    heldBytes += change;
    peakBytes = std::max(peakBytes, heldBytes);
}

void* Allocate(size_t size) {
    if (!MayAllocate()) std::abort();
    auto* block = static_cast<unsigned char*>(std::malloc(kHeaderSize + size));
    if (block == nullptr) throw std::bad_alloc();
    *reinterpret_cast<size_t*>(block) = size;
    Count(static_cast<int64_t>(size));
    return block + kHeaderSize;
}

void Free(void* pointer) {
    if (pointer == nullptr) return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeaderSize;
    Count(-static_cast<int64_t>(*reinterpret_cast<size_t*>(block)));
    std::free(block);
}

using HeapAllocFn = LPVOID(WINAPI*)(HANDLE, DWORD, SIZE_T);
using HeapReAllocFn = LPVOID(WINAPI*)(HANDLE, DWORD, LPVOID, SIZE_T);
using HeapFreeFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID);
HeapAllocFn realHeapAlloc = nullptr;
HeapReAllocFn realHeapReAlloc = nullptr;
HeapFreeFn realHeapFree = nullptr;

int64_t BlockSize(HANDLE heap, LPVOID block) {
    const SIZE_T size = HeapSize(heap, 0, block);
    return size == static_cast<SIZE_T>(-1) ? 0 : static_cast<int64_t>(size);
}

LPVOID WINAPI CountedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size) {
    if (!MayAllocate()) return nullptr;
    LPVOID block = realHeapAlloc(heap, flags, size);
    if (block != nullptr) Count(static_cast<int64_t>(size));
    return block;
}

LPVOID WINAPI CountedHeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T size) {
    const int64_t before = BlockSize(heap, block);
    LPVOID moved = realHeapReAlloc(heap, flags, block, size);
    if (moved != nullptr) Count(static_cast<int64_t>(size) - before);
    return moved;
}

BOOL WINAPI CountedHeapFree(HANDLE heap, DWORD flags, LPVOID block) {
    if (block != nullptr) Count(-BlockSize(heap, block));
    return realHeapFree(heap, flags, block);
}

struct HeapCounting {
    HeapCounting() {
        const HMODULE program = GetModuleHandleA(nullptr);
        alloc = PatchTyped<HeapAllocFn>(program, "kernel32.dll", "HeapAlloc", CountedHeapAlloc, &realHeapAlloc);
        reAlloc = PatchTyped<HeapReAllocFn>(program, "kernel32.dll", "HeapReAlloc", CountedHeapReAlloc, &realHeapReAlloc);
        free = PatchTyped<HeapFreeFn>(program, "kernel32.dll", "HeapFree", CountedHeapFree, &realHeapFree);
    }
    std::unique_ptr<ScopedImportPatch> alloc, reAlloc, free;
};
const HeapCounting heapCounting;

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Free(pointer); }
void operator delete[](void* pointer) noexcept { Free(pointer); }
void operator delete(void* pointer, size_t) noexcept { Free(pointer); }
void operator delete[](void* pointer, size_t) noexcept { Free(pointer); }

AllocationMeter::AllocationMeter() : startBytes_(heldBytes), startAllocations_(allocations) { peakBytes = heldBytes; }

size_t AllocationMeter::PeakBytes() const { return static_cast<size_t>(std::max<int64_t>(peakBytes - startBytes_, 0)); }

int AllocationMeter::Allocations() const { return allocations - startAllocations_; }

HeapShortage::HeapShortage(int allowed) { allowedAllocations = allocations + allowed; }

HeapShortage::~HeapShortage() { allowedAllocations = -1; }
