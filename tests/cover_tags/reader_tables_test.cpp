// Covers in Ogg Vorbis and Opus comments, FLAC comments, ASF attributes,
// APEv2 tags and the ID3 chunks of WAV and AIFF files: one table per
// reader of the layouts its format allows. Every file of every table, and
// of the ID3, FLAC and MP4 layouts, cut at every length: the whole right
// picture or nothing, and nothing before the picture has ended.
#include "tests/cover_tags/cover_test_sources.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kFront = 3, kOther = 0, kBack = 4;

struct FormatCase {
    const char* name;
    Bytes file;
    Bytes cover;  // empty: none
};

Bytes CoverOf(const Bytes& file) {
    MemoryCoverSource source(file);
    return CoverIn(source);
}

Bytes Joined(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const TagPicture kOtherPicture = PictureOf(120, kOther, 1);
const TagPicture kFrontPicture = PictureOf(150, kFront, 2);
const TagPicture kBackPicture = PictureOf(90, kBack, 3);
const std::vector<TagPicture> kFrontSecond = {kOtherPicture, kFrontPicture};
const std::vector<TagPicture> kNoFront = {kBackPicture, kOtherPicture};

std::vector<FormatCase> OggCases() {
    OggOptions opus;
    opus.opus = true;
    OggOptions shortPages;  // most of them pages on which no packet ends
    shortPages.pageBodyLimit = 1;
    OggOptions twoStreams = opus;
    twoStreams.secondStream = true;
    twoStreams.pageBodyLimit = 200;
    OggOptions lowerCase;
    lowerCase.lowerCaseKey = true;
    return {
        {"Vorbis, the front cover second", BuildOggFile(kFrontSecond, {}), kFrontPicture.bytes},
        {"Opus, no front cover: the first", BuildOggFile(kNoFront, opus), kBackPicture.bytes},
        {"Vorbis, a segment to a page", BuildOggFile(kFrontSecond, shortPages), kFrontPicture.bytes},
        {"Opus between another stream's pages", BuildOggFile(kFrontSecond, twoStreams), kFrontPicture.bytes},
        {"the key in lower case", BuildOggFile({kBackPicture}, lowerCase), kBackPicture.bytes},
        {"no pictures", BuildOggFile({}, opus), {}},
    };
}

std::vector<FormatCase> FlacCommentCases() {
    return {
        {"FLAC, pictures only in the comment", BuildFlacFile({}, kFrontSecond), kFrontPicture.bytes},
        {"FLAC, a PICTURE block beats the comment's front cover", BuildFlacFile({kBackPicture}, {kFrontPicture}),
         kBackPicture.bytes},
    };
}

std::vector<FormatCase> AsfCases() {
    AsfOptions library;
    library.libraryAbove = 0;
    AsfOptions frontInLibrary;
    frontInLibrary.libraryAbove = 200;
    return {
        {"ASF, the front cover second", BuildAsfFile(kFrontSecond, {}), kFrontPicture.bytes},
        {"ASF, no front cover, in the metadata library", BuildAsfFile(kNoFront, library), kBackPicture.bytes},
        {"ASF, the front cover in the library beats another in the description",
         BuildAsfFile({kOtherPicture, PictureOf(300, kFront, 4)}, frontInLibrary), PictureOf(300, kFront, 4).bytes},
        {"ASF without pictures", BuildAsfFile({}, {}), {}},
    };
}

std::vector<FormatCase> ApeCases() {
    ApeOptions wavPack;
    wavPack.stream = ApeOptions::Stream::kWavPack;
    wavPack.withHeader = true;
    wavPack.id3v1 = true;
    ApeOptions mp3;
    mp3.stream = ApeOptions::Stream::kMpeg;
    return {
        {"Monkey's Audio, the front cover second", BuildApeFile({kBackPicture, kFrontPicture}, {}), kFrontPicture.bytes},
        {"WavPack, a tag header, an ID3v1 tag after", BuildApeFile({kOtherPicture}, wavPack), kOtherPicture.bytes},
        {"MP3 with APEv2 only", BuildApeFile(kNoFront, mp3), kBackPicture.bytes},
        {"MP3, ID3v2 without a picture, APEv2 with one",
         Joined(BuildId3Tag({}, {}), BuildApeFile({kFrontPicture}, mp3)), kFrontPicture.bytes},
        {"MP3, the ID3v2 picture beats APEv2's front cover",
         Joined(BuildId3Tag({kOtherPicture}, {}), BuildApeFile({kFrontPicture}, mp3)), kOtherPicture.bytes},
        {"APEv2 without cover art", BuildApeFile({}, {}), {}},
    };
}

std::vector<FormatCase> PcmCases() {
    PcmOptions before;
    before.id3ChunkId = "ID3 ";
    before.id3BeforeSamples = true;
    PcmOptions aiff;
    aiff.form = PcmOptions::Form::kAiff;
    aiff.id3ChunkId = "ID3 ";
    PcmOptions aifc;
    aifc.form = PcmOptions::Form::kAifc;
    aifc.id3BeforeSamples = true;
    return {
        {"WAV, id3 after the samples", BuildPcmFile(kFrontSecond, {}), kFrontPicture.bytes},
        {"WAV, ID3 before the samples", BuildPcmFile(kNoFront, before), kBackPicture.bytes},
        {"AIFF", BuildPcmFile(kFrontSecond, aiff), kFrontPicture.bytes},
        {"AIFC, id3 before the samples", BuildPcmFile({kOtherPicture}, aifc), kOtherPicture.bytes},
        {"WAV without pictures", BuildPcmFile({}, {}), {}},
    };
}

void ExpectCovers(const std::vector<FormatCase>& cases) {
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CoverOf(c.file), c.cover);
    }
}

