// The most heap memory a stretch of code held at once, and a heap that runs
// short on purpose. Linking allocation_meter.cpp replaces the program's
// operator new and delete and counts its own calls of the heap functions.
#pragma once

#include <cstddef>
#include <cstdint>

class AllocationMeter {
public:
    AllocationMeter();  // starts measuring
    // Bytes held at the peak since the start, beyond those held before it.
    size_t PeakBytes() const;
    // Blocks asked for since the start, of operator new and of the heap.
    int Allocations() const;

private:
    int64_t startBytes_;
    int startAllocations_;
};

// While one lives, the first `allowed` blocks asked for are given and the
// rest refused: the heap's calls return nothing, and operator new ends the
// process, as the plug-in's own does when memory runs out.
class HeapShortage {
public:
    explicit HeapShortage(int allowed);
    ~HeapShortage();
    HeapShortage(const HeapShortage&) = delete;
    HeapShortage& operator=(const HeapShortage&) = delete;
};
