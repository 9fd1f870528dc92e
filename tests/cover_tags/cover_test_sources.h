// Sources for the cover readers' tests: one that counts what is read from
// it, and two that claim to be far larger than the bytes they hold; plus a
// picture whose bytes hold what unsynchronisation changes.
#pragma once

#include "testbed/covers/cover_file_builders.h"
#include "cover/cover_tags.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// Passes reads on, counting every byte asked for.
class CountingSource final : public CoverSource {
public:
    explicit CountingSource(CoverSource& inner) : inner_(inner) {}
    uint64_t Size() const override { return inner_.Size(); }
    bool ReadAt(uint64_t offset, void* out, size_t size) override {
        bytesRead += size;
        ++reads;
        return inner_.ReadAt(offset, out, size);
    }
    uint64_t bytesRead = 0;
    uint64_t reads = 0;

private:
    CoverSource& inner_;
};

// The given bytes, then fill bytes up to a claimed size (a sparse file).
class ClaimedSizeSource final : public CoverSource {
public:
    ClaimedSizeSource(const std::vector<uint8_t>& start, uint64_t claimedSize, uint8_t fill = 0)
        : start_(start), size_(claimedSize), fill_(fill) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* out, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        auto* bytes = static_cast<uint8_t*>(out);
        const size_t held = offset < start_.size() ? std::min<size_t>(size, start_.size() - static_cast<size_t>(offset)) : 0;
        if (held > 0) std::memcpy(bytes, start_.data() + offset, held);
        if (size > held) std::memset(bytes + held, fill_, size - held);
        return true;
    }

private:
    const std::vector<uint8_t>& start_;
    uint64_t size_;
    uint8_t fill_;
};

// The given bytes with a run of zero bytes inserted at an offset: samples
// of gigabytes between the bytes a reader should need.
class GapSource final : public CoverSource {
public:
    GapSource(const std::vector<uint8_t>& bytes, size_t gapAt, uint64_t gapSize)
        : bytes_(bytes), gapAt_(gapAt), gapSize_(gapSize) {}
    uint64_t Size() const override { return bytes_.size() + gapSize_; }
    bool ReadAt(uint64_t offset, void* out, size_t size) override {
        if (offset > Size() || size > Size() - offset) return false;
        auto* bytes = static_cast<uint8_t*>(out);
        for (size_t i = 0; i < size; ++i) {
            const uint64_t at = offset + i;
            bytes[i] = at < gapAt_ ? bytes_[at] : at < gapAt_ + gapSize_ ? 0 : bytes_[at - gapSize_];
        }
        return true;
    }

private:
    const std::vector<uint8_t>& bytes_;
    size_t gapAt_;
    uint64_t gapSize_;
};

// A picture of the given size that starts like a JPEG file (FF D8 FF E0)
// and holds FF 00, FF E0 and FF FF pairs, which an unsynchronised tag
// stores stuffed; the rest is noise from seed.
inline std::vector<uint8_t> TestPicture(size_t size, uint32_t seed) {
    static const uint8_t kStart[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F',
                                     0xFF, 0x00, 0xFF, 0xFF, 0xE1, 0xFF, 0x00, 0x00};
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = i < sizeof kStart ? kStart[i] : static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

// What CoverFromTags finds, as a vector that tests compare and print.
inline std::vector<uint8_t> CoverIn(CoverSource& source) {
    const HeapBytes cover = CoverFromTags(source);
    return std::vector<uint8_t>(cover.data(), cover.data() + cover.size());
}

inline TagPicture PictureOf(size_t size, uint8_t type, uint32_t seed) {
    TagPicture picture;
    picture.bytes = TestPicture(size, seed);
    picture.type = type;
    return picture;
}
