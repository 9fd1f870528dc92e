// The cover picture of the playing song, as stored in its file's tags: an
// ID3v2 tag (2.2, 2.3 or 2.4) at the start of the file, FLAC picture
// blocks or comments, an MP4 file's iTunes-style covr item, an Ogg Vorbis
// or Opus comment, an ASF file's WM/Picture, an APEv2 tag at the end of the
// file, or a WAV or AIFF file's ID3 chunk. The file is read through
// CoverSource, so a worker can hand in a file or bytes in memory; nothing
// here calls the system.
#pragma once

#include "cover/byte_cursor.h"
#include "cover/heap_bytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Random, bounded access to one file's bytes.
class CoverSource {
public:
    virtual ~CoverSource() = default;
    virtual uint64_t Size() const = 0;
    // Copies size bytes at offset to out; false unless all of them were read.
    virtual bool ReadAt(uint64_t offset, void* out, size_t size) = 0;
};

// Bytes already in memory, which must outlive the source.
class MemoryCoverSource final : public CoverSource {
public:
    MemoryCoverSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit MemoryCoverSource(const std::vector<uint8_t>& bytes) : MemoryCoverSource(bytes.data(), bytes.size()) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* out, size_t size) override {
        ByteCursor bytes(data_, size_);
        return bytes.Skip(offset) && bytes.ReadBytes(out, size);
    }

private:
    const uint8_t* data_;
    size_t size_;
};

constexpr size_t kCoverReadLimit = 16u * 1024 * 1024;  // bytes read from one file, at most

// The cover picture's bytes found in the file's tags, or empty when there is
// none, the tags are bad or the heap could not hold them. The front cover
// wins over other pictures in the same tag, else the first picture does.
// At most kCoverReadLimit bytes of the file are read and held. When asked,
// *heapRanShort says whether a block the readers needed could not be had:
// then an empty result is no word on the file, which may hold a cover.
HeapBytes CoverFromTags(CoverSource& file, bool* heapRanShort = nullptr);
