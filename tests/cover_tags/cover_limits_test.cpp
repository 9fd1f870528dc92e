// Bad and oversized tags: lengths that run past their container give no
// cover, files that claim gigabytes are read and held no further than
// kCoverReadLimit, and samples before a tag are skipped unread.
#include "tests/cover_tags/allocation_meter.h"
#include "tests/cover_tags/cover_test_sources.h"
#include "cover/cover_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string_view>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kFront = 3, kOther = 0;
// Room for the bookkeeping around a picture the size of the budget.
constexpr size_t kHeapSlack = 64 * 1024;

Bytes CoverOf(const Bytes& file) {
    MemoryCoverSource source(file);
    return CoverIn(source);
}

size_t Find(const Bytes& bytes, std::string_view text, size_t from = 0) {
    return static_cast<size_t>(std::search(bytes.begin() + from, bytes.end(), text.begin(), text.end()) - bytes.begin());
}

void PutBE(Bytes& bytes, size_t at, int width, uint32_t value) {
    for (int i = 0; i < width; ++i) bytes.at(at + i) = static_cast<uint8_t>(value >> 8 * (width - 1 - i));
}

Bytes BoxHeader(uint32_t size, std::string_view type) {
    Bytes header;
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<uint8_t>(size >> shift));
    header.insert(header.end(), type.begin(), type.end());
    return header;
}

Id3Options Version(int version) {
    Id3Options options;
    options.version = version;
    return options;
}

