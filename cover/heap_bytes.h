// Bytes that a file makes us hold: taken from the process heap, where
// running short is an answer ("no cover") instead of the end of the shell,
// as the standard containers' memory would have it in a build without
// exceptions. Everything on the cover's path whose size a file's values
// decide lives in one of these.
#pragma once

#include <cstddef>
#include <cstdint>

class HeapBytes {
public:
    HeapBytes() = default;
    ~HeapBytes();
    HeapBytes(HeapBytes&& other) noexcept;
    HeapBytes& operator=(HeapBytes&& other) noexcept;
    HeapBytes(const HeapBytes&) = delete;
    HeapBytes& operator=(const HeapBytes&) = delete;

    // Replaces what is held with count bytes of no particular value; false,
    // holding nothing, when the heap cannot give them.
    [[nodiscard]] bool Allocate(size_t count);
    // Keeps only the count bytes at offset, moved to the front; false, and
    // nothing changed, unless they lie inside what is held.
    bool KeepOnly(size_t offset, size_t count);

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    void Free();

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
