// The byte and number writers, the text encodings and base64 every music
// file writer uses, the Piece that keeps its places as it grows, and the
// MPEG audio frames that follow an ID3 tag or come before an APEv2 tag.
#include "testbed/covers/file_pieces.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace cover_writers {

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
void PutU64LE(Bytes& out, uint64_t value) {
    PutU32LE(out, static_cast<uint32_t>(value));
    PutU32LE(out, static_cast<uint32_t>(value >> 32));
}

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

Bytes Finished(Piece file, ByteSpan tags, FileLayout* layout) {
    if (layout != nullptr) {
        const auto byOffset = [](const auto& a, const auto& b) { return a.offset < b.offset; };
        std::sort(file.lengths.begin(), file.lengths.end(), byOffset);
        std::sort(file.pictures.begin(), file.pictures.end(), byOffset);
        *layout = FileLayout{std::move(file.lengths), std::move(file.pictures), tags};
    }
    return std::move(file.bytes);
}

}  // namespace cover_writers

using namespace cover_writers;

std::vector<uint8_t> MpegAudioFrames(int count) {
    // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes.
    Bytes frames;
    for (int i = 0; i < count; ++i) {
        Append(frames, Bytes{0xFF, 0xFB, 0x90, 0x64});
        frames.resize(frames.size() + 417 - 4, 0);
    }
    return frames;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