TEST(BadTags, LengthsPastTheirContainerGiveNoCover) {
    const std::vector<TagPicture> pictures = {PictureOf(200, kFront, 1)};
    struct Case {
        const char* name;
        Bytes file;
        std::function<void(Bytes&)> spoil;
    };
    const Case cases[] = {
        {"ID3 tag longer than the file", BuildId3Tag(pictures, Version(3)), [](Bytes& f) { f.pop_back(); }},
        {"2.2 frame past the tag", BuildId3File(pictures, Version(2)),
         [](Bytes& f) { PutBE(f, Find(f, "PIC") + 3, 3, 0xFFFFFF); }},
        {"2.3 frame past the tag", BuildId3File(pictures, Version(3)),
         [](Bytes& f) { PutBE(f, Find(f, "APIC") + 4, 4, 0x7FFFFFFF); }},
        {"2.4 frame past the tag", BuildId3File(pictures, Version(4)),
         [](Bytes& f) { PutBE(f, Find(f, "APIC") + 4, 4, 0x7F7F7F7F); }},
        {"2.4 frame size not syncsafe", BuildId3File(pictures, Version(4)),
         [](Bytes& f) { PutBE(f, Find(f, "APIC") + 6, 1, 0x80); }},
        {"FLAC picture block past the file", BuildFlacFile(pictures),
         [](Bytes& f) { PutBE(f, Find(f, "image/jpeg") - 11, 3, 0xFFFFFF); }},
        {"FLAC picture data past its block", BuildFlacFile(pictures),
         [](Bytes& f) { PutBE(f, Find(f, "image/jpeg") + 10 + 4 + 16, 4, 201); }},
        {"MP4 data box past covr", BuildM4aFile(pictures, {}),
         [](Bytes& f) { PutBE(f, Find(f, "covr") + 4, 4, 0x7FFFFFFF); }},
        {"MP4 box shorter than its header", BuildM4aFile(pictures, {}),
         [](Bytes& f) { PutBE(f, Find(f, "covr") + 4, 4, 7); }},
        {"MP4 moov past the file", BuildM4aFile(pictures, {}),
         [](Bytes& f) { PutBE(f, Find(f, "moov") - 4, 4, 0xFFFFFFF0); }},
        {"Ogg comment past the packet", BuildOggFile(pictures, {}),
         [](Bytes& f) { PutBE(f, Find(f, "METADATA_BLOCK_PICTURE=") - 4, 4, 0xFFFFFFFF); }},
        {"Ogg comment on a page of audio", BuildOggFile(pictures, {}),  // the second page's granule position
         [](Bytes& f) { f.at(Find(f, "OggS", 1) + 6) = 1; }},
        {"Ogg picture that is no base64", BuildOggFile(pictures, {}),
         [](Bytes& f) { f.at(Find(f, "PICTURE=") + 20) = '!'; }},
        {"FLAC comment picture that is no base64", BuildFlacFile({}, pictures),
         [](Bytes& f) { f.at(Find(f, "PICTURE=") + 20) = '!'; }},
        {"ASF object past the Header Object", BuildAsfFile(pictures, {}),  // the description holding the album
         [](Bytes& f) { PutBE(f, Find(f, std::string_view("W\0M\0/\0A", 7)) - 12, 4, 0xFFFFFFFF); }},
        {"ASF picture data past its value", BuildAsfFile(pictures, {}),
         [](Bytes& f) { f.at(Find(f, std::string_view("W\0M\0/\0P", 7)) + 27) = 201; }},
        {"APEv2 tag past the file", BuildApeFile(pictures, {}),
         [](Bytes& f) { PutBE(f, f.size() - 20, 4, 0xFFFFFFFF); }},
        {"APEv2 item past the tag", BuildApeFile(pictures, {}),
         [](Bytes& f) { PutBE(f, Find(f, "Title") - 8, 4, 0xFFFFFFFF); }},
        {"WAV chunk past the form", BuildPcmFile(pictures, {}),
         [](Bytes& f) { PutBE(f, Find(f, "id3 ") + 4, 4, 0xFFFFFFFF); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = c.file;
        ASSERT_EQ(CoverOf(file), pictures[0].bytes);
        c.spoil(file);
        EXPECT_TRUE(CoverOf(file).empty());
    }
}

// An MP4 file of nearly 4 GB whose boxes nest down to a data box of the
// given size.
Bytes HugeMp4Start(uint32_t dataBoxSize) {
    const uint32_t moovSize = 0xEFFFFFF0;
    Bytes file = BoxHeader(16, "ftyp");
    const auto add = [&file](const Bytes& more) { file.insert(file.end(), more.begin(), more.end()); };
    add({'M', '4', 'A', ' ', 0, 0, 0, 0});
    add(BoxHeader(moovSize, "moov"));
    add(BoxHeader(moovSize - 8, "udta"));
    add(BoxHeader(moovSize - 16, "meta"));
    add({0, 0, 0, 0});
    add(BoxHeader(33, "hdlr"));
    add({0, 0, 0, 0, 0, 0, 0, 0, 'm', 'd', 'i', 'r', 'a', 'p', 'p', 'l', 0, 0, 0, 0, 0, 0, 0, 0, 0});
    add(BoxHeader(moovSize - 28 - 33, "ilst"));
    add(BoxHeader(moovSize - 28 - 33 - 8, "covr"));
    add(BoxHeader(dataBoxSize, "data"));
    add({0, 0, 0, 13, 0, 0, 0, 0});
    return file;
}

constexpr uint64_t kClaimedMp4Size = 0xF0000000;

TEST(ReadLimit, AnMp4ClaimingHugeBoxesIsReadNoFurtherThanTheLimit) {
    const uint32_t dataHeaders = 16;
    const struct {
        const char* name;
        uint32_t pictureSize;
        bool fits;
    } cases[] = {
        {"a picture of 3 GB", 0xC0000000u, false},
        {"a picture of the whole limit", kCoverReadLimit, false},
        {"a picture just inside the limit", kCoverReadLimit - 4096, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes start = HugeMp4Start(c.pictureSize + dataHeaders);
        ClaimedSizeSource huge(start, kClaimedMp4Size, 0xAB);
        CountingSource counting(huge);
        const AllocationMeter meter;
        const HeapBytes cover = CoverFromTags(counting);
        EXPECT_LE(meter.PeakBytes(), kCoverReadLimit + kHeapSlack);
        EXPECT_LE(counting.bytesRead, kCoverReadLimit);
        EXPECT_EQ(cover.size(), c.fits ? c.pictureSize : 0u);
        if (!c.fits) {
            EXPECT_LT(counting.bytesRead, 4096u);
        }
    }
}

TEST(ReadLimit, AnMp4BoxClaimingMoreThanTheFileEndsTheSearchUnread) {
    Bytes file = BoxHeader(16, "ftyp");
    file.resize(16, 0);
    const Bytes mdat = {0, 0, 0, 1, 'm', 'd', 'a', 't', 0, 0, 0x10, 0, 0, 0, 0, 0};  // 16 TB
    file.insert(file.end(), mdat.begin(), mdat.end());
    ClaimedSizeSource huge(file, kClaimedMp4Size);
    CountingSource counting(huge);
    EXPECT_TRUE(CoverIn(counting).empty());
    EXPECT_LT(counting.bytesRead, 64u);
}

// A 2.3 tag claiming the largest size a syncsafe integer holds, in a file
// of 2.5 GB: a front cover unless its size is 0, then a frame that claims
// 2 GB.
Bytes HugeId3Start(uint32_t pictureSize) {
    Bytes tag = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    const Bytes huge = {'G', 'E', 'O', 'B', 0x80, 0, 0, 0, 0, 0};
    if (pictureSize == 0) {
        tag.insert(tag.end(), huge.begin(), huge.end());
        return tag;
    }
    const Bytes fields = {0, 'i', 'm', 'a', 'g', 'e', '/', 'p', 'n', 'g', 0, kFront, 0};
    Bytes frame = {'A', 'P', 'I', 'C'};
    const uint32_t frameSize = static_cast<uint32_t>(fields.size()) + pictureSize;
    for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<uint8_t>(frameSize >> shift));
    frame.insert(frame.end(), {0, 0});
    frame.insert(frame.end(), fields.begin(), fields.end());
    tag.insert(tag.end(), frame.begin(), frame.end());
    tag.resize(tag.size() + pictureSize, 0xCD);
    tag.insert(tag.end(), huge.begin(), huge.end());
    return tag;
}

TEST(ReadLimit, AnId3TagClaimingGigabytesIsSearchedOnlyAsFarAsTheLimit) {
    const struct {
        const char* name;
        uint32_t pictureSize;
        bool fits;
    } cases[] = {
        {"a front cover inside the limit", 12u << 20, true},
        {"a front cover past the limit", kCoverReadLimit, false},
        {"no picture before the 2 GB frame", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes start = HugeId3Start(c.pictureSize);
        ClaimedSizeSource huge(start, 0xA0000000, 0);
        CountingSource counting(huge);
        const AllocationMeter meter;
        const HeapBytes cover = CoverFromTags(counting);
        EXPECT_LE(counting.bytesRead, kCoverReadLimit);
        EXPECT_LE(meter.PeakBytes(), kCoverReadLimit + kHeapSlack);
        EXPECT_EQ(cover.size(), c.fits ? c.pictureSize : 0u);
    }
}

TEST(ReadLimit, EmptyBlocksBoxesChunksAndPagesCostABoundedNumberOfReads) {
    // A FLAC stream of empty blocks, none of them marked last, for
    // gigabytes; an MP4 file of 8-byte boxes before its moov; a WAV file of
    // empty chunks; an Ogg comment over 1,600 pages of 255 bytes.
    const std::vector<TagPicture> pictures = {PictureOf(100, kFront, 7)};
    Bytes boxes = BuildM4aFile(pictures, {});
    ASSERT_EQ(CoverOf(boxes), pictures[0].bytes);
    Bytes free;
    Bytes wav = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F, 'W', 'A', 'V', 'E'};
    for (uint32_t i = 0; i < 4 * kCoverReadCountLimit; ++i) {
        const Bytes box = BoxHeader(8, "free");
        free.insert(free.end(), box.begin(), box.end());
        wav.insert(wav.end(), {'J', 'U', 'N', 'K', 0, 0, 0, 0});
    }
    const size_t ftypSize = boxes[3];
    boxes.insert(boxes.begin() + ftypSize, free.begin(), free.end());
    OggOptions shortPages;
    shortPages.pageBodyLimit = 255;
    const Bytes ogg = BuildOggFile({PictureOf(300000, kFront, 8)}, shortPages);
    const struct {
        const char* name;
        Bytes start;
        uint64_t claimedSize;
    } cases[] = {
        {"FLAC", {'f', 'L', 'a', 'C'}, kClaimedMp4Size},
        {"MP4", boxes, boxes.size()},
        {"WAV", wav, wav.size()},
        {"Ogg", ogg, ogg.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClaimedSizeSource source(c.start, c.claimedSize, 0);
        CountingSource counting(source);
        EXPECT_TRUE(CoverIn(counting).empty());
        EXPECT_LE(counting.reads, kCoverReadCountLimit);
    }
}

// Every block a reader asks for, refused in turn: no cover, and the reader
// returns rather than ending the process, saying the heap ran short so
// that the empty result is not taken for the file's last word.
TEST(HeapShortage, ARefusedBlockGivesNoCoverAndSaysSo) {
    const std::vector<TagPicture> pictures = {PictureOf(5000, kOther, 8), PictureOf(7000, kFront, 9)};
    Id3Options unsynchronised = Version(3);
    unsynchronised.unsynchronised = true;
    Id3Options framesUnsynchronised = Version(4);
    framesUnsynchronised.framesUnsynchronised = true;
    Bytes id3BeforeFlac = BuildId3Tag({}, Version(3));
    const Bytes flac = BuildFlacFile(pictures);
    id3BeforeFlac.insert(id3BeforeFlac.end(), flac.begin(), flac.end());
    const struct {
        const char* name;
        Bytes file;
    } files[] = {
        {"ID3 2.3", BuildId3File(pictures, Version(3))},
        {"ID3 2.3 unsynchronised", BuildId3File(pictures, unsynchronised)},
        {"ID3 2.4 frames unsynchronised", BuildId3File(pictures, framesUnsynchronised)},
        {"ID3 before FLAC", id3BeforeFlac},
        {"FLAC", flac},
        {"MP4", BuildM4aFile(pictures, {})},
        {"Ogg", BuildOggFile(pictures, {})},
        {"ASF", BuildAsfFile(pictures, {})},
        {"APEv2", BuildApeFile(pictures, {})},
        {"WAV", BuildPcmFile(pictures, {})},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        MemoryCoverSource source(f.file);
        const AllocationMeter meter;
        bool heapRanShort = true;
        ASSERT_FALSE(CoverFromTags(source, &heapRanShort).empty());
        EXPECT_FALSE(heapRanShort);
        const int needed = meter.Allocations();
        ASSERT_GT(needed, 0);
        for (int allowed = 0; allowed < needed; ++allowed) {
            HeapBytes cover;
            {
                const HeapShortage shortage(allowed);
                cover = CoverFromTags(source, &heapRanShort);
            }
            EXPECT_TRUE(cover.empty() && heapRanShort) << "with " << allowed << " of " << needed << " blocks";
        }
    }
}

TEST(ReadLimit, AWavCostsTheSameWhateverTheSamplesBeforeItsTag) {
    const std::vector<TagPicture> pictures = {PictureOf(3000, kFront, 8)};
    PcmOptions options;
    options.samplesLeftOut = true;
    uint64_t reads[2] = {}, bytesRead[2] = {};
    const uint32_t sampleSizes[2] = {1u << 20, 1u << 30};
    for (int i = 0; i < 2; ++i) {
        options.sampleBytes = sampleSizes[i];
        const Bytes file = BuildPcmFile(pictures, options);
        GapSource source(file, Find(file, "data") + 8, sampleSizes[i]);
        CountingSource counting(source);
        EXPECT_EQ(CoverIn(counting), pictures[0].bytes);
        reads[i] = counting.reads;
        bytesRead[i] = counting.bytesRead;
    }
    EXPECT_EQ(reads[0], reads[1]);
    EXPECT_EQ(bytesRead[0], bytesRead[1]);
}

TEST(ReadLimit, APictureNearTheLimitIsHeldOnce) {
    const std::vector<TagPicture> large = {PictureOf(15u << 20, kFront, 6)};
    // Its base64 text, 4/3 of it, and the pages' headers just fit.
    const std::vector<TagPicture> encoded = {PictureOf(11u << 20, kFront, 7)};
    OggOptions longPages;
    longPages.pageBodyLimit = 60000;
    const struct {
        const char* name;
        Bytes file;
        const Bytes& picture;
    } cases[] = {
        {"FLAC", BuildFlacFile(large), large[0].bytes},
        {"Ogg", BuildOggFile(encoded, longPages), encoded[0].bytes},
        {"ASF", BuildAsfFile(large, {}), large[0].bytes},
        {"APEv2", BuildApeFile(large, {}), large[0].bytes},
        {"WAV", BuildPcmFile(large, {}), large[0].bytes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryCoverSource source(c.file);
        const AllocationMeter meter;
        const HeapBytes cover = CoverFromTags(source);
        EXPECT_LE(meter.PeakBytes(), c.file.size() + kHeapSlack);
        EXPECT_TRUE(Bytes(cover.data(), cover.data() + cover.size()) == c.picture);
    }
}

}  // namespace
