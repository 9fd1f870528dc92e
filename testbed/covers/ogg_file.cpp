// Ogg files as RFC 3533 frames them, in pages laid out as libogg lays
// them: for Vorbis (xiph.org's Vorbis I document) the identification,
// comment and setup headers, for Opus (RFC 7845) OpusHead and OpusTags,
// each comment header with a METADATA_BLOCK_PICTURE per picture, then a
// page of audio; when asked, a second logical stream's page after each.
#include "testbed/covers/file_pieces.h"

#include <algorithm>
#include <utility>

using namespace cover_writers;

namespace {

// Ogg's CRC-32: polynomial 0x04C11DB7, no reflection, starting at 0.
uint32_t OggCrc(const Bytes& page) {
    uint32_t crc = 0;
    for (uint8_t byte : page) {
        crc ^= uint32_t{byte} << 24;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

struct OggStream {
    uint32_t serial = 0;
    uint32_t sequence = 0;
    bool begun = false;
};

// The places of body[from, from + size) that lie whole within it, moved to
// where that stretch starts in page.
void KeepPlacesWithin(const Piece& body, size_t from, size_t size, Piece& page) {
    const size_t shift = page.bytes.size();
    for (LengthField field : body.lengths) {
        if (field.offset < from || field.offset + static_cast<size_t>(field.size) > from + size) continue;
        field.offset = field.offset - from + shift;
        page.lengths.push_back(field);
    }
    for (ByteSpan picture : body.pictures) {
        if (picture.offset < from || picture.End() > from + size) continue;
        picture.offset = picture.offset - from + shift;
        page.pictures.push_back(picture);
    }
}

// Packets laid out in pages as libogg's flush lays them: a page closes once
// its body reaches the limit or its segment table is full, and the last
// page closes with the last packet. A page on which no packet ends has
// granule position -1. A length or picture that a page boundary splits is
// no longer where a reader meets it whole, and is not kept.
std::vector<Piece> OggPages(OggStream& stream, const std::vector<Piece>& packets, uint64_t granule, size_t bodyLimit) {
    Bytes lacing;
    Piece body;
    for (const Piece& packet : packets) {
        for (size_t left = packet.bytes.size();; left -= 255) {
            lacing.push_back(static_cast<uint8_t>(std::min<size_t>(left, 255)));
            if (left < 255) break;
        }
        Append(body, packet);
    }
    std::vector<Piece> pages;
    bool continued = false;
    for (size_t segment = 0, offset = 0; segment < lacing.size();) {
        size_t count = 0, size = 0;
        bool packetEnds = false;
        for (; segment + count < lacing.size() && count < 255 && size < bodyLimit; ++count) {
            size += lacing[segment + count];
            packetEnds = packetEnds || lacing[segment + count] < 255;
        }
        Piece page;
        Append(page.bytes, "OggS");
        PutU8(page.bytes, 0);
        PutU8(page.bytes, (continued ? 0x01 : 0) | (stream.begun ? 0 : 0x02));
        PutU64LE(page.bytes, packetEnds ? granule : ~0ull);
        PutU32LE(page.bytes, stream.serial);
        PutU32LE(page.bytes, stream.sequence++);
        PutU32LE(page.bytes, 0);  // the CRC, once the page is whole
        PutU8(page.bytes, static_cast<uint32_t>(count));
        page.bytes.insert(page.bytes.end(), lacing.begin() + segment, lacing.begin() + segment + count);
        KeepPlacesWithin(body, offset, size, page);
        page.bytes.insert(page.bytes.end(), body.bytes.begin() + offset, body.bytes.begin() + offset + size);
        const uint32_t crc = OggCrc(page.bytes);
        for (int i = 0; i < 4; ++i) page.bytes[22 + i] = static_cast<uint8_t>(crc >> 8 * i);
        continued = lacing[segment + count - 1] == 255;
        stream.begun = true;
        segment += count;
        offset += size;
        pages.push_back(page);
    }
    return pages;
}

Bytes VorbisIdentification() {
    Bytes packet;
    Append(packet, "\x01vorbis");
    PutU32LE(packet, 0);  // version
    PutU8(packet, 2);     // channels
    PutU32LE(packet, 44100);
    for (int i = 0; i < 3; ++i) PutU32LE(packet, 0);  // no bitrates given
    PutU8(packet, 0xB8);  // blocks of 256 and 2048 samples
    PutU8(packet, 1);     // framing
    return packet;
}

Bytes OpusHead() {
    Bytes packet;
    Append(packet, "OpusHead");
    PutU8(packet, 1);  // version
    PutU8(packet, 2);  // channels
    PutU16LE(packet, 312);  // pre-skip
    PutU32LE(packet, 44100);
    PutU16LE(packet, 0);  // gain
    PutU8(packet, 0);     // mono or stereo, no mapping table
    return packet;
}

}  // namespace

std::vector<uint8_t> BuildOggFile(const std::vector<TagPicture>& pictures, const OggOptions& options,
                                  FileLayout* layout) {
    Piece comments;
    Append(comments.bytes, options.opus ? "OpusTags" : "\x03vorbis");
    Append(comments, VorbisCommentList(pictures, options.lowerCaseKey));
    std::vector<Piece> headers = {comments};
    if (!options.opus) {
        PutU8(headers[0].bytes, 1);  // Vorbis's framing bit
        Bytes setup;  // its codebooks are no cover reader's concern
        Append(setup, "\x05vorbis");
        setup.resize(setup.size() + 40, 0x5A);
        headers.push_back(Plain(setup));
    }
    // An audio packet: for Opus a TOC byte, for Vorbis a zero type bit.
    const Piece audio = Plain(options.opus ? Bytes{0xFC, 0xFF, 0xFE} : Bytes{0x00, 0x21, 0x43});
    OggStream first{0x5045, 0, false};
    std::vector<Piece> pages =
        OggPages(first, {Plain(options.opus ? OpusHead() : VorbisIdentification())}, 0, options.pageBodyLimit);
    const std::vector<Piece> headerPages = OggPages(first, headers, 0, options.pageBodyLimit);
    pages.insert(pages.end(), headerPages.begin(), headerPages.end());
    const size_t firstAudioPage = pages.size();
    const std::vector<Piece> audioPages = OggPages(first, {audio, audio}, 2048, options.pageBodyLimit);
    pages.insert(pages.end(), audioPages.begin(), audioPages.end());
    Piece file;
    ByteSpan tags = {0, 0};
    OggStream second{0x0B0E, 0, false};
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i == firstAudioPage) tags.size = file.bytes.size();
        Append(file, pages[i]);
        // Its own first page, then pages already past their headers.
        if (options.secondStream) {
            Append(file.bytes, OggPages(second, {Plain(Bytes(30, static_cast<uint8_t>(i)))}, i * 1000, 4096)[0].bytes);
        }
    }
    return Finished(std::move(file), tags, layout);
}
