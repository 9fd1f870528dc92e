// Music files laid out as their formats' documents describe them, so that
// a cover reader's tests do not lean on the reader's own idea of the bytes.
#include "testbed/covers/cover_file_builders.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void Append(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
void PutU8(Bytes& out, uint32_t value) { out.push_back(static_cast<uint8_t>(value)); }
void PutU16BE(Bytes& out, uint32_t value) {
    PutU8(out, value >> 8);
    PutU8(out, value);
}
void PutU16LE(Bytes& out, uint32_t value) {
    PutU8(out, value);
    PutU8(out, value >> 8);
}
void PutU24BE(Bytes& out, uint32_t value) {
    PutU8(out, value >> 16);
    PutU16BE(out, value);
}
void PutU32BE(Bytes& out, uint32_t value) {
    PutU16BE(out, value >> 16);
    PutU16BE(out, value);
}
void PutU64BE(Bytes& out, uint64_t value) {
    PutU32BE(out, static_cast<uint32_t>(value >> 32));
    PutU32BE(out, static_cast<uint32_t>(value));
}
void PutU32LE(Bytes& out, uint32_t value) {
    PutU16LE(out, value);
    PutU16LE(out, value >> 16);
}
// Seven bits to a byte, most significant first.
void PutSyncsafe(Bytes& out, uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) PutU8(out, (value >> shift) & 0x7F);
}

// Characters of the Basic Multilingual Plane only.
Bytes Utf8(const std::u16string& text) {
    Bytes out;
    for (char16_t c : text) {
        if (c < 0x80) {
            PutU8(out, c);
        } else if (c < 0x800) {
            PutU8(out, 0xC0 | c >> 6);
            PutU8(out, 0x80 | (c & 0x3F));
        } else {
            PutU8(out, 0xE0 | c >> 12);
            PutU8(out, 0x80 | ((c >> 6) & 0x3F));
            PutU8(out, 0x80 | (c & 0x3F));
        }
    }
    return out;
}

// ID3's text encodings, each with its own terminator.
Bytes Id3Text(const std::u16string& text, uint8_t encoding) {
    Bytes out;
    switch (encoding) {
    case 0:
        for (char16_t c : text) PutU8(out, c);
        PutU8(out, 0);
        break;
    case 1:
        PutU16LE(out, 0xFEFF);
        for (char16_t c : text) PutU16LE(out, c);
        PutU16LE(out, 0);
        break;
    case 2:
        for (char16_t c : text) PutU16BE(out, c);
        PutU16BE(out, 0);
        break;
    default:
        out = Utf8(text);
        PutU8(out, 0);
        break;
    }
    return out;
}

