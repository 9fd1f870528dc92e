// Covers in FLAC picture blocks and in MP4 covr items, in the layouts the
// writers use: moov before or after the audio, meta with or without its
// version and flags, several pictures.
#include "tests/cover_tags/cover_test_sources.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kFront = 3, kOther = 0, kBack = 4;

TEST(FlacCover, PicksTheFrontCoverElseTheFirstPicture) {
    struct Case {
        const char* name;
        std::vector<TagPicture> pictures;
        int expected;
    };
    const Case cases[] = {
        {"front cover second", {PictureOf(300, kOther, 1), PictureOf(500, kFront, 2)}, 1},
        {"no front cover", {PictureOf(300, kBack, 3), PictureOf(500, kOther, 4)}, 0},
        {"a front cover too small to be a picture", {PictureOf(4, kFront, 5), PictureOf(64, kBack, 6)}, 1},
        {"one picture", {PictureOf(70000, kFront, 7)}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = BuildFlacFile(c.pictures);
        MemoryCoverSource source(file);
        EXPECT_EQ(CoverIn(source), c.pictures[c.expected].bytes);
    }
    const std::vector<uint8_t> none = BuildFlacFile({});
    MemoryCoverSource source(none);
    EXPECT_TRUE(CoverIn(source).empty());
}

TEST(Mp4Cover, TakesTheFirstPictureInEachLayout) {
    struct Case {
        const char* name;
        Mp4Options options;
    };
    Case cases[] = {{"moov first", {}}, {"moov after mdat", {}}, {"64-bit mdat size", {}}, {"meta without version", {}}};
    cases[1].options.moovAfterMdat = true;
    cases[2].options.moovAfterMdat = true;
    cases[2].options.largeMdatHeader = true;
    cases[3].options.metaWithoutVersion = true;
    TagPicture png = PictureOf(400, kOther, 9);
    png.mime = "image/png";
    const std::vector<TagPicture> pictures = {PictureOf(600, kFront, 8), png};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = BuildM4aFile(pictures, c.options);
        MemoryCoverSource source(file);
        EXPECT_EQ(CoverIn(source), pictures[0].bytes);
    }
    const std::vector<uint8_t> none = BuildM4aFile({}, {});
    MemoryCoverSource source(none);
    EXPECT_TRUE(CoverIn(source).empty());
}

TEST(Mp4Cover, AudioBeforeMoovIsSkippedUnread) {
    Mp4Options options;
    options.moovAfterMdat = true;
    options.largeMdatHeader = true;
    options.mdatPayloadSize = kCoverReadLimit + (4u << 20);
    const std::vector<TagPicture> pictures = {PictureOf(5000, kFront, 10)};
    const std::vector<uint8_t> file = BuildM4aFile(pictures, options);
    MemoryCoverSource memory(file);
    CountingSource counting(memory);
    EXPECT_EQ(CoverIn(counting), pictures[0].bytes);
    // The picture, and a few box headers around it.
    EXPECT_LT(counting.bytesRead, pictures[0].bytes.size() + 256);
}

}  // namespace
