// Covers in ID3v2.2, 2.3 and 2.4 tags: which picture wins, and the ways a
// tag may store it (unsynchronised, behind an extended header, with a data
// length, compressed or encrypted frames to pass by, descriptions in each
// text encoding).
#include "tests/cover_tags/cover_test_sources.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr uint8_t kFront = 3, kOther = 0, kBack = 4;
constexpr int kNoPicture = -1;

TagPicture Described(TagPicture picture, uint8_t encoding, std::u16string description) {
    picture.descriptionEncoding = encoding;
    picture.description = std::move(description);
    return picture;
}

TagPicture Stored(TagPicture picture, TagPicture::Storage storage) {
    picture.storage = storage;
    return picture;
}

TagPicture Link() {
    TagPicture link;
    const std::string url = "http://example.invalid/cover.jpg";
    link.bytes.assign(url.begin(), url.end());
    link.mime = "-->";
    link.type = kFront;
    return link;
}

Id3Options V(int version) {
    Id3Options options;
    options.version = version;
    return options;
}

Id3Options With(Id3Options options, void (*change)(Id3Options&)) {
    change(options);
    return options;
}

struct Id3Case {
    const char* name;
    Id3Options options;
    std::vector<TagPicture> pictures;
    int expected;  // index into pictures
};

std::vector<Id3Case> Cases() {
    const auto unsynchronised = [](Id3Options& o) { o.unsynchronised = true; };
    const auto extended = [](Id3Options& o) {
        o.extendedHeader = true;
        o.padding = 300;
    };
    const auto framesUnsynchronised = [](Id3Options& o) {
        o.framesUnsynchronised = true;
        o.dataLengthIndicator = true;
    };
    const auto padded = [](Id3Options& o) { o.padding = 1024; };
    // "A" and U+0100: in UTF-16 a zero pair that straddles two characters.
    const std::u16string straddling = u"A\u0100 cover";
    return {
        {"2.3 front cover second", V(3), {PictureOf(200, kOther, 1), PictureOf(300, kFront, 2)}, 1},
        {"2.3 no front cover: the first", V(3), {PictureOf(200, kBack, 1), PictureOf(300, kOther, 2)}, 0},
        {"2.3 unsynchronised", With(V(3), unsynchronised), {PictureOf(200, kBack, 1), PictureOf(999, kFront, 3)}, 1},
        {"2.3 extended header and padding", With(V(3), extended), {PictureOf(500, kFront, 4)}, 0},
        {"2.3 compressed and encrypted frames passed by", V(3),
         {Stored(PictureOf(100, kFront, 5), TagPicture::Storage::kCompressed),
          Stored(PictureOf(100, kFront, 6), TagPicture::Storage::kEncrypted), PictureOf(100, kOther, 7)},
         2},
        {"2.3 UTF-16 description", V(3),
         {Described(PictureOf(100, kOther, 8), 1, straddling), Described(PictureOf(90, kFront, 9), 1, u"")}, 1},
        {"2.3 no pictures", V(3), {}, kNoPicture},
        {"2.4 syncsafe sizes", V(4), {PictureOf(300, kOther, 10), PictureOf(20000, kFront, 11)}, 1},
        {"2.4 frames unsynchronised, with data lengths", With(V(4), framesUnsynchronised),
         {PictureOf(400, kBack, 12), PictureOf(777, kFront, 13)}, 1},
        {"2.4 unsynchronised by the header only", With(V(4), unsynchronised), {PictureOf(640, kFront, 14)}, 0},
        {"2.4 extended header and padding", With(V(4), extended), {PictureOf(150, kOther, 15)}, 0},
        {"2.4 UTF-16BE and UTF-8 descriptions", With(V(4), padded),
         {Described(PictureOf(100, kOther, 16), 2, straddling), Described(PictureOf(120, kFront, 17), 3, u"\u00e9t\u00e9")},
         1},
        {"2.4 compressed front passed by", V(4),
         {Stored(PictureOf(100, kFront, 18), TagPicture::Storage::kCompressed), PictureOf(100, kBack, 19)}, 1},
        {"2.2 front cover second", V(2), {PictureOf(128, kOther, 20), PictureOf(256, kFront, 21)}, 1},
        {"2.2 unsynchronised, UCS-2 description", With(V(2), unsynchronised),
         {Described(PictureOf(333, kFront, 22), 1, straddling)}, 0},
        {"a front cover too small to be a picture", V(3), {PictureOf(7, kFront, 23), PictureOf(100, kOther, 24)}, 1},
        {"a front cover that is only a link", V(3), {Link(), PictureOf(100, kBack, 25)}, 1},
        {"2.2 link", V(2), {Link()}, kNoPicture},
    };
}

TEST(Id3Cover, PicksTheFrontCoverElseTheFirstPictureByteExact) {
    for (const Id3Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = BuildId3File(c.pictures, c.options);
        MemoryCoverSource source(file);
        const std::vector<uint8_t> cover = CoverIn(source);
        if (c.expected == kNoPicture) {
            EXPECT_TRUE(cover.empty());
        } else {
            EXPECT_EQ(cover, c.pictures[c.expected].bytes);
        }
    }
}

TEST(Id3Cover, UnsynchronisedTagsReallyStoreTheStuffedBytes) {
    // Without this the unsynchronised cases above would prove nothing.
    const std::vector<TagPicture> pictures = {PictureOf(100, kFront, 1)};
    for (int version : {2, 3, 4}) {
        Id3Options options = V(version);
        const std::vector<uint8_t> plain = BuildId3Tag(pictures, options);
        options.unsynchronised = true;
        const std::vector<uint8_t> stuffed = BuildId3Tag(pictures, options);
        EXPECT_GT(stuffed.size(), plain.size()) << "version " << version;
        EXPECT_EQ(std::search(stuffed.begin(), stuffed.end(), pictures[0].bytes.begin(), pictures[0].bytes.end()),
                  stuffed.end());
    }
}

TEST(Id3Cover, AnId3TagWithNoPictureBeforeAFlacStreamLeavesItToTheStream) {
    const std::vector<TagPicture> flacPictures = {PictureOf(300, kOther, 2)};
    for (int version : {2, 3, 4}) {
        std::vector<uint8_t> file = BuildId3Tag({}, V(version));
        const std::vector<uint8_t> flac = BuildFlacFile(flacPictures);
        file.insert(file.end(), flac.begin(), flac.end());
        MemoryCoverSource source(file);
        EXPECT_EQ(CoverIn(source), flacPictures[0].bytes) << "version " << version;
    }
}

}  // namespace
