// A bounded, read-only cursor over bytes that came from a file: every read
// says whether it fit, and a read that did not fit leaves the cursor where
// it was. Lengths read from the bytes themselves are compared in 64 bits
// against what is left, so none can wrap a 32-bit size_t on the way.
#pragma once

#include "cover/heap_bytes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class ByteCursor {
public:
    ByteCursor() = default;
    ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteCursor(const std::vector<uint8_t>& bytes) : ByteCursor(bytes.data(), bytes.size()) {}
    explicit ByteCursor(const HeapBytes& bytes) : ByteCursor(bytes.data(), bytes.size()) {}

    // Bytes read or skipped since the start of this view.
    size_t Position() const { return position_; }
    size_t Remaining() const { return size_ - position_; }

    [[nodiscard]] bool ReadU8(uint8_t& value);
    [[nodiscard]] bool ReadU16BE(uint16_t& value);
    [[nodiscard]] bool ReadU24BE(uint32_t& value);
    [[nodiscard]] bool ReadU32BE(uint32_t& value);
    [[nodiscard]] bool ReadU64BE(uint64_t& value);
    [[nodiscard]] bool ReadU16LE(uint16_t& value);
    [[nodiscard]] bool ReadU32LE(uint32_t& value);
    [[nodiscard]] bool ReadU64LE(uint64_t& value);
    // Four bytes of seven bits each, most significant first. A byte with its
    // top bit set makes it no syncsafe integer, and the read fails.
    [[nodiscard]] bool ReadSyncsafe28(uint32_t& value);
    [[nodiscard]] bool ReadBytes(void* out, size_t count);
    [[nodiscard]] bool PeekU8(uint8_t& value) const;

    [[nodiscard]] bool Skip(uint64_t count);
    // The next count bytes as a view of their own; this cursor moves past them.
    [[nodiscard]] bool Take(uint64_t count, ByteCursor& part);
    // The bytes before the first terminator, a run of unitSize zero bytes
    // that starts a whole number of units from here; this cursor moves past
    // the terminator. Two-byte units keep a UTF-16 character's zero high
    // byte and the next one's zero low byte from reading as a terminator.
    [[nodiscard]] bool TakeTerminated(size_t unitSize, ByteCursor& text);

    // Moves past the next bytes only when they are these.
    [[nodiscard]] bool SkipIf(std::string_view bytes);
    // The same, with ASCII letters matched in either case (tag keys that
    // taggers write as they please).
    [[nodiscard]] bool SkipIfAnyCase(std::string_view bytes);
    // True when the bytes left are exactly these.
    bool RestEquals(std::string_view text) const;
    // Where the bytes left lie in whole, when this view was cut from it, so
    // that a reader can keep a span of its buffer instead of a copy; false
    // for a view of other bytes.
    [[nodiscard]] bool RestOffsetIn(const HeapBytes& whole, size_t& offset) const;

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
};
