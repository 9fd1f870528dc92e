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

std::vector<uint8_t> BuildFlacFile(const std::vector<TagPicture>& pictures) {
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

    Bytes comment;
    const std::string_view vendor = "pelorin tests", title = "TITLE=Song";
    PutU32LE(comment, static_cast<uint32_t>(vendor.size()));
    Append(comment, vendor);
    PutU32LE(comment, 1);
    PutU32LE(comment, static_cast<uint32_t>(title.size()));
    Append(comment, title);
    block(file, 4, false, comment);

    for (const TagPicture& picture : pictures) {
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
        block(file, 6, false, data);
    }
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

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
