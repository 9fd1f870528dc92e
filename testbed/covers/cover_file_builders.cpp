// Music files laid out as their formats' documents describe them, so that
// a cover reader's tests do not lean on the reader's own idea of the bytes.
// Each part is built as a Piece that knows where its own length fields and
// pictures lie, so that the whole file can tell the soak where to break it.
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

// Bytes with the places of their length fields and pictures, which move
// along when the bytes are put into a larger whole. A part whose bytes are
// transformed (unsynchronised, compressed, encrypted, base64) is plain
// bytes again: its places are gone.
struct Piece {
    Bytes bytes;
    std::vector<LengthField> lengths;
    std::vector<ByteSpan> pictures;
};

Piece Plain(Bytes bytes) {
    Piece piece;
    piece.bytes = std::move(bytes);
    return piece;
}

void Append(Piece& out, const Piece& more) {
    const size_t shift = out.bytes.size();
    for (LengthField field : more.lengths) {
        field.offset += shift;
        out.lengths.push_back(field);
    }
    for (ByteSpan picture : more.pictures) {
        picture.offset += shift;
        out.pictures.push_back(picture);
    }
    Append(out.bytes, more.bytes);
}

void PutLength(Piece& out, uint64_t value, int size, NumberCoding coding) {
    out.lengths.push_back({out.bytes.size(), size, coding});
    out.bytes.resize(out.bytes.size() + static_cast<size_t>(size));
    WriteNumber(out.bytes, out.bytes.size() - static_cast<size_t>(size), value, size, coding);
}

void PutPicture(Piece& out, const Bytes& picture) {
    out.pictures.push_back({out.bytes.size(), picture.size()});
    Append(out.bytes, picture);
}

