// Music files with cover pictures, built byte by byte from the formats'
// own rules (ID3v2.2/2.3/2.4 in front of an MPEG audio frame, FLAC
// metadata blocks, MP4 boxes, Ogg pages, ASF objects, APEv2 tags, RIFF and
// IFF chunks), for tests of whatever reads covers. Each builder can also
// say where the file's length fields, pictures and tags lie.
#pragma once

#include "testbed/covers/file_layout.h"

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

// Each builder fills layout, when given one. Its tags run from the file's
// start for ID3, FLAC, Ogg (up to the first page of audio), ASF (the Header
// Object) and MP4 with moov first (ftyp and moov); they are the moov box
// when it comes last, the APEv2 tag (without an ID3v1 tag after it), and
// the ID3 chunk of a WAV or AIFF file.

// count MPEG-1 Layer III frames, as a file without a tag holds them.
std::vector<uint8_t> MpegAudioFrames(int count);
// A title frame, then a frame per picture, in order.
std::vector<uint8_t> BuildId3Tag(const std::vector<TagPicture>& pictures, const Id3Options& options,
                                 FileLayout* layout = nullptr);
// The tag followed by one MPEG audio frame.
std::vector<uint8_t> BuildId3File(const std::vector<TagPicture>& pictures, const Id3Options& options,
                                  FileLayout* layout = nullptr);
// STREAMINFO, a Vorbis comment with a METADATA_BLOCK_PICTURE per comment
// picture, a PICTURE block per picture, padding, and the start of an audio
// frame.
std::vector<uint8_t> BuildFlacFile(const std::vector<TagPicture>& pictures,
                                   const std::vector<TagPicture>& commentPictures = {}, FileLayout* layout = nullptr);
// ftyp, and moov holding a title and a covr item with a data box per
// picture, before or after mdat.
std::vector<uint8_t> BuildM4aFile(const std::vector<TagPicture>& pictures, const Mp4Options& options,
                                  FileLayout* layout = nullptr);

struct OggOptions {
    bool opus = false;  // OpusHead and OpusTags instead of Vorbis's headers
    // A page closes once its body holds this many bytes (libogg's flush
    // closes header pages at 4,096).
    size_t pageBodyLimit = 4096;
    // A second logical stream's page after each of the first one's.
    bool secondStream = false;
    bool lowerCaseKey = false;  // "metadata_block_picture="
};

// The identification header on a page of its own, the comment header with
// a title and a METADATA_BLOCK_PICTURE per picture (and Vorbis's setup
// header) on as many pages as they take, then a page of audio.
std::vector<uint8_t> BuildOggFile(const std::vector<TagPicture>& pictures, const OggOptions& options,
                                  FileLayout* layout = nullptr);

struct AsfOptions {
    // WM/Picture values longer than this go to the Metadata Library Object;
    // writers put there those too long for the Extended Content
    // Description's 16-bit value size.
    size_t libraryAbove = 0xFFFF;
};

// A Header Object (a Content Description, an Extended Content Description
// with an album and WM/Picture items, a Header Extension holding a
// Metadata Library), then a Data Object.
std::vector<uint8_t> BuildAsfFile(const std::vector<TagPicture>& pictures, const AsfOptions& options,
                                  FileLayout* layout = nullptr);

struct ApeOptions {
    enum class Stream { kMonkeysAudio, kWavPack, kMpeg } stream = Stream::kMonkeysAudio;
    bool withHeader = false;  // the tag's optional header before its items
    bool id3v1 = false;       // an ID3v1 tag after the APEv2 tag
};

// The stream's start, then an APEv2 tag with a title and a "Cover Art
// (Front)", "(Back)" or "(Other)" item per picture.
std::vector<uint8_t> BuildApeFile(const std::vector<TagPicture>& pictures, const ApeOptions& options,
                                  FileLayout* layout = nullptr);

struct PcmOptions {
    enum class Form { kWav, kAiff, kAifc } form = Form::kWav;
    std::string id3ChunkId = "id3 ";
    bool id3BeforeSamples = false;
    uint32_t sampleBytes = 64;
    // The samples' chunk claims its size but holds no bytes, for a source
    // that stands in for gigabytes of them; with the ID3 chunk after them,
    // they belong at the offset of the layout's tags.
    bool samplesLeftOut = false;
};

// WAV (RIFF/WAVE) or AIFF (FORM/AIFF, AIFC): the format chunks, a chunk of
// odd size, then the samples and an ID3 chunk holding a 2.3 tag with the
// pictures, in either order.
std::vector<uint8_t> BuildPcmFile(const std::vector<TagPicture>& pictures, const PcmOptions& options,
                                  FileLayout* layout = nullptr);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
