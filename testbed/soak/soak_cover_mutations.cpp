// Each mutation draws its place and its value from the soak's seed.
#include "testbed/soak/soak_cover_mutations.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMostFlips = 16;
// A PNG's signature and IHDR chunk.
constexpr size_t kPngHeaderSize = 33;
constexpr uint8_t kJpegStartOfScan = 0xDA;

size_t Draw(std::mt19937& random, size_t low, size_t high) {
    return std::uniform_int_distribution<size_t>(low, high)(random);
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// The nearest length field before the first picture: the one that counts
// it (an ID3 frame's size, a FLAC picture's data length, an MP4 data box's
// size, an ASF picture's or an APEv2 item's size).
const LengthField* PictureLength(const MusicFile& file) {
    if (file.layout.pictures.empty()) return nullptr;
    const LengthField* nearest = nullptr;
    for (const LengthField& field : file.layout.lengths)
        if (field.offset < file.layout.pictures.front().offset) nearest = &field;
    return nearest;
}

uint64_t ClaimedPictureLength(const MusicFile& file, const LengthField& field) {
    return ReadNumber(file.bytes, field) + (kClaimedPictureBytes - file.layout.pictures.front().size);
}

MutatedFile Truncated(const MusicFile& file, std::mt19937& random) {
    const ByteSpan tags = file.layout.tags;
    const size_t cut = Draw(random, tags.offset + 1, tags.End() - 1);
    return {Bytes(file.bytes.begin(), file.bytes.begin() + static_cast<std::ptrdiff_t>(cut)),
            "cut at " + std::to_string(cut)};
}

MutatedFile LengthSet(const MusicFile& file, std::mt19937& random) {
    MutatedFile mutated = {file.bytes, ""};
    const std::vector<LengthField>& lengths = file.layout.lengths;
    const LengthField& field = lengths[Draw(random, 0, lengths.size() - 1)];
    const uint64_t largest = LargestNumber(field);
    uint64_t value = 0;
    switch (Draw(random, 0, 5)) {
    case 0:
        // Every bit set, a synchsafe field's high bits included.
        std::fill_n(mutated.bytes.begin() + static_cast<std::ptrdiff_t>(field.offset), field.size, uint8_t{0xFF});
        mutated.what = "length at " + std::to_string(field.offset) + " all ones";
        return mutated;
    case 1: value = largest - Draw(random, 0, 16); break;
    case 2: value = std::min<uint64_t>(largest, 0x80000000u); break;
    case 3: value = std::min<uint64_t>(largest, file.bytes.size() - field.offset + 1); break;  // just past the end
    case 4: value = 0; break;
    default: value = Draw(random, 1, 7); break;  // shorter than any header
    }
    // A length that happens to be right already would break nothing.
    if (value == ReadNumber(file.bytes, field)) value = largest;
    WriteNumber(mutated.bytes, field.offset, value, field.size, field.coding);
    mutated.what = "length at " + std::to_string(field.offset) + " set to " + Hex(value);
    return mutated;
}

MutatedFile BytesFlipped(const MusicFile& file, std::mt19937& random) {
    MutatedFile mutated = {file.bytes, "bytes changed at"};
    for (size_t flips = Draw(random, 1, kMostFlips); flips > 0; --flips) {
        const size_t at = Draw(random, file.layout.tags.offset, file.layout.tags.End() - 1);
        mutated.bytes[at] ^= static_cast<uint8_t>(Draw(random, 1, 255));
        mutated.what += " " + std::to_string(at);
    }
    return mutated;
}

MutatedFile RandomBody(const MusicFile& file, std::mt19937& random) {
    MutatedFile mutated = {file.bytes, ""};
    const ByteSpan tags = file.layout.tags;
    const size_t kept = Draw(random, 4, 16);
    for (size_t at = tags.offset + kept; at < tags.End(); ++at)
        mutated.bytes[at] = static_cast<uint8_t>(Draw(random, 0, 255));
    mutated.what = "random after " + std::to_string(kept) + " bytes";
    return mutated;
}

// How much of a picture its header takes: a PNG's IHDR, a JPEG's segments
// up to and with the start of its scan. Half the picture when the bytes
// say otherwise.
size_t PictureHeaderSize(const Bytes& bytes, const ByteSpan& picture) {
    const size_t end = picture.offset + picture.size, half = picture.size / 2;
    if (picture.size > kPngHeaderSize && bytes[picture.offset] == 0x89) return kPngHeaderSize;
    for (size_t at = picture.offset + 2; at + 4 <= end && bytes[at] == 0xFF;) {
        const size_t next = at + 2 + static_cast<size_t>(ReadNumber(bytes, {at + 2, 2, NumberCoding::BigEndian}));
        if (next >= end) break;
        if (bytes[at + 1] == kJpegStartOfScan) return next - picture.offset;
        at = next;
    }
    return half;
}

// Broken after its header, so that it reaches the decoder.
MutatedFile PictureBroken(const MusicFile& file, std::mt19937& random) {
    MutatedFile mutated = {file.bytes, ""};
    const std::vector<ByteSpan>& pictures = file.layout.pictures;
    const ByteSpan picture = pictures[Draw(random, 0, pictures.size() - 1)];
    const size_t from = picture.offset + PictureHeaderSize(file.bytes, picture);
    const size_t end = picture.offset + picture.size;
    if (Draw(random, 0, 1) == 0) {
        std::fill(mutated.bytes.begin() + static_cast<std::ptrdiff_t>(from),
                  mutated.bytes.begin() + static_cast<std::ptrdiff_t>(end), uint8_t{0});
        mutated.what = "picture zeroed from " + std::to_string(from);
        return mutated;
    }
    mutated.what = "picture bytes changed at";
    for (int flips = 0; flips < kMostFlips; ++flips) {
        const size_t at = Draw(random, from, end - 1);
        mutated.bytes[at] ^= static_cast<uint8_t>(Draw(random, 1, 255));
        mutated.what += " " + std::to_string(at);
    }
    return mutated;
}

MutatedFile PictureClaimsHuge(const MusicFile& file) {
    MutatedFile mutated = {file.bytes, ""};
    const LengthField& field = *PictureLength(file);
    const uint64_t value = ClaimedPictureLength(file, field);
    WriteNumber(mutated.bytes, field.offset, value, field.size, field.coding);
    mutated.what = "picture's length at " + std::to_string(field.offset) + " set to " + Hex(value);
    return mutated;
}

}  // namespace

bool CanMutate(const MusicFile& file, Mutation mutation) {
    switch (mutation) {
    case Mutation::Truncated:
    case Mutation::BytesFlipped:
    case Mutation::RandomBody: return file.layout.tags.size > 16;
    case Mutation::LengthSet: return !file.layout.lengths.empty();
    case Mutation::PictureBroken: return !file.layout.pictures.empty() && file.layout.pictures.front().size > 1;
    case Mutation::PictureClaimsHuge: {
        const LengthField* field = PictureLength(file);
        return field != nullptr && ClaimedPictureLength(file, *field) <= LargestNumber(*field);
    }
    }
    return false;
}

MutatedFile Mutate(const MusicFile& file, Mutation mutation, std::mt19937& random) {
    switch (mutation) {
    case Mutation::Truncated: return Truncated(file, random);
    case Mutation::LengthSet: return LengthSet(file, random);
    case Mutation::BytesFlipped: return BytesFlipped(file, random);
    case Mutation::RandomBody: return RandomBody(file, random);
    case Mutation::PictureBroken: return PictureBroken(file, random);
    case Mutation::PictureClaimsHuge: return PictureClaimsHuge(file);
    }
    return {file.bytes, "unchanged"};
}
