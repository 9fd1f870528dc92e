// Music files with cover pictures, built byte by byte from the tag formats'
// own rules (ID3v2.2/2.3/2.4 in front of an MPEG audio frame, FLAC
// metadata blocks, MP4 boxes), for tests of whatever reads covers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One picture as a tag stores it.
struct TagPicture {
    std::vector<uint8_t> bytes;
    uint8_t type = 3;  // 3 is the front cover, 0 "other", 4 the back cover
    std::string mime = "image/jpeg";
    std::u16string description;
    // ID3 only: 0 Latin-1, 1 UTF-16 with a byte order mark, 2 UTF-16BE, 3 UTF-8.
    uint8_t descriptionEncoding = 0;
    // ID3 2.3 and 2.4 only: the frame is stored compressed (a zlib stream)
    // or encrypted (with a method the tag registers), so a reader that can
    // do neither has to pass it by.
    enum class Storage { kPlain, kCompressed, kEncrypted } storage = Storage::kPlain;
};

struct Id3Options {
    int version = 3;  // 2, 3 or 4
    // The header's flag: the whole tag in 2.2 and 2.3, every frame in 2.4.
    bool unsynchronised = false;
    // 2.4: each picture frame unsynchronised by its own flag.
    bool framesUnsynchronised = false;
    bool extendedHeader = false;  // 2.3 and 2.4
    bool dataLengthIndicator = false;  // 2.4: on every picture frame
    size_t padding = 0;
};

struct Mp4Options {
    bool moovAfterMdat = false;
    uint64_t mdatPayloadSize = 256;
    bool largeMdatHeader = false;  // the 64-bit size form
    bool metaWithoutVersion = false;  // as some writers leave it
};

// A title frame, then a frame per picture, in order.
std::vector<uint8_t> BuildId3Tag(const std::vector<TagPicture>& pictures, const Id3Options& options);
// The tag followed by one MPEG audio frame.
std::vector<uint8_t> BuildId3File(const std::vector<TagPicture>& pictures, const Id3Options& options);
// STREAMINFO, a Vorbis comment, a PICTURE block per picture, padding, and
// the start of an audio frame.
std::vector<uint8_t> BuildFlacFile(const std::vector<TagPicture>& pictures);
// ftyp, and moov holding a title and a covr item with a data box per
// picture, before or after mdat.
std::vector<uint8_t> BuildM4aFile(const std::vector<TagPicture>& pictures, const Mp4Options& options);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
