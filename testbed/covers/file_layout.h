// Where a built music file's parts lie: its length fields with their
// coding, its pictures' bytes and the stretch its tags take, so that a
// test or the soak can break exactly one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How a number is laid out: ID3v2.4's sizes and every ID3 tag's own size
// keep seven bits a byte; Vorbis comments, ASF, APEv2 and RIFF are
// little-endian; the rest is most significant first.
enum class NumberCoding { BigEndian, LittleEndian, Synchsafe };

struct LengthField {
    size_t offset;
    int size;  // bytes: 2, 3, 4 or 8
    NumberCoding coding;
};

struct ByteSpan {
    size_t offset;
    size_t size;
    size_t End() const { return offset + size; }
};

// Lengths and pictures stored transformed (unsynchronised, compressed,
// encrypted, or in base64) are not listed: their bytes are not where a
// reader meets them.
struct FileLayout {
    std::vector<LengthField> lengths;  // by offset
    std::vector<ByteSpan> pictures;    // by offset
    ByteSpan tags{0, 0};               // what a tag reader walks; audio lies outside it
};

// size bytes at offset of bytes, which must hold them.
void WriteNumber(std::vector<uint8_t>& bytes, size_t offset, uint64_t value, int size, NumberCoding coding);
uint64_t ReadNumber(const std::vector<uint8_t>& bytes, const LengthField& field);
// The largest value the field can hold in its coding.
uint64_t LargestNumber(const LengthField& field);
