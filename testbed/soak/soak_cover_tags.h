// Sound music files that carry cover pictures the way players and taggers
// write them: MP3s with ID3v2.2, 2.3 or 2.4 tags, FLAC files with PICTURE
// blocks, and M4A files with an iTunes-style covr item.
#pragma once

#include "testbed/soak/soak_cover_bytes.h"

#include <string>
#include <vector>

enum class PictureFormat { Jpeg, Png };

// ID3's and FLAC's picture types.
constexpr uint8_t kOtherPicture = 0;
constexpr uint8_t kFrontCover = 3;
constexpr uint8_t kBackCover = 4;

struct TagPicture {
    PictureFormat format;
    uint8_t type;
    int width;
    int height;
    Bytes data;
};

// An MP3 whose ID3v2 tag (version 2, 3 or 4) holds the title, then the
// pictures in order, then padding. A version 4 tag has an extended header.
MusicFile Id3File(int version, const std::string& title, const std::vector<TagPicture>& pictures);
// A FLAC file: STREAMINFO, a Vorbis comment with the title, a PICTURE block
// for each picture, padding.
MusicFile FlacFile(const std::string& title, const std::vector<TagPicture>& pictures);
// An M4A file whose moov/udta/meta/ilst holds the title and a covr item
// with the pictures. mediaFirst puts a 64-bit sized mdat before the moov,
// as files written without a second pass have it.
MusicFile Mp4File(const std::string& title, const std::vector<TagPicture>& pictures, bool mediaFirst);
// MPEG audio frames with no tag at all.
Bytes MpegAudio();
