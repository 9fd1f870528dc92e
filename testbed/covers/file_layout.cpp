// Numbers in the codings music tags use.
#include "testbed/covers/file_layout.h"

namespace {

int BitsPerByte(NumberCoding coding) { return coding == NumberCoding::Synchsafe ? 7 : 8; }

// The byte at index i (0: the least significant) of a field of size bytes.
size_t ByteAt(const LengthField& field, int i) {
    return field.offset + static_cast<size_t>(field.coding == NumberCoding::LittleEndian ? i : field.size - 1 - i);
}

}  // namespace

void WriteNumber(std::vector<uint8_t>& bytes, size_t offset, uint64_t value, int size, NumberCoding coding) {
    const LengthField field = {offset, size, coding};
    const int bits = BitsPerByte(coding);
    const uint64_t byteMask = (1u << bits) - 1;
    for (int i = 0; i < size; ++i) bytes[ByteAt(field, i)] = static_cast<uint8_t>((value >> (bits * i)) & byteMask);
}

uint64_t ReadNumber(const std::vector<uint8_t>& bytes, const LengthField& field) {
    uint64_t value = 0;
    const int bits = BitsPerByte(field.coding);
    for (int i = 0; i < field.size; ++i) value |= static_cast<uint64_t>(bytes[ByteAt(field, i)]) << (bits * i);
    return value;
}

uint64_t LargestNumber(const LengthField& field) {
    const int bits = BitsPerByte(field.coding) * field.size;
    return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
}
