// The cover in an Ogg Vorbis or Opus file: a METADATA_BLOCK_PICTURE in the
// comment header, the second packet of the file's first logical stream.
// A first walk reads only page headers, to learn which pages hold the
// comment packet and how large it is; the second reads that stretch of
// the file at once and moves the packet's pieces together in place, page
// header by page header, so the buffer ends up holding the packet alone.
// Page CRCs are not checked: that would take every page's body, and a
// picture spoilt on the way is the picture decoder's to refuse.
#include "cover/byte_cursor.h"
#include "cover/cover_formats.h"
#include "cover/flac_picture.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kCapturePattern = "OggS";
constexpr uint8_t kStreamVersion = 0;
constexpr uint8_t kFirstPageOfStream = 0x02;
constexpr size_t kPageHeaderSize = 27;  // up to the segment count
constexpr uint64_t kSequenceAndCrcSize = 8;
constexpr size_t kMostSegments = 255;
constexpr uint8_t kWholeSegment = 255;  // a lacing value that does not end its packet
constexpr uint32_t kCommentPacket = 1;  // after the identification header
constexpr uint64_t kCommentPacketLimit = kCoverReadLimit;
constexpr std::string_view kVorbisComment = "\x03vorbis";
constexpr std::string_view kOpusTags = "OpusTags";

struct Page {
    uint8_t flags = 0;
    bool headerGranule = false;
    uint32_t serial = 0;
    uint8_t segments = 0;
    std::array<uint8_t, kMostSegments> lacing{};
    uint64_t bodySize = 0;
};

// The first stream's packets counted so far, and whether the comment
// packet has ended.
struct StreamState {
    uint32_t serial = 0;
    uint32_t packetsEnded = 0;
    bool commentEnded = false;
};

// The part of a page's body that belongs to the comment packet.
struct BodyPart {
    uint64_t begin = 0;
    uint64_t end = 0;
};

bool ReadPageHeader(ByteCursor& bytes, Page& page) {
    uint8_t version = 0;
    uint32_t granuleLow = 0, granuleHigh = 0;
    if (!bytes.SkipIf(kCapturePattern) || !bytes.ReadU8(version) || version != kStreamVersion ||
        !bytes.ReadU8(page.flags) || !bytes.ReadU32LE(granuleLow) || !bytes.ReadU32LE(granuleHigh) ||
        !bytes.ReadU32LE(page.serial) || !bytes.Skip(kSequenceAndCrcSize) || !bytes.ReadU8(page.segments) ||
        !bytes.ReadBytes(page.lacing.data(), page.segments)) {
        return false;
    }
    // Header pages carry granule position 0, or -1 where no packet ends on
    // the page; anything else is audio.
    page.headerGranule = (granuleLow == 0 && granuleHigh == 0) || (granuleLow == ~0u && granuleHigh == ~0u);
    page.bodySize = 0;
    for (size_t i = 0; i < page.segments; ++i) page.bodySize += page.lacing[i];
    return true;
}

BodyPart CommentPartOf(const Page& page, StreamState& stream) {
    BodyPart part;
    uint64_t offset = 0;
    for (size_t i = 0; i < page.segments && !stream.commentEnded; ++i) {
        const bool inComment = stream.packetsEnded == kCommentPacket;
        offset += page.lacing[i];
        (inComment ? part.end : part.begin) = offset;
        if (page.lacing[i] != kWholeSegment) stream.commentEnded = ++stream.packetsEnded > kCommentPacket;
    }
    part.end = std::max(part.end, part.begin);
    return part;
}

// Where the comment packet's pages lie in the file, and the stream's state
// at the first of them.
struct CommentPages {
    uint64_t begin = 0;
    uint64_t end = 0;
    StreamState atBegin;
};

// Each page costs one read, so the budget's kCoverReadCountLimit bounds
// the pages walked.
bool FindCommentPages(CoverReadBudget& file, CommentPages& found) {
    StreamState stream;
    uint64_t offset = 0, packetSize = 0;
    bool begun = false;
    for (bool firstPage = true; !stream.commentEnded; firstPage = false) {
        if (offset > file.FileSize()) return false;
        std::array<uint8_t, kPageHeaderSize + kMostSegments> header;
        const size_t readable = static_cast<size_t>(std::min<uint64_t>(header.size(), file.FileSize() - offset));
        ByteCursor bytes(header.data(), readable);
        Page page;
        if (!file.ReadAt(offset, header.data(), readable) || !ReadPageHeader(bytes, page)) return false;
        if (firstPage) {
            if (!(page.flags & kFirstPageOfStream)) return false;
            stream.serial = page.serial;
        }
        const uint64_t pageStart = offset;
        offset += bytes.Position() + page.bodySize;
        if (page.serial != stream.serial) continue;
        if (!page.headerGranule) return false;
        const StreamState before = stream;
        const BodyPart part = CommentPartOf(page, stream);
        if (part.end == part.begin) continue;
        if (!begun) {
            found.begin = pageStart;
            found.atBegin = before;
            begun = true;
        }
        packetSize += part.end - part.begin;
        if (packetSize > kCommentPacketLimit) return false;
    }
    found.end = offset;
    return begun;
}

// Moves the comment packet's pieces to the front of pages, which holds the
// pages found; false when they are not what the first walk saw.
bool JoinCommentPacket(HeapBytes& pages, StreamState stream) {
    ByteCursor walk(pages);
    size_t joined = 0;
    while (!stream.commentEnded) {
        Page page;
        ByteCursor body;
        size_t bodyOffset = 0;
        if (!ReadPageHeader(walk, page) || !walk.RestOffsetIn(pages, bodyOffset) || !walk.Take(page.bodySize, body)) {
            return false;
        }
        if (page.serial != stream.serial) continue;
        // Both ends lie inside the body just taken, and the packet's joined
        // bytes never reach past the piece being moved.
        const BodyPart part = CommentPartOf(page, stream);
        const size_t size = static_cast<size_t>(part.end - part.begin);
        if (size > 0) std::memmove(pages.data() + joined, pages.data() + bodyOffset + part.begin, size);
        joined += size;
    }
    return pages.KeepOnly(0, joined);
}

}  // namespace

HeapBytes FindOggCover(CoverReadBudget& file) {
    CommentPages found;
    HeapBytes packet;
    if (!FindCommentPages(file, found) || !file.ReadAt(found.begin, found.end - found.begin, packet) ||
        !JoinCommentPacket(packet, found.atBegin)) {
        return {};
    }
    ByteCursor start(packet);
    CoverChoice<PictureSpan> choice;
    if ((!start.SkipIf(kVorbisComment) && !start.SkipIf(kOpusTags)) ||
        !OfferCommentPictures(packet, start.Position(), choice) || !choice.Chosen()) {
        return {};
    }
    return CutOut(std::move(packet), *choice.Chosen());
}