// The whole file's bytes, and where its parts lie for a caller that asks.
Bytes Finished(Piece file, ByteSpan tags, FileLayout* layout) {
    if (layout != nullptr) {
        const auto byOffset = [](const auto& a, const auto& b) { return a.offset < b.offset; };
        std::sort(file.lengths.begin(), file.lengths.end(), byOffset);
        std::sort(file.pictures.begin(), file.pictures.end(), byOffset);
        *layout = FileLayout{std::move(file.lengths), std::move(file.pictures), tags};
    }
    return std::move(file.bytes);
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

Piece Id3Frame(int version, std::string_view id, const Piece& content, uint8_t formatFlags) {
    Piece frame;
    Append(frame.bytes, id);
    const size_t size = content.bytes.size();
    if (version == 2) {
        PutLength(frame, size, 3, NumberCoding::BigEndian);
    } else {
        PutLength(frame, size, 4, version == 4 ? NumberCoding::Synchsafe : NumberCoding::BigEndian);
        PutU8(frame.bytes, 0);
        PutU8(frame.bytes, formatFlags);
    }
    Append(frame, content);
    return frame;
}

Piece PictureFrameData(const TagPicture& picture, int version) {
    Piece data;
    PutU8(data.bytes, picture.descriptionEncoding);
    if (version == 2) {
        Append(data.bytes, V22ImageFormat(picture.mime));
    } else {
        Append(data.bytes, picture.mime);
        PutU8(data.bytes, 0);
    }
    PutU8(data.bytes, picture.type);
    Append(data.bytes, Id3Text(picture.description, picture.descriptionEncoding));
    PutPicture(data, picture.bytes);
    return data;
}

// A 2.3 or 2.4 frame's content after its header, with the flags that say
// how it is stored.
Piece StoredFrameContent(const Piece& data, const Id3Options& options, bool picture, TagPicture::Storage storage,
                         uint8_t& flags) {
    const bool v4 = options.version == 4;
    const size_t size = data.bytes.size();
    Piece content;
    flags = 0;
    switch (storage) {
    case TagPicture::Storage::kCompressed:
        flags = v4 ? 0x08 | 0x01 : 0x80;
        PutLength(content, size, 4, v4 ? NumberCoding::Synchsafe : NumberCoding::BigEndian);
        Append(content.bytes, ZlibStored(data.bytes));
        break;
    case TagPicture::Storage::kEncrypted:
        flags = v4 ? 0x04 : 0x40;
        PutU8(content.bytes, kEncryptionMethod);
        for (uint8_t byte : data.bytes) PutU8(content.bytes, byte ^ kEncryptionKey);
        break;
    case TagPicture::Storage::kPlain:
        if (v4 && picture && options.dataLengthIndicator) {
            flags |= 0x01;
            PutLength(content, size, 4, NumberCoding::Synchsafe);
        }
        Append(content, data);
        break;
    }
    if (v4 && (options.unsynchronised || options.framesUnsynchronised)) {
        if (options.framesUnsynchronised) flags |= 0x02;
        content = Plain(Unsynchronise(content.bytes));
    }
    return content;
}

Piece Frames(const std::vector<TagPicture>& pictures, const Id3Options& options) {
    const int version = options.version;
    const bool v22 = version == 2;
    Piece frames;
    uint8_t flags = 0;
    const Piece title = Plain({0, 'S', 'o', 'n', 'g'});
    Piece content = v22 ? title : StoredFrameContent(title, options, false, TagPicture::Storage::kPlain, flags);
    Append(frames, Id3Frame(version, v22 ? "TT2" : "TIT2", content, flags));

    const bool anyEncrypted = std::any_of(pictures.begin(), pictures.end(), [](const TagPicture& p) {
        return p.storage == TagPicture::Storage::kEncrypted;
    });
    if (!v22 && anyEncrypted) {
        Bytes registration;
        Append(registration, "mailto:covers@example.invalid");
        PutU8(registration, 0);
        PutU8(registration, kEncryptionMethod);
        content = StoredFrameContent(Plain(registration), options, false, TagPicture::Storage::kPlain, flags);
        Append(frames, Id3Frame(version, "ENCR", content, flags));
    }
    for (const TagPicture& picture : pictures) {
        const Piece data = PictureFrameData(picture, version);
        if (v22) {
            Append(frames, Id3Frame(version, "PIC", data, 0));
            continue;
        }
        content = StoredFrameContent(data, options, true, picture.storage, flags);
        Append(frames, Id3Frame(version, "APIC", content, flags));
    }
    return frames;
}

Piece Id3Tag(const std::vector<TagPicture>& pictures, const Id3Options& options) {
    const bool v4 = options.version == 4;
    Piece body;
    if (options.extendedHeader && options.version == 3) {
        PutLength(body, 6, 4, NumberCoding::BigEndian);
        PutU16BE(body.bytes, 0);
        PutLength(body, options.padding, 4, NumberCoding::BigEndian);
    } else if (options.extendedHeader && v4) {
        PutLength(body, 7, 4, NumberCoding::Synchsafe);
        PutU8(body.bytes, 1);     // one byte of flags
        PutU8(body.bytes, 0x40);  // the tag is an update
        PutU8(body.bytes, 0);     // whose data is empty
    }
    Append(body, Frames(pictures, options));
    body.bytes.resize(body.bytes.size() + options.padding, 0);
    if (!v4 && options.unsynchronised) body = Plain(Unsynchronise(body.bytes));

    Piece tag;
    Append(tag.bytes, "ID3");
    PutU8(tag.bytes, options.version);
    PutU8(tag.bytes, 0);
    uint8_t flags = options.unsynchronised ? 0x80 : 0;
    if (options.extendedHeader && options.version >= 3) flags |= 0x40;
    PutU8(tag.bytes, flags);
    PutLength(tag, body.bytes.size(), 4, NumberCoding::Synchsafe);
    Append(tag, body);
    return tag;
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
Piece FlacPictureBlock(const TagPicture& picture) {
    Piece data;
    const Bytes description = Utf8(picture.description);
    PutU32BE(data.bytes, picture.type);
    PutLength(data, picture.mime.size(), 4, NumberCoding::BigEndian);
    Append(data.bytes, picture.mime);
    PutLength(data, description.size(), 4, NumberCoding::BigEndian);
    Append(data.bytes, description);
    for (uint32_t field : {300u, 300u, 24u, 0u}) PutU32BE(data.bytes, field);  // width, height, depth, palette
    PutLength(data, picture.bytes.size(), 4, NumberCoding::BigEndian);
    PutPicture(data, picture.bytes);
    return data;
}

// A Vorbis comment list: the vendor, a title, and a METADATA_BLOCK_PICTURE
// per picture, the FLAC picture block in base64.
Piece VorbisCommentList(const std::vector<TagPicture>& pictures, bool lowerCaseKey) {
    std::vector<Bytes> comments = {{'T', 'I', 'T', 'L', 'E', '=', 'S', 'o', 'n', 'g'}};
    for (const TagPicture& picture : pictures) {
        Bytes comment;
        Append(comment, lowerCaseKey ? "metadata_block_picture=" : "METADATA_BLOCK_PICTURE=");
        Append(comment, Base64(FlacPictureBlock(picture).bytes));
        comments.push_back(comment);
    }
    Piece list;
    const std::string_view vendor = "pelorin tests";
    PutLength(list, vendor.size(), 4, NumberCoding::LittleEndian);
    Append(list.bytes, vendor);
    PutU32LE(list.bytes, static_cast<uint32_t>(comments.size()));
    for (const Bytes& comment : comments) {
        PutLength(list, comment.size(), 4, NumberCoding::LittleEndian);
        Append(list.bytes, comment);
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

Bytes AsfGuid(std::string_view bytes) { return Bytes(bytes.begin(), bytes.end()); }


Piece AsfObject(std::string_view guid, const Piece& content) {
    Piece object = Plain(AsfGuid(guid));
    PutLength(object, 24 + content.bytes.size(), 8, NumberCoding::LittleEndian);
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
Piece WmPicture(const TagPicture& picture) {
    Piece value;
    PutU8(value.bytes, picture.type);
    PutLength(value, picture.bytes.size(), 4, NumberCoding::LittleEndian);
    Append(value.bytes, Utf16Le(std::u16string(picture.mime.begin(), picture.mime.end())));
    Append(value.bytes, Utf16Le(picture.description));
    PutPicture(value, picture.bytes);
    return value;
}

void PutContentDescriptor(Piece& out, const std::u16string& name, uint16_t type, const Piece& value) {
    const Bytes nameBytes = Utf16Le(name);
    PutLength(out, nameBytes.size(), 2, NumberCoding::LittleEndian);
    Append(out.bytes, nameBytes);
    PutU16LE(out.bytes, type);
    PutLength(out, value.bytes.size(), 2, NumberCoding::LittleEndian);
    Append(out, value);
}

void PutLibraryRecord(Piece& out, const std::u16string& name, uint16_t type, const Piece& value) {
    const Bytes nameBytes = Utf16Le(name);
    PutU16LE(out.bytes, 0);  // language list index
    PutU16LE(out.bytes, 0);  // the whole file, not a stream
    PutLength(out, nameBytes.size(), 2, NumberCoding::LittleEndian);
    PutU16LE(out.bytes, type);
    PutLength(out, value.bytes.size(), 4, NumberCoding::LittleEndian);
    Append(out.bytes, nameBytes);
    Append(out, value);
}

Piece ApeItem(std::string_view key, uint32_t flags, const Piece& value) {
    Piece item;
    PutLength(item, value.bytes.size(), 4, NumberCoding::LittleEndian);
    PutU32LE(item.bytes, flags);
    Append(item.bytes, key);
    PutU8(item.bytes, 0);
    Append(item, value);
    return item;
}

Piece ApeHeaderOrFooter(uint32_t tagSize, uint32_t itemCount, uint32_t flags) {
    Piece out;
    Append(out.bytes, "APETAGEX");
    PutU32LE(out.bytes, 2000);
    PutLength(out, tagSize, 4, NumberCoding::LittleEndian);
    PutU32LE(out.bytes, itemCount);
    PutU32LE(out.bytes, flags);
    out.bytes.resize(out.bytes.size() + 8, 0);
    return out;
}

// A RIFF or IFF chunk, its body padded to an even length.
Piece Chunk(std::string_view id, const Piece& body, bool bigEndian, uint32_t claimedSize) {
    Piece chunk;
    Append(chunk.bytes, id);
    PutLength(chunk, claimedSize, 4, bigEndian ? NumberCoding::BigEndian : NumberCoding::LittleEndian);
    Append(chunk, body);
    if (chunk.bytes.size() % 2 != 0) PutU8(chunk.bytes, 0);
    return chunk;
}

Piece Chunk(std::string_view id, const Piece& body, bool bigEndian) {
    return Chunk(id, body, bigEndian, static_cast<uint32_t>(body.bytes.size()));
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

Piece Box(std::string_view type, const Piece& payload) {
    Piece box;
    PutLength(box, 8 + payload.bytes.size(), 4, NumberCoding::BigEndian);
    Append(box.bytes, type);
    Append(box, payload);
    return box;
}

Piece FullBox(std::string_view type, const Piece& payload) {
    Piece versionAndFlags = Plain({0, 0, 0, 0});
    Append(versionAndFlags, payload);
    return Box(type, versionAndFlags);
}

Piece Mp4DataBox(uint32_t typeIndicator, const Piece& value) {
    Piece payload;
    PutU32BE(payload.bytes, typeIndicator);
    PutU32BE(payload.bytes, 0);  // locale
    Append(payload, value);
    return Box("data", payload);
}

uint32_t Mp4ImageType(const std::string& mime) {
    if (mime == "image/jpeg") return 13;
    if (mime == "image/png") return 14;
    if (mime == "image/bmp") return 27;
    return 0;
}

Piece MovieHeader() {
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
    return FullBox("mvhd", Plain(mvhd));
}

Piece MetadataBox(const std::vector<TagPicture>& pictures, const Mp4Options& options) {
    Bytes handler;
    PutU32BE(handler, 0);
    Append(handler, "mdirappl");
    handler.resize(handler.size() + 8 + 1, 0);  // reserved, then an empty name
    Piece covr;
    for (const TagPicture& picture : pictures) {
        Piece bytes;
        PutPicture(bytes, picture.bytes);
        Append(covr, Mp4DataBox(Mp4ImageType(picture.mime), bytes));
    }
    Piece items = Box("\xA9nam", Mp4DataBox(1, Plain({'S', 'o', 'n', 'g'})));
    if (!pictures.empty()) Append(items, Box("covr", covr));
    Piece meta = FullBox("hdlr", Plain(handler));
    Append(meta, Box("ilst", items));
    return options.metaWithoutVersion ? Box("meta", meta) : FullBox("meta", meta);
}

}  // namespace

std::vector<uint8_t> MpegAudioFrames(int count) {
    // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes.
    Bytes frames;
    for (int i = 0; i < count; ++i) {
        Append(frames, Bytes{0xFF, 0xFB, 0x90, 0x64});
        frames.resize(frames.size() + 417 - 4, 0);
    }
    return frames;
}

std::vector<uint8_t> BuildId3Tag(const std::vector<TagPicture>& pictures, const Id3Options& options,
                                 FileLayout* layout) {
    Piece tag = Id3Tag(pictures, options);
    const ByteSpan tags = {0, tag.bytes.size()};
    return Finished(std::move(tag), tags, layout);
}

std::vector<uint8_t> BuildId3File(const std::vector<TagPicture>& pictures, const Id3Options& options,
                                  FileLayout* layout) {
    Piece file = Id3Tag(pictures, options);
    const ByteSpan tags = {0, file.bytes.size()};
    Append(file.bytes, MpegAudioFrames(1));
    return Finished(std::move(file), tags, layout);
}

std::vector<uint8_t> BuildFlacFile(const std::vector<TagPicture>& pictures,
                                   const std::vector<TagPicture>& commentPictures, FileLayout* layout) {
    const auto block = [](Piece& out, uint8_t type, bool last, const Piece& data) {
        PutU8(out.bytes, (last ? 0x80 : 0) | type);
        PutLength(out, data.bytes.size(), 3, NumberCoding::BigEndian);
        Append(out, data);
    };
    Piece file = Plain({'f', 'L', 'a', 'C'});
    Bytes info;
    PutU16BE(info, 4096);  // smallest block, in samples
    PutU16BE(info, 4096);  // largest
    PutU24BE(info, 0);     // frame sizes unknown
    PutU24BE(info, 0);
    // 44.1 kHz, two channels, 16 bits, length unknown.
    PutU64BE(info, uint64_t{44100} << 44 | uint64_t{1} << 41 | uint64_t{15} << 36);
    info.resize(info.size() + 16, 0);  // no MD5
    block(file, 0, false, Plain(info));
    block(file, 4, false, VorbisCommentList(commentPictures, false));
    for (const TagPicture& picture : pictures) block(file, 6, false, FlacPictureBlock(picture));
    block(file, 1, true, Plain(Bytes(64, 0)));
    const ByteSpan tags = {0, file.bytes.size()};
    // A frame header's sync code, so the stream goes on as audio would.
    Append(file.bytes, Bytes{0xFF, 0xF8, 0x69, 0x08, 0x00, 0x00, 0x9C});
    return Finished(std::move(file), tags, layout);
}

std::vector<uint8_t> BuildM4aFile(const std::vector<TagPicture>& pictures, const Mp4Options& options,
                                  FileLayout* layout) {
    Bytes brands;
    Append(brands, "M4A ");
    PutU32BE(brands, 0x200);
    Append(brands, "M4A mp42isom");
    Piece moovContent = MovieHeader();
    Append(moovContent, Box("udta", MetadataBox(pictures, options)));
    const Piece moov = Box("moov", moovContent);

    Piece mdat;
    if (options.largeMdatHeader) {
        PutU32BE(mdat.bytes, 1);  // the size follows the type
        Append(mdat.bytes, "mdat");
        PutLength(mdat, 16 + options.mdatPayloadSize, 8, NumberCoding::BigEndian);
    } else {
        PutLength(mdat, 8 + options.mdatPayloadSize, 4, NumberCoding::BigEndian);
        Append(mdat.bytes, "mdat");
    }
    mdat.bytes.resize(mdat.bytes.size() + options.mdatPayloadSize, 0);

    Piece file = Box("ftyp", Plain(brands));
    Append(file, options.moovAfterMdat ? mdat : moov);
    Append(file, options.moovAfterMdat ? moov : mdat);
    // The moov box, and the ftyp before it when it comes first.
    const ByteSpan tags = options.moovAfterMdat ? ByteSpan{file.bytes.size() - moov.bytes.size(), moov.bytes.size()}
                                                : ByteSpan{0, file.bytes.size() - mdat.bytes.size()};
    return Finished(std::move(file), tags, layout);
}

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

std::vector<uint8_t> BuildAsfFile(const std::vector<TagPicture>& pictures, const AsfOptions& options,
                                  FileLayout* layout) {
    Piece description, library;
    uint32_t descriptors = 1, records = 0;
    PutContentDescriptor(description, u"WM/AlbumTitle", kAsfUnicode, Plain(Utf16Le(u"Album")));
    for (const TagPicture& picture : pictures) {
        const Piece value = WmPicture(picture);
        if (value.bytes.size() > options.libraryAbove) {
            PutLibraryRecord(library, u"WM/Picture", kAsfByteArray, value);
            ++records;
        } else {
            PutContentDescriptor(description, u"WM/Picture", kAsfByteArray, value);
            ++descriptors;
        }
    }
    Piece content;  // the lengths of the title, author, copyright, description and rating
    const Bytes title = Utf16Le(u"Song");
    PutLength(content, title.size(), 2, NumberCoding::LittleEndian);
    for (int i = 0; i < 4; ++i) PutLength(content, 0, 2, NumberCoding::LittleEndian);
    Append(content.bytes, title);
    Piece extension = Plain(AsfGuid(kAsfReserved1));
    PutU16LE(extension.bytes, 6);
    Piece libraryContent;
    PutU16LE(libraryContent.bytes, records);
    Append(libraryContent, library);
    const Piece libraryObject = AsfObject(kAsfMetadataLibrary, libraryContent);
    PutLength(extension, libraryObject.bytes.size(), 4, NumberCoding::LittleEndian);
    Append(extension, libraryObject);
    Piece descriptionContent;
    PutU16LE(descriptionContent.bytes, descriptors);
    Append(descriptionContent, description);

    Piece header;
    PutU32LE(header.bytes, 3);  // children
    Append(header.bytes, Bytes{0x01, 0x02});  // reserved
    Append(header, AsfObject(kAsfContentDescription, content));
    Append(header, AsfObject(kAsfExtendedContentDescription, descriptionContent));
    Append(header, AsfObject(kAsfHeaderExtension, extension));
    Bytes data(16, 0x11);  // the file's id
    PutU64LE(data, 1);     // one packet
    Append(data, Bytes{0x01, 0x01});
    data.resize(data.size() + 64, 0x82);
    Piece file = AsfObject(kAsfHeader, header);
    const ByteSpan tags = {0, file.bytes.size()};
    Append(file, AsfObject(kAsfData, Plain(data)));
    return Finished(std::move(file), tags, layout);
}

std::vector<uint8_t> BuildApeFile(const std::vector<TagPicture>& pictures, const ApeOptions& options,
                                  FileLayout* layout) {
    Piece items = ApeItem("Title", 0, Plain({'S', 'o', 'n', 'g'}));
    for (const TagPicture& picture : pictures) {
        const std::string_view kind = picture.type == 3 ? "Front" : picture.type == 4 ? "Back" : "Other";
        Piece value = Plain({'c', 'o', 'v', 'e', 'r', '.', 'j', 'p', 'g', 0});
        PutPicture(value, picture.bytes);
        Append(items, ApeItem("Cover Art (" + std::string(kind) + ")", 1 << 1, value));
    }
    const uint32_t tagSize = static_cast<uint32_t>(items.bytes.size() + 32);
    const uint32_t count = static_cast<uint32_t>(pictures.size() + 1);
    const uint32_t hasHeader = options.withHeader ? 1u << 31 : 0;
    Piece file;
    switch (options.stream) {
    case ApeOptions::Stream::kMonkeysAudio:
        Append(file.bytes, "MAC ");
        PutU16LE(file.bytes, 3990);
        file.bytes.resize(52, 0);
        break;
    case ApeOptions::Stream::kWavPack:
        Append(file.bytes, "wvpk");
        PutU32LE(file.bytes, 24);
        PutU16LE(file.bytes, 0x410);
        file.bytes.resize(32, 0);
        break;
    case ApeOptions::Stream::kMpeg: file.bytes = MpegAudioFrames(1); break;
    }
    file.bytes.resize(file.bytes.size() + 100, 0x33);  // audio
    ByteSpan tags = {file.bytes.size(), 0};
    if (options.withHeader) Append(file, ApeHeaderOrFooter(tagSize, count, hasHeader | 1u << 29));
    Append(file, items);
    Append(file, ApeHeaderOrFooter(tagSize, count, hasHeader));
    tags.size = file.bytes.size() - tags.offset;
    if (options.id3v1) {
        Bytes id3v1;
        Append(id3v1, "TAGSong");
        id3v1.resize(127, 0);
        PutU8(id3v1, 255);  // no genre
        Append(file.bytes, id3v1);
    }
    return Finished(std::move(file), tags, layout);
}

std::vector<uint8_t> BuildPcmFile(const std::vector<TagPicture>& pictures, const PcmOptions& options,
                                  FileLayout* layout) {
    const bool wav = options.form == PcmOptions::Form::kWav;
    const bool aifc = options.form == PcmOptions::Form::kAifc;
    Piece chunks;
    if (wav) {
        Bytes format;
        PutU16LE(format, 1);  // PCM
        PutU16LE(format, 2);
        PutU32LE(format, 44100);
        PutU32LE(format, 44100 * 4);
        PutU16LE(format, 4);
        PutU16LE(format, 16);
        Append(chunks, Chunk("fmt ", Plain(format), false));
        Append(chunks, Chunk("JUNK", Plain(Bytes(5, 0)), false));  // odd, so padded
    } else {
        if (aifc) Append(chunks, Chunk("FVER", Plain({0xA2, 0x80, 0x51, 0x40}), true));
        Append(chunks, Chunk("COMM", Plain(AiffCommon(options.sampleBytes / 4, aifc)), true));
        Append(chunks, Chunk("NAME", Plain({'S', 'o', 'n', 'g', '!'}), true));  // odd, so padded
    }
    Id3Options id3;
    id3.padding = 16;
    const Piece tag = Chunk(options.id3ChunkId, Id3Tag(pictures, id3), !wav);
    Bytes samples = wav ? Bytes() : Bytes(8, 0);  // SSND's offset and block size
    const uint32_t samplesSize = static_cast<uint32_t>(samples.size()) + options.sampleBytes;
    if (!options.samplesLeftOut) samples.resize(samplesSize, 0x7E);
    const Piece sound = Chunk(wav ? "data" : "SSND", Plain(samples), !wav, samplesSize);

    Piece file;
    Append(file.bytes, wav ? "RIFF" : "FORM");
    const size_t chunksSize = chunks.bytes.size() + tag.bytes.size() + sound.bytes.size();
    const uint32_t formSize = static_cast<uint32_t>(4 + chunksSize + (options.samplesLeftOut ? samplesSize : 0));
    PutLength(file, formSize, 4, wav ? NumberCoding::LittleEndian : NumberCoding::BigEndian);
    Append(file.bytes, wav ? "WAVE" : aifc ? "AIFC" : "AIFF");
    Append(file, chunks);
    if (!options.id3BeforeSamples) Append(file, sound);
    const ByteSpan tags = {file.bytes.size(), tag.bytes.size()};
    Append(file, tag);
    if (options.id3BeforeSamples) Append(file, sound);
    return Finished(std::move(file), tags, layout);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
