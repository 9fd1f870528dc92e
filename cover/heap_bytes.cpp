// The process heap behind HeapBytes.
#include "cover/heap_bytes.h"

#include <windows.h>

#include <cstring>
#include <utility>

HeapBytes::~HeapBytes() { Free(); }

HeapBytes::HeapBytes(HeapBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

HeapBytes& HeapBytes::operator=(HeapBytes&& other) noexcept {
    if (this != &other) {
        Free();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool HeapBytes::Allocate(size_t count) {
    Free();
    if (count == 0) return true;
    data_ = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, count));
    if (data_ == nullptr) return false;
    size_ = count;
    return true;
}

bool HeapBytes::KeepOnly(size_t offset, size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    if (count == 0) {
        Free();
        return true;
    }
    std::memmove(data_, data_ + offset, count);
    size_ = count;
    // Giving back the rest in place cannot move the block, and when it
    // fails the block just stays as large as it was.
    HeapReAlloc(GetProcessHeap(), HEAP_REALLOC_IN_PLACE_ONLY, data_, count);
    return true;
}

void HeapBytes::Free() {
    if (data_ != nullptr) HeapFree(GetProcessHeap(), 0, data_);
    data_ = nullptr;
    size_ = 0;
}
