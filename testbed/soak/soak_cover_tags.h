// The kinds of sound music file the soak writes: every format whose cover
// the plug-in reads, laid out as taggers leave it by the writers the tests
// share (testbed/covers), each with the layout that the soak's mutations
// break it along.
#pragma once

#include "testbed/covers/cover_file_builders.h"

#include <vector>

using Bytes = std::vector<uint8_t>;

// A music file as built: its bytes, and where its length fields, pictures
// and tags lie.
struct MusicFile {
    Bytes bytes;
    FileLayout layout;
};

// ID3's, FLAC's and ASF's picture types.
constexpr uint8_t kOtherPicture = 0;
constexpr uint8_t kFrontCover = 3;
constexpr uint8_t kBackCover = 4;

enum class SoundKind {
    Id3v22,
    Id3v23,
    Id3v24,         // with an extended header
    Flac,           // PICTURE blocks
    FlacComment,    // METADATA_BLOCK_PICTURE in its Vorbis comment
    M4a,
    M4aMediaFirst,  // a 64-bit sized mdat before moov, as one-pass writers leave it
    OggVorbis,
    Opus,           // the key in lower case, on pages of 1 KB
    Wma,
    WmaLibrary,     // every picture in the Metadata Library
    MonkeysAudio,
    WavPack,        // the APEv2 tag with its header, an ID3v1 tag after it
    Mp3Ape,         // MPEG audio with an APEv2 tag and no ID3v2 tag
    Wav,            // the ID3 chunk after the samples
    Aiff,           // the "ID3 " chunk before them
    Aifc,
};

constexpr SoundKind kSoundKinds[] = {
    SoundKind::Id3v22,       SoundKind::Id3v23, SoundKind::Id3v24,    SoundKind::Flac,
    SoundKind::FlacComment,  SoundKind::M4a,    SoundKind::M4aMediaFirst, SoundKind::OggVorbis,
    SoundKind::Opus,         SoundKind::Wma,    SoundKind::WmaLibrary, SoundKind::MonkeysAudio,
    SoundKind::WavPack,      SoundKind::Mp3Ape, SoundKind::Wav,       SoundKind::Aiff,
    SoundKind::Aifc,
};

// What the kind is called in the soak's messages ("ID3v2.3", "Opus"), and
// the extension its files have ("mp3", "opus").
const char* SoundLabel(SoundKind kind);
const char* SoundExtension(SoundKind kind);

// A file of the kind holding the pictures in order. ID3 tags describe them
// ("Front cover") in their version's own text encoding and end in padding.
MusicFile BuildSound(SoundKind kind, const std::vector<TagPicture>& pictures);