// A zero byte after every 0xFF that comes before a byte with its top three
// bits set, before a zero byte, or at the end.
Bytes Unsynchronise(const Bytes& data) {
    Bytes out;
    for (size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && (i + 1 == data.size() || data[i + 1] == 0 || data[i + 1] >= 0xE0)) out.push_back(0);
    }
    return out;
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes ZlibStored(const Bytes& data) {
    Bytes out = {0x78, 0x01};
    size_t done = 0;
    do {
        const size_t chunk = std::min<size_t>(0xFFFF, data.size() - done);
        PutU8(out, done + chunk == data.size() ? 1 : 0);
        PutU16LE(out, static_cast<uint32_t>(chunk));
        PutU16LE(out, static_cast<uint32_t>(~chunk));
        out.insert(out.end(), data.begin() + done, data.begin() + done + chunk);
        done += chunk;
    } while (done < data.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutU32BE(out, b << 16 | a);
    return out;
}

constexpr uint8_t kEncryptionMethod = 0x80;
constexpr uint8_t kEncryptionKey = 0x5A;

std::string V22ImageFormat(const std::string& mime) {
    if (mime == "image/png") return "PNG";
    if (mime == "image/gif") return "GIF";
    if (mime == "image/bmp") return "BMP";
    if (mime == "-->") return mime;  // the data is a link
    return "JPG";
}

Bytes Id3Frame(int version, std::string_view id, const Bytes& content, uint8_t formatFlags) {
    Bytes frame;
    Append(frame, id);
    if (version == 2) {
        PutU24BE(frame, static_cast<uint32_t>(content.size()));
    } else {
        if (version == 3) PutU32BE(frame, static_cast<uint32_t>(content.size()));
        if (version == 4) PutSyncsafe(frame, static_cast<uint32_t>(content.size()));
        PutU8(frame, 0);
        PutU8(frame, formatFlags);
    }
    Append(frame, content);
    return frame;
}

Bytes PictureFrameData(const TagPicture& picture, int version) {
    Bytes data;
    PutU8(data, picture.descriptionEncoding);
    if (version == 2) {
        Append(data, V22ImageFormat(picture.mime));
    } else {
        Append(data, picture.mime);
        PutU8(data, 0);
    }
    PutU8(data, picture.type);
    Append(data, Id3Text(picture.description, picture.descriptionEncoding));
    Append(data, picture.bytes);
    return data;
}

// A 2.3 or 2.4 frame's content after its header, with the flags that say
// how it is stored.
Bytes StoredFrameContent(const Bytes& data, const Id3Options& options, bool picture, TagPicture::Storage storage,
                         uint8_t& flags) {
    const bool v4 = options.version == 4;
    Bytes content;
    flags = 0;
    switch (storage) {
    case TagPicture::Storage::kCompressed:
        flags = v4 ? 0x08 | 0x01 : 0x80;
        if (v4) PutSyncsafe(content, static_cast<uint32_t>(data.size()));
        if (!v4) PutU32BE(content, static_cast<uint32_t>(data.size()));
        Append(content, ZlibStored(data));
        break;
    case TagPicture::Storage::kEncrypted:
        flags = v4 ? 0x04 : 0x40;
        PutU8(content, kEncryptionMethod);
        for (uint8_t byte : data) PutU8(content, byte ^ kEncryptionKey);
        break;
    case TagPicture::Storage::kPlain:
        if (v4 && picture && options.dataLengthIndicator) {
            flags |= 0x01;
            PutSyncsafe(content, static_cast<uint32_t>(data.size()));
        }
        Append(content, data);
        break;
    }
    if (v4 && (options.unsynchronised || options.framesUnsynchronised)) {
        if (options.framesUnsynchronised) flags |= 0x02;
        content = Unsynchronise(content);
    }
    return content;
}

Bytes Frames(const std::vector<TagPicture>& pictures, const Id3Options& options) {
    const int version = options.version;
    const bool v22 = version == 2;
    Bytes frames;
    uint8_t flags = 0;
    const Bytes title = {0, 'S', 'o', 'n', 'g'};
    Bytes content = v22 ? title : StoredFrameContent(title, options, false, TagPicture::Storage::kPlain, flags);
    Append(frames, Id3Frame(version, v22 ? "TT2" : "TIT2", content, flags));

    const bool anyEncrypted = std::any_of(pictures.begin(), pictures.end(), [](const TagPicture& p) {
        return p.storage == TagPicture::Storage::kEncrypted;
    });
    if (!v22 && anyEncrypted) {
        Bytes registration;
        Append(registration, "mailto:covers@example.invalid");
        PutU8(registration, 0);
        PutU8(registration, kEncryptionMethod);
        content = StoredFrameContent(registration, options, false, TagPicture::Storage::kPlain, flags);
        Append(frames, Id3Frame(version, "ENCR", content, flags));
    }
    for (const TagPicture& picture : pictures) {
        const Bytes data = PictureFrameData(picture, version);
        if (v22) {
            Append(frames, Id3Frame(version, "PIC", data, 0));
            continue;
        }
        content = StoredFrameContent(data, options, true, picture.storage, flags);
        Append(frames, Id3Frame(version, "APIC", content, flags));
    }
    return frames;
}

void PutU64LE(Bytes& out, uint64_t value) {
    PutU32LE(out, static_cast<uint32_t>(value));
    PutU32LE(out, static_cast<uint32_t>(value >> 32));
}

Bytes Utf16Le(const std::u16string& text) {
    Bytes out;
    for (char16_t c : text) PutU16LE(out, c);
    PutU16LE(out, 0);
    return out;
}

Bytes Base64(const Bytes& data) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    Bytes out;
    for (size_t i = 0; i < data.size(); i += 3) {
        const size_t left = data.size() - i;
        const uint32_t group = uint32_t{data[i]} << 16 | (left > 1 ? data[i + 1] << 8 : 0) | (left > 2 ? data[i + 2] : 0);
        for (size_t k = 0; k < 4; ++k) out.push_back(k <= left ? kAlphabet[group >> (18 - 6 * k) & 0x3F] : '=');
    }
    return out;
}

