// ID3v2 tags as the ID3v2.2.0, ID3v2.3.0 and ID3v2.4.0 documents (id3.org)
// lay them out: a title frame, the registration of an encryption method
// when a picture needs one, and a picture frame (PIC, APIC) per picture,
// stored plain, compressed (a zlib stream of RFC 1950 with the stored
// blocks of RFC 1951) or encrypted; with unsynchronisation of the whole tag
// or of each frame, an extended header, data length indicators and
// padding. An ID3 file is the tag before an MPEG audio frame.
#include "testbed/covers/file_pieces.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

using namespace cover_writers;

namespace {

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

}  // namespace

namespace cover_writers {

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

}  // namespace cover_writers

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
