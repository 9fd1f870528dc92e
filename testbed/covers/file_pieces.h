// What the music file writers build from. Each writer lays its file out
// as the format's own documents describe it, so that a cover reader's
// tests do not lean on the reader's own idea of the bytes; it builds each
// part as a Piece that knows where its own length fields and pictures lie
// and keeps them as it goes into a larger whole, so that the finished file
// can tell the soak where to break it. Also the parts one format's file
// borrows from another's: the ID3 tag a WAV or AIFF chunk holds, and the
// FLAC picture block and Vorbis comment list of FLAC and Ogg files. Only
// the writers include this.
#pragma once

#include "testbed/covers/cover_file_builders.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cover_writers {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, const Bytes& more);
void Append(Bytes& out, std::string_view text);
void PutU8(Bytes& out, uint32_t value);
void PutU16BE(Bytes& out, uint32_t value);
void PutU16LE(Bytes& out, uint32_t value);
void PutU24BE(Bytes& out, uint32_t value);
void PutU32BE(Bytes& out, uint32_t value);
void PutU64BE(Bytes& out, uint64_t value);
void PutU32LE(Bytes& out, uint32_t value);
void PutU64LE(Bytes& out, uint64_t value);
// Characters of the Basic Multilingual Plane only.
Bytes Utf8(const std::u16string& text);
// With a terminating zero character.
Bytes Utf16Le(const std::u16string& text);
Bytes Base64(const Bytes& data);

// Bytes with the places of their length fields and pictures, which move
// along when the bytes are put into a larger whole. A part whose bytes are
// transformed (unsynchronised, compressed, encrypted, base64) is plain
// bytes again: its places are gone.
struct Piece {
    Bytes bytes;
    std::vector<LengthField> lengths;
    std::vector<ByteSpan> pictures;
};

Piece Plain(Bytes bytes);
void Append(Piece& out, const Piece& more);
void PutLength(Piece& out, uint64_t value, int size, NumberCoding coding);
void PutPicture(Piece& out, const Bytes& picture);
// The whole file's bytes, and where its parts lie for a caller that asks.
Bytes Finished(Piece file, ByteSpan tags, FileLayout* layout);

// id3_file.cpp: a whole ID3v2 tag, header and all.
Piece Id3Tag(const std::vector<TagPicture>& pictures, const Id3Options& options);

// flac_file.cpp: a FLAC PICTURE block's content, as a FLAC stream or a
// comment holds it.
Piece FlacPictureBlock(const TagPicture& picture);
// flac_file.cpp: a Vorbis comment list: the vendor, a title, and a
// METADATA_BLOCK_PICTURE per picture, the FLAC picture block in base64.
Piece VorbisCommentList(const std::vector<TagPicture>& pictures, bool lowerCaseKey);

}  // namespace cover_writers