// A FLAC PICTURE block's content, as a FLAC stream or a comment holds it.
Bytes FlacPictureBlock(const TagPicture& picture) {
    Bytes data;
    const Bytes description = Utf8(picture.description);
    PutU32BE(data, picture.type);
    PutU32BE(data, static_cast<uint32_t>(picture.mime.size()));
    Append(data, picture.mime);
    PutU32BE(data, static_cast<uint32_t>(description.size()));
    Append(data, description);
    for (uint32_t field : {300u, 300u, 24u, 0u}) PutU32BE(data, field);  // width, height, depth, palette
    PutU32BE(data, static_cast<uint32_t>(picture.bytes.size()));
    Append(data, picture.bytes);
    return data;
}

// A Vorbis comment list: the vendor, a title, and a METADATA_BLOCK_PICTURE
// per picture, the FLAC picture block in base64.
Bytes VorbisCommentList(const std::vector<TagPicture>& pictures, bool lowerCaseKey) {
    std::vector<Bytes> comments = {{'T', 'I', 'T', 'L', 'E', '=', 'S', 'o', 'n', 'g'}};
    for (const TagPicture& picture : pictures) {
        Bytes comment;
        Append(comment, lowerCaseKey ? "metadata_block_picture=" : "METADATA_BLOCK_PICTURE=");
        Append(comment, Base64(FlacPictureBlock(picture)));
        comments.push_back(comment);
    }
    Bytes list;
    const std::string_view vendor = "pelorin tests";
    PutU32LE(list, static_cast<uint32_t>(vendor.size()));
    Append(list, vendor);
    PutU32LE(list, static_cast<uint32_t>(comments.size()));
    for (const Bytes& comment : comments) {
        PutU32LE(list, static_cast<uint32_t>(comment.size()));
        Append(list, comment);
    }
    return list;
}

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

