// The most heap memory a stretch of code held at once. Linking
// allocation_meter.cpp replaces the program's operator new and delete and
// counts its own calls of the heap functions.
#pragma once

#include <cstddef>
#include <cstdint>

class AllocationMeter {
public:
    AllocationMeter();  // starts measuring
    // Bytes held at the peak since the start, beyond those held before it.
    size_t PeakBytes() const;

private:
    int64_t startBytes_;
};
