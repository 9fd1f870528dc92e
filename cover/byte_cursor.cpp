// The bounded byte cursor's reads: each checks what is left first and
// moves only when the whole value fit.
#include "cover/byte_cursor.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint8_t kSyncsafeTopBit = 0x80;

uint8_t AsciiUpper(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c; }

}  // namespace

bool ByteCursor::ReadBytes(void* out, size_t count) {
    if (count > Remaining()) return false;
    if (count > 0) std::memcpy(out, data_ + position_, count);
    position_ += count;
    return true;
}

bool ByteCursor::PeekU8(uint8_t& value) const {
    if (Remaining() < 1) return false;
    value = data_[position_];
    return true;
}

bool ByteCursor::ReadU8(uint8_t& value) { return ReadBytes(&value, 1); }

bool ByteCursor::ReadU16BE(uint16_t& value) {
    uint8_t bytes[2];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
    return true;
}

bool ByteCursor::ReadU24BE(uint32_t& value) {
    uint8_t bytes[3];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = uint32_t{bytes[0]} << 16 | uint32_t{bytes[1]} << 8 | bytes[2];
    return true;
}

bool ByteCursor::ReadU32BE(uint32_t& value) {
    uint8_t bytes[4];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
    return true;
}

bool ByteCursor::ReadU64BE(uint64_t& value) {
    uint8_t bytes[8];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = 0;
    for (uint8_t byte : bytes) value = value << 8 | byte;
    return true;
}

bool ByteCursor::ReadU16LE(uint16_t& value) {
    uint8_t bytes[2];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = static_cast<uint16_t>(bytes[1] << 8 | bytes[0]);
    return true;
}

bool ByteCursor::SkipIf(std::string_view bytes) {
    if (bytes.size() > Remaining() || std::memcmp(data_ + position_, bytes.data(), bytes.size()) != 0) return false;
    position_ += bytes.size();
    return true;
}

bool ByteCursor::ReadU32LE(uint32_t& value) {
    uint8_t bytes[4];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[1]} << 8 | bytes[0];
    return true;
}

bool ByteCursor::ReadU64LE(uint64_t& value) {
    uint8_t bytes[8];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
    return true;
}

bool ByteCursor::SkipIfAnyCase(std::string_view bytes) {
    if (bytes.size() > Remaining()) return false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (AsciiUpper(data_[position_ + i]) != AsciiUpper(static_cast<uint8_t>(bytes[i]))) return false;
    }
    position_ += bytes.size();
    return true;
}

bool ByteCursor::ReadSyncsafe28(uint32_t& value) {
    uint8_t bytes[4];
    if (Remaining() < sizeof bytes) return false;
    std::memcpy(bytes, data_ + position_, sizeof bytes);
    uint32_t result = 0;
    for (uint8_t byte : bytes) {
        if (byte & kSyncsafeTopBit) return false;
        result = result << 7 | byte;
    }
    position_ += sizeof bytes;
    value = result;
    return true;
}

bool ByteCursor::Skip(uint64_t count) {
    if (count > Remaining()) return false;
    position_ += static_cast<size_t>(count);
    return true;
}

bool ByteCursor::Take(uint64_t count, ByteCursor& part) {
    if (count > Remaining()) return false;
    part = ByteCursor(data_ + position_, static_cast<size_t>(count));
    position_ += static_cast<size_t>(count);
    return true;
}

bool ByteCursor::TakeTerminated(size_t unitSize, ByteCursor& text) {
    if (unitSize == 0) return false;
    for (size_t length = 0; Remaining() - length >= unitSize; length += unitSize) {
        bool allZero = true;
        for (size_t i = 0; i < unitSize; ++i) allZero = allZero && data_[position_ + length + i] == 0;
        if (!allZero) continue;
        text = ByteCursor(data_ + position_, length);
        position_ += length + unitSize;
        return true;
    }
    return false;
}

bool ByteCursor::RestEquals(std::string_view text) const {
    return text.size() == Remaining() && (text.empty() || std::memcmp(data_ + position_, text.data(), text.size()) == 0);
}

bool ByteCursor::RestOffsetIn(const HeapBytes& whole, size_t& offset) const {
    const auto begin = reinterpret_cast<uintptr_t>(whole.data());
    const auto here = reinterpret_cast<uintptr_t>(data_ + position_);
    if (whole.data() == nullptr || here < begin || here - begin > whole.size()) return false;
    if (Remaining() > whole.size() - (here - begin)) return false;
    offset = here - begin;
    return true;
}