// Packets laid out in pages as libogg's flush lays them: a page closes once
// its body reaches the limit or its segment table is full, and the last
// page closes with the last packet. A page on which no packet ends has
// granule position -1.
std::vector<Bytes> OggPages(OggStream& stream, const std::vector<Bytes>& packets, uint64_t granule, size_t bodyLimit) {
    Bytes lacing, body;
    for (const Bytes& packet : packets) {
        for (size_t left = packet.size();; left -= 255) {
            lacing.push_back(static_cast<uint8_t>(std::min<size_t>(left, 255)));
            if (left < 255) break;
        }
        Append(body, packet);
    }
    std::vector<Bytes> pages;
    bool continued = false;
    for (size_t segment = 0, offset = 0; segment < lacing.size();) {
        size_t count = 0, size = 0;
        bool packetEnds = false;
        for (; segment + count < lacing.size() && count < 255 && size < bodyLimit; ++count) {
            size += lacing[segment + count];
            packetEnds = packetEnds || lacing[segment + count] < 255;
        }
        Bytes page;
        Append(page, "OggS");
        PutU8(page, 0);
        PutU8(page, (continued ? 0x01 : 0) | (stream.begun ? 0 : 0x02));
        PutU64LE(page, packetEnds ? granule : ~0ull);
        PutU32LE(page, stream.serial);
        PutU32LE(page, stream.sequence++);
        PutU32LE(page, 0);  // the CRC, once the page is whole
        PutU8(page, static_cast<uint32_t>(count));
        page.insert(page.end(), lacing.begin() + segment, lacing.begin() + segment + count);
        page.insert(page.end(), body.begin() + offset, body.begin() + offset + size);
        const uint32_t crc = OggCrc(page);
        for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<uint8_t>(crc >> 8 * i);
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

Bytes AsfGuid(std::string_view bytes) { return Bytes(bytes.begin(), bytes.end()); }

Bytes AsfObject(std::string_view guid, const Bytes& content) {
    Bytes object = AsfGuid(guid);
    PutU64LE(object, 24 + content.size());
    Append(object, content);
    return object;
}

constexpr std::string_view kAsfHeader{"\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
constexpr std::string_view kAsfData{"\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
constexpr std::string_view kAsfContentDescription{"\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16};
constexpr std::string_view kAsfExtendedContentDescription{"\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16};
constexpr std::string_view kAsfHeaderExtension{"\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65", 16};
constexpr std::string_view kAsfReserved1{"\x11\xD2\xD3\xAB\xBA\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16};
constexpr std::string_view kAsfMetadataLibrary{"\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54", 16};
constexpr uint16_t kAsfUnicode = 0, kAsfByteArray = 1;

// WM/Picture's value: type, size, MIME type and description, then the bytes.
Bytes WmPicture(const TagPicture& picture) {
    Bytes value;
    PutU8(value, picture.type);
    PutU32LE(value, static_cast<uint32_t>(picture.bytes.size()));
    Append(value, Utf16Le(std::u16string(picture.mime.begin(), picture.mime.end())));
    Append(value, Utf16Le(picture.description));
    Append(value, picture.bytes);
    return value;
}

void PutContentDescriptor(Bytes& out, const std::u16string& name, uint16_t type, const Bytes& value) {
    const Bytes nameBytes = Utf16Le(name);
    PutU16LE(out, static_cast<uint32_t>(nameBytes.size()));
    Append(out, nameBytes);
    PutU16LE(out, type);
    PutU16LE(out, static_cast<uint32_t>(value.size()));
    Append(out, value);
}

void PutLibraryRecord(Bytes& out, const std::u16string& name, uint16_t type, const Bytes& value) {
    const Bytes nameBytes = Utf16Le(name);
    PutU16LE(out, 0);  // language list index
    PutU16LE(out, 0);  // the whole file, not a stream
    PutU16LE(out, static_cast<uint32_t>(nameBytes.size()));
    PutU16LE(out, type);
    PutU32LE(out, static_cast<uint32_t>(value.size()));
    Append(out, nameBytes);
    Append(out, value);
}

Bytes ApeItem(std::string_view key, uint32_t flags, const Bytes& value) {
    Bytes item;
    PutU32LE(item, static_cast<uint32_t>(value.size()));
    PutU32LE(item, flags);
    Append(item, key);
    PutU8(item, 0);
    Append(item, value);
    return item;
}

Bytes ApeHeaderOrFooter(uint32_t tagSize, uint32_t itemCount, uint32_t flags) {
    Bytes out;
    Append(out, "APETAGEX");
    PutU32LE(out, 2000);
    PutU32LE(out, tagSize);
    PutU32LE(out, itemCount);
    PutU32LE(out, flags);
    out.resize(out.size() + 8, 0);
    return out;
}

// A RIFF or IFF chunk, its body padded to an even length.
Bytes Chunk(std::string_view id, const Bytes& body, bool bigEndian, uint32_t claimedSize) {
    Bytes chunk;
    Append(chunk, id);
    bigEndian ? PutU32BE(chunk, claimedSize) : PutU32LE(chunk, claimedSize);
    Append(chunk, body);
    if (chunk.size() % 2 != 0) PutU8(chunk, 0);
    return chunk;
}

Bytes Chunk(std::string_view id, const Bytes& body, bool bigEndian) {
    return Chunk(id, body, bigEndian, static_cast<uint32_t>(body.size()));
}

// AIFF's COMM chunk: two channels of 16 bits at 44.1 kHz, the rate as an
// 80-bit extended number; AIFC adds its compression type and name.
Bytes AiffCommon(uint32_t frames, bool aifc) {
    Bytes comm;
    PutU16BE(comm, 2);
    PutU32BE(comm, frames);
    PutU16BE(comm, 16);
    Append(comm, Bytes{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});
    if (aifc) {
        Append(comm, "NONE");
        const std::string_view name = "not compressed";  // a Pascal string padded to even
        PutU8(comm, static_cast<uint32_t>(name.size()));
        Append(comm, name);
        if ((name.size() + 1) % 2 != 0) PutU8(comm, 0);
    }
    return comm;
}

Bytes MpegAudioFrame() {
    // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes.
    Bytes frame = {0xFF, 0xFB, 0x90, 0x64};
    frame.resize(417, 0);
    return frame;
}

Bytes Box(std::string_view type, const Bytes& payload) {
    Bytes box;
    PutU32BE(box, static_cast<uint32_t>(8 + payload.size()));
    Append(box, type);
    Append(box, payload);
    return box;
}

Bytes FullBox(std::string_view type, const Bytes& payload) {
    Bytes versionAndFlags = {0, 0, 0, 0};
    Append(versionAndFlags, payload);
    return Box(type, versionAndFlags);
}

Bytes Mp4DataBox(uint32_t typeIndicator, const Bytes& value) {
    Bytes payload;
    PutU32BE(payload, typeIndicator);
    PutU32BE(payload, 0);  // locale
    Append(payload, value);
    return Box("data", payload);
}

uint32_t Mp4ImageType(const std::string& mime) {
    if (mime == "image/jpeg") return 13;
    if (mime == "image/png") return 14;
    if (mime == "image/bmp") return 27;
    return 0;
}

Bytes MovieHeader() {
    Bytes mvhd;
    PutU32BE(mvhd, 0);  // created
    PutU32BE(mvhd, 0);  // modified
    PutU32BE(mvhd, 44100);
    PutU32BE(mvhd, 0);  // duration
    PutU32BE(mvhd, 0x00010000);  // rate 1.0
    PutU16BE(mvhd, 0x0100);  // volume 1.0
    mvhd.resize(mvhd.size() + 10, 0);
    for (uint32_t entry : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u}) PutU32BE(mvhd, entry);
    mvhd.resize(mvhd.size() + 24, 0);
    PutU32BE(mvhd, 1);  // next track
    return FullBox("mvhd", mvhd);
}

Bytes MetadataBox(const std::vector<TagPicture>& pictures, const Mp4Options& options) {
    Bytes handler;
    PutU32BE(handler, 0);
    Append(handler, "mdirappl");
    handler.resize(handler.size() + 8 + 1, 0);  // reserved, then an empty name
    Bytes covr;
    for (const TagPicture& picture : pictures) Append(covr, Mp4DataBox(Mp4ImageType(picture.mime), picture.bytes));
    Bytes items = Box("\xA9nam", Mp4DataBox(1, {'S', 'o', 'n', 'g'}));
    if (!pictures.empty()) Append(items, Box("covr", covr));
    Bytes meta = FullBox("hdlr", handler);
    Append(meta, Box("ilst", items));
    return options.metaWithoutVersion ? Box("meta", meta) : FullBox("meta", meta);
}

}  // namespace

std::vector<uint8_t> BuildId3Tag(const std::vector<TagPicture>& pictures, const Id3Options& options) {
    const bool v4 = options.version == 4;
    Bytes body;
    if (options.extendedHeader && options.version == 3) {
        PutU32BE(body, 6);
        PutU16BE(body, 0);
        PutU32BE(body, static_cast<uint32_t>(options.padding));
    } else if (options.extendedHeader && v4) {
        PutSyncsafe(body, 7);
        PutU8(body, 1);     // one byte of flags
        PutU8(body, 0x40);  // the tag is an update
        PutU8(body, 0);     // whose data is empty
    }
    Append(body, Frames(pictures, options));
    body.resize(body.size() + options.padding, 0);
    if (!v4 && options.unsynchronised) body = Unsynchronise(body);

    Bytes tag;
    Append(tag, "ID3");
    PutU8(tag, options.version);
    PutU8(tag, 0);
    uint8_t flags = options.unsynchronised ? 0x80 : 0;
    if (options.extendedHeader && options.version >= 3) flags |= 0x40;
    PutU8(tag, flags);
    PutSyncsafe(tag, static_cast<uint32_t>(body.size()));
    Append(tag, body);
    return tag;
}

std::vector<uint8_t> BuildId3File(const std::vector<TagPicture>& pictures, const Id3Options& options) {
    Bytes file = BuildId3Tag(pictures, options);
    Append(file, MpegAudioFrame());
    return file;
}

std::vector<uint8_t> BuildFlacFile(const std::vector<TagPicture>& pictures, const std::vector<TagPicture>& commentPictures) {
    const auto block = [](Bytes& out, uint8_t type, bool last, const Bytes& data) {
        PutU8(out, (last ? 0x80 : 0) | type);
        PutU24BE(out, static_cast<uint32_t>(data.size()));
        Append(out, data);
    };
    Bytes file;
    Append(file, "fLaC");
    Bytes info;
    PutU16BE(info, 4096);  // smallest block, in samples
    PutU16BE(info, 4096);  // largest
    PutU24BE(info, 0);     // frame sizes unknown
    PutU24BE(info, 0);
    // 44.1 kHz, two channels, 16 bits, length unknown.
    PutU64BE(info, uint64_t{44100} << 44 | uint64_t{1} << 41 | uint64_t{15} << 36);
    info.resize(info.size() + 16, 0);  // no MD5
    block(file, 0, false, info);
    block(file, 4, false, VorbisCommentList(commentPictures, false));
    for (const TagPicture& picture : pictures) block(file, 6, false, FlacPictureBlock(picture));
    block(file, 1, true, Bytes(64, 0));
    // A frame header's sync code, so the stream goes on as audio would.
    Append(file, Bytes{0xFF, 0xF8, 0x69, 0x08, 0x00, 0x00, 0x9C});
    return file;
}

std::vector<uint8_t> BuildM4aFile(const std::vector<TagPicture>& pictures, const Mp4Options& options) {
    Bytes brands;
    Append(brands, "M4A ");
    PutU32BE(brands, 0x200);
    Append(brands, "M4A mp42isom");
    Bytes moovContent = MovieHeader();
    Append(moovContent, Box("udta", MetadataBox(pictures, options)));
    const Bytes moov = Box("moov", moovContent);

    Bytes mdat;
    if (options.largeMdatHeader) {
        PutU32BE(mdat, 1);
        Append(mdat, "mdat");
        PutU64BE(mdat, 16 + options.mdatPayloadSize);
    } else {
        PutU32BE(mdat, static_cast<uint32_t>(8 + options.mdatPayloadSize));
        Append(mdat, "mdat");
    }
    mdat.resize(mdat.size() + options.mdatPayloadSize, 0);

    Bytes file = Box("ftyp", brands);
    Append(file, options.moovAfterMdat ? mdat : moov);
    Append(file, options.moovAfterMdat ? moov : mdat);
    return file;
}

std::vector<uint8_t> BuildOggFile(const std::vector<TagPicture>& pictures, const OggOptions& options) {
    Bytes comments;
    Append(comments, options.opus ? "OpusTags" : "\x03vorbis");
    Append(comments, VorbisCommentList(pictures, options.lowerCaseKey));
    std::vector<Bytes> headers = {comments};
    if (!options.opus) {
        PutU8(headers[0], 1);  // Vorbis's framing bit
        Bytes setup;  // its codebooks are no cover reader's concern
        Append(setup, "\x05vorbis");
        setup.resize(setup.size() + 40, 0x5A);
        headers.push_back(setup);
    }
    // An audio packet: for Opus a TOC byte, for Vorbis a zero type bit.
    const Bytes audio = options.opus ? Bytes{0xFC, 0xFF, 0xFE} : Bytes{0x00, 0x21, 0x43};
    OggStream first{0x5045, 0, false};
    std::vector<Bytes> pages = OggPages(first, {options.opus ? OpusHead() : VorbisIdentification()}, 0, options.pageBodyLimit);
    for (const std::vector<Bytes>& more : {OggPages(first, headers, 0, options.pageBodyLimit),
                                           OggPages(first, {audio, audio}, 2048, options.pageBodyLimit)}) {
        pages.insert(pages.end(), more.begin(), more.end());
    }
    Bytes file;
    OggStream second{0x0B0E, 0, false};
    for (size_t i = 0; i < pages.size(); ++i) {
        Append(file, pages[i]);
        // Its own first page, then pages already past their headers.
        if (options.secondStream) Append(file, OggPages(second, {Bytes(30, static_cast<uint8_t>(i))}, i * 1000, 4096)[0]);
    }
    return file;
}

std::vector<uint8_t> BuildAsfFile(const std::vector<TagPicture>& pictures, const AsfOptions& options) {
    Bytes description, library;
    uint32_t descriptors = 1, records = 0;
    PutContentDescriptor(description, u"WM/AlbumTitle", kAsfUnicode, Utf16Le(u"Album"));
    for (const TagPicture& picture : pictures) {
        const Bytes value = WmPicture(picture);
        if (value.size() > options.libraryAbove) {
            PutLibraryRecord(library, u"WM/Picture", kAsfByteArray, value);
            ++records;
        } else {
            PutContentDescriptor(description, u"WM/Picture", kAsfByteArray, value);
            ++descriptors;
        }
    }
    Bytes content;  // title, author, copyright, description and rating
    const Bytes title = Utf16Le(u"Song");
    PutU16LE(content, static_cast<uint32_t>(title.size()));
    for (int i = 0; i < 4; ++i) PutU16LE(content, 0);
    Append(content, title);
    Bytes extension = AsfGuid(kAsfReserved1);
    PutU16LE(extension, 6);
    Bytes libraryContent;
    PutU16LE(libraryContent, records);
    Append(libraryContent, library);
    const Bytes libraryObject = AsfObject(kAsfMetadataLibrary, libraryContent);
    PutU32LE(extension, static_cast<uint32_t>(libraryObject.size()));
    Append(extension, libraryObject);
    Bytes descriptionContent;
    PutU16LE(descriptionContent, descriptors);
    Append(descriptionContent, description);

    Bytes header;
    PutU32LE(header, 3);  // children
    Append(header, Bytes{0x01, 0x02});  // reserved
    Append(header, AsfObject(kAsfContentDescription, content));
    Append(header, AsfObject(kAsfExtendedContentDescription, descriptionContent));
    Append(header, AsfObject(kAsfHeaderExtension, extension));
    Bytes data(16, 0x11);  // the file's id
    PutU64LE(data, 1);     // one packet
    Append(data, Bytes{0x01, 0x01});
    data.resize(data.size() + 64, 0x82);
    Bytes file = AsfObject(kAsfHeader, header);
    Append(file, AsfObject(kAsfData, data));
    return file;
}

std::vector<uint8_t> BuildApeFile(const std::vector<TagPicture>& pictures, const ApeOptions& options) {
    Bytes items = ApeItem("Title", 0, {'S', 'o', 'n', 'g'});
    for (const TagPicture& picture : pictures) {
        const std::string_view kind = picture.type == 3 ? "Front" : picture.type == 4 ? "Back" : "Other";
        Bytes value;
        Append(value, "cover.jpg");
        PutU8(value, 0);
        Append(value, picture.bytes);
        Append(items, ApeItem("Cover Art (" + std::string(kind) + ")", 1 << 1, value));
    }
    const uint32_t tagSize = static_cast<uint32_t>(items.size() + 32);
    const uint32_t count = static_cast<uint32_t>(pictures.size() + 1);
    const uint32_t hasHeader = options.withHeader ? 1u << 31 : 0;
    Bytes file;
    switch (options.stream) {
    case ApeOptions::Stream::kMonkeysAudio:
        Append(file, "MAC ");
        PutU16LE(file, 3990);
        file.resize(52, 0);
        break;
    case ApeOptions::Stream::kWavPack:
        Append(file, "wvpk");
        PutU32LE(file, 24);
        PutU16LE(file, 0x410);
        file.resize(32, 0);
        break;
    case ApeOptions::Stream::kMpeg: file = MpegAudioFrame(); break;
    }
    file.resize(file.size() + 100, 0x33);  // audio
    if (options.withHeader) Append(file, ApeHeaderOrFooter(tagSize, count, hasHeader | 1u << 29));
    Append(file, items);
    Append(file, ApeHeaderOrFooter(tagSize, count, hasHeader));
    if (options.id3v1) {
        Bytes id3v1;
        Append(id3v1, "TAGSong");
        id3v1.resize(127, 0);
        PutU8(id3v1, 255);  // no genre
        Append(file, id3v1);
    }
    return file;
}

std::vector<uint8_t> BuildPcmFile(const std::vector<TagPicture>& pictures, const PcmOptions& options) {
    const bool wav = options.form == PcmOptions::Form::kWav;
    const bool aifc = options.form == PcmOptions::Form::kAifc;
    Bytes chunks;
    if (wav) {
        Bytes format;
        PutU16LE(format, 1);  // PCM
        PutU16LE(format, 2);
        PutU32LE(format, 44100);
        PutU32LE(format, 44100 * 4);
        PutU16LE(format, 4);
        PutU16LE(format, 16);
        Append(chunks, Chunk("fmt ", format, false));
        Append(chunks, Chunk("JUNK", Bytes(5, 0), false));  // odd, so padded
    } else {
        if (aifc) Append(chunks, Chunk("FVER", Bytes{0xA2, 0x80, 0x51, 0x40}, true));
        Append(chunks, Chunk("COMM", AiffCommon(options.sampleBytes / 4, aifc), true));
        Append(chunks, Chunk("NAME", Bytes{'S', 'o', 'n', 'g', '!'}, true));  // odd, so padded
    }
    Id3Options id3;
    id3.padding = 16;
    const Bytes tag = Chunk(options.id3ChunkId, BuildId3Tag(pictures, id3), !wav);
    Bytes samples = wav ? Bytes() : Bytes(8, 0);  // SSND's offset and block size
    const uint32_t samplesSize = static_cast<uint32_t>(samples.size()) + options.sampleBytes;
    if (!options.samplesLeftOut) samples.resize(samplesSize, 0x7E);
    const Bytes sound = Chunk(wav ? "data" : "SSND", samples, !wav, samplesSize);
    Append(chunks, options.id3BeforeSamples ? tag : sound);
    Append(chunks, options.id3BeforeSamples ? sound : tag);

    Bytes file;
    Append(file, wav ? "RIFF" : "FORM");
    const uint32_t formSize = static_cast<uint32_t>(4 + chunks.size() + (options.samplesLeftOut ? samplesSize : 0));
    wav ? PutU32LE(file, formSize) : PutU32BE(file, formSize);
    Append(file, wav ? "WAVE" : aifc ? "AIFC" : "AIFF");
    Append(file, chunks);
    return file;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
