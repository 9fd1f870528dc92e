// Counts every byte operator new hands out and delete takes back. Each
// block carries its size in a header in front of it, since unsized delete
// does not say how much it frees. Tests here run on one thread.
#include "tests/cover_tags/allocation_meter.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t kHeaderSize = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

size_t heldBytes = 0;
size_t peakBytes = 0;

void* Allocate(size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(kHeaderSize + size));
    if (block == nullptr) throw std::bad_alloc();
    *reinterpret_cast<size_t*>(block) = size;
    heldBytes += size;
    peakBytes = std::max(peakBytes, heldBytes);
    return block + kHeaderSize;
}

void Free(void* pointer) {
    if (pointer == nullptr) return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kHeaderSize;
    heldBytes -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Free(pointer); }
void operator delete[](void* pointer) noexcept { Free(pointer); }
void operator delete(void* pointer, size_t) noexcept { Free(pointer); }
void operator delete[](void* pointer, size_t) noexcept { Free(pointer); }

AllocationMeter::AllocationMeter() : startBytes_(heldBytes) { peakBytes = heldBytes; }

size_t AllocationMeter::PeakBytes() const { return peakBytes - startBytes_; }
