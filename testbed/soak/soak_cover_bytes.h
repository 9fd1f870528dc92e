// Music files' bytes written field by field for the soak's cover events.
// Every length field is recorded where it lies, so that a mutation can
// later set it to a size no file has, and every picture where its bytes
// lie, so that one can be broken inside a tag that stays sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// How a number is laid out: ID3v2.4's sizes and every ID3 tag's own size
// keep seven bits a byte, FLAC's comments are little-endian, the rest is
// most significant first.
enum class NumberCoding { BigEndian, LittleEndian, Synchsafe };

struct LengthField {
    size_t offset;
    int size;  // bytes: 3, 4 or 8
    NumberCoding coding;
};

struct ByteSpan {
    size_t offset;
    size_t size;
};

// size bytes at offset of bytes, which must hold them.
void WriteNumber(Bytes& bytes, size_t offset, uint64_t value, int size, NumberCoding coding);
uint64_t ReadNumber(const Bytes& bytes, const LengthField& field);
// The largest value the field can hold in its coding.
uint64_t LargestNumber(const LengthField& field);

// A music file as built: its bytes, its length fields in the order they
// were written, where its tags end and its audio begins, and its pictures.
struct MusicFile {
    Bytes bytes;
    std::vector<LengthField> lengths;
    size_t tagEnd = 0;
    std::vector<ByteSpan> pictures;
};

// Appends to a MusicFile. A length is written as a placeholder first and
// filled in once what it counts has been written.
class MusicWriter {
public:
    void Put(const Bytes& bytes) { file_.bytes.insert(file_.bytes.end(), bytes.begin(), bytes.end()); }
    void Put(const std::string& text) { file_.bytes.insert(file_.bytes.end(), text.begin(), text.end()); }
    void PutByte(uint8_t byte) { file_.bytes.push_back(byte); }
    void PutNumber(uint64_t value, int size, NumberCoding coding = NumberCoding::BigEndian);
    void PutPicture(const Bytes& picture);

    // The field's index, for SetLength.
    size_t PutLength(int size, NumberCoding coding = NumberCoding::BigEndian);
    void SetLength(size_t field, uint64_t value);
    // Sets the field to the bytes written since `from`.
    void SetLengthSince(size_t field, size_t from) { SetLength(field, Size() - from); }

    void EndTags() { file_.tagEnd = Size(); }
    size_t Size() const { return file_.bytes.size(); }
    MusicFile Finish() { return std::move(file_); }

private:
    MusicFile file_;
};