TEST(OggCover, PicksTheFrontCoverElseTheFirstInEachLayout) { ExpectCovers(OggCases()); }
TEST(FlacCover, ReadsCommentPicturesWhenNoBlockHasOne) { ExpectCovers(FlacCommentCases()); }
TEST(AsfCover, PicksTheFrontCoverElseTheFirstInEitherObject) { ExpectCovers(AsfCases()); }
TEST(ApeCover, PicksTheFrontCoverElseTheFirstAfterAnyId3Picture) { ExpectCovers(ApeCases()); }
TEST(PcmCover, ReadsTheId3ChunkWhereverItLies) { ExpectCovers(PcmCases()); }

std::vector<FormatCase> Id3FlacMp4Cases() {
    const std::vector<TagPicture> noFront = {PictureOf(120, kOther, 4), PictureOf(150, kOther, 5)};
    Id3Options v22;
    v22.version = 2;
    Id3Options v23;
    v23.unsynchronised = true;
    v23.extendedHeader = true;
    v23.padding = 40;
    Id3Options v24;
    v24.version = 4;
    v24.framesUnsynchronised = true;
    v24.dataLengthIndicator = true;
    Mp4Options late;
    late.moovAfterMdat = true;
    return {
        {"ID3 2.2", BuildId3File(kFrontSecond, v22), kFrontPicture.bytes},
        {"ID3 2.3 unsynchronised", BuildId3File(kFrontSecond, v23), kFrontPicture.bytes},
        {"ID3 2.4 frames unsynchronised", BuildId3File(kFrontSecond, v24), kFrontPicture.bytes},
        {"FLAC", BuildFlacFile(kFrontSecond), kFrontPicture.bytes},
        {"FLAC without a front cover", BuildFlacFile(noFront), noFront[0].bytes},
        {"MP4", BuildM4aFile(kFrontSecond, {}), kOtherPicture.bytes},
        {"MP4 moov last", BuildM4aFile(kFrontSecond, late), kOtherPicture.bytes},
    };
}

TEST(EveryReader, AFileCutAtAnyLengthGivesTheWholePictureOrNothing) {
    for (const auto& table : {Id3FlacMp4Cases(), OggCases(), FlacCommentCases(), AsfCases(), ApeCases(), PcmCases()}) {
        for (const FormatCase& c : table) {
            SCOPED_TRACE(c.name);
            // Where a picture is stored as it is; base64 and unsynchronised
            // ones are not found, and leave 0.
            const auto stored = std::search(c.file.begin(), c.file.end(), c.cover.begin(), c.cover.end());
            const size_t pictureEnd = stored == c.file.end() ? 0 : size_t(stored - c.file.begin()) + c.cover.size();
            for (size_t cut = 0; cut < c.file.size(); ++cut) {
                const Bytes cover = CoverOf(Bytes(c.file.begin(), c.file.begin() + cut));
                ASSERT_TRUE(cover.empty() || (cover == c.cover && cut >= pictureEnd)) << "cut at " << cut;
            }
        }
    }
}

}  // namespace
