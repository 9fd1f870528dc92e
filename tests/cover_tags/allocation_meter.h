// The most heap memory a stretch of code held at once. Linking
// allocation_meter.cpp replaces the program's operator new and delete.
#pragma once

#include <cstddef>

class AllocationMeter {
public:
    AllocationMeter();  // starts measuring
    // Bytes held at the peak since the start, beyond those held before it.
    size_t PeakBytes() const;

private:
    size_t startBytes_;
};
