// The soak's sound music files read back along their own sizes, as a tag
// reader walks them, with each picture where the structure says; every
// kind's layout true to its bytes; pictures decoded by the imaging
// component at the size they were drawn; and each mutation changing only
// what it says it changes, in every kind of file.
#include "testbed/soak/soak_cover_mutations.h"
#include "testbed/soak/soak_cover_pictures.h"
#include "testbed/soak/soak_cover_tags.h"
#include "cover/cover_picture.h"
#include "cover/picture_header.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <functional>

namespace {

// The test's files are far below 4 GB.
size_t Number(const Bytes& b, size_t offset, int size, NumberCoding coding = NumberCoding::BigEndian) {
    return static_cast<size_t>(ReadNumber(b, {offset, size, coding}));
}

size_t AfterTerminator(const Bytes& b, size_t at, bool wide) {
    const size_t step = wide ? 2 : 1;
    while (b.at(at) != 0 || (wide && b.at(at + 1) != 0)) at += step;
    return at + step;
}

// An APIC or PIC frame's body: encoding, format, type, description, data.
ByteSpan Id3PictureData(const Bytes& b, size_t body, size_t size, int version) {
    const bool wide = b[body] == 1 || b[body] == 2;
    const size_t type = version == 2 ? body + 4 : AfterTerminator(b, body + 1, false);
    const size_t data = AfterTerminator(b, type + 1, wide);
    return {data, body + size - data};
}

// The pictures an ID3v2 tag's sizes lead to; where the tag ends.
std::vector<ByteSpan> Id3Pictures(const Bytes& b, size_t* end) {
    const int version = b[3];
    *end = 10 + Number(b, 6, 4, NumberCoding::Synchsafe);
    size_t at = 10 + ((b[5] & 0x40) ? Number(b, 10, 4, NumberCoding::Synchsafe) : 0);
    const size_t nameSize = version == 2 ? 3 : 4, headerSize = version == 2 ? 6 : 10;
    std::vector<ByteSpan> pictures;
    while (at + headerSize <= *end && b[at] != 0) {
        const NumberCoding coding = version == 4 ? NumberCoding::Synchsafe : NumberCoding::BigEndian;
        const size_t size = version == 2 ? Number(b, at + 3, 3) : Number(b, at + 4, 4, coding);
        const std::string name(b.begin() + at, b.begin() + at + nameSize);
        if (name == "APIC" || name == "PIC") pictures.push_back(Id3PictureData(b, at + headerSize, size, version));
        at += headerSize + size;
    }
    for (; at < *end; ++at) EXPECT_EQ(b.at(at), 0) << "padding at " << at;
    return pictures;
}

// PICTURE blocks: type, MIME type, description, width, height, depth,
// colours, then the data, which must end the block.
std::vector<ByteSpan> FlacPictures(const Bytes& b, size_t* end) {
    std::vector<ByteSpan> pictures;
    size_t at = 4;
    for (bool last = false; !last;) {
        last = (b.at(at) & 0x80) != 0;
        const size_t body = at + 4, size = Number(b, at + 1, 3);
        if ((b[at] & 0x7F) == 6) {
            const size_t description = body + 8 + Number(b, body + 4, 4);
            const size_t data = description + 4 + Number(b, description, 4) + 20;
            pictures.push_back({data, Number(b, data - 4, 4)});
            EXPECT_EQ(data + pictures.back().size, body + size);
        }
        at = body + size;
    }
    *end = at;
    return pictures;
}

// Every box from..to, depth first, named by its path; the sizes must tile
// the range exactly.
struct Box {
    std::string path;
    size_t body;
    size_t size;
};
void Mp4Boxes(const Bytes& b, size_t from, size_t to, const std::string& parent, std::vector<Box>* boxes) {
    static const std::string kContainers[] = {"moov", "trak", "mdia", "udta", "meta", "ilst", "covr", "\xA9nam"};
    size_t at = from;
    while (at + 8 <= to) {
        // A size of 1: a 64-bit size follows the type.
        const bool large = Number(b, at, 4) == 1;
        const size_t size = large ? Number(b, at + 8, 8) : Number(b, at, 4), header = large ? 16 : 8;
        const std::string type(b.begin() + at + 4, b.begin() + at + 8), path = parent + "/" + type;
        ASSERT_TRUE(size >= header && at + size <= to) << path;
        boxes->push_back({path, at + header, size - header});
        for (const std::string& container : kContainers)
            if (type == container) Mp4Boxes(b, at + header + (type == "meta" ? 4 : 0), at + size, path, boxes);
        at += size;
    }
    EXPECT_EQ(at, to) << parent;
}

std::vector<ByteSpan> Mp4Pictures(const Bytes& b, size_t* end) {
    std::vector<Box> boxes;
    Mp4Boxes(b, 0, b.size(), "", &boxes);
    std::vector<ByteSpan> pictures;
    for (const Box& box : boxes) {
        if (box.path == "/moov") *end = box.body + box.size;
        // Past the data box's type indicator and locale.
        if (box.path == "/moov/udta/meta/ilst/covr/data") pictures.push_back({box.body + 8, box.size - 8});
    }
    return pictures;
}

class CoverTagsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
    void TearDown() override { CoUninitialize(); }
    std::mt19937 random_{7};
};

Bytes BytesAt(const Bytes& bytes, const ByteSpan& span) {
    const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(span.offset);
    return Bytes(from, from + static_cast<std::ptrdiff_t>(span.size));
}

TEST_F(CoverTagsTest, SoundFilesReadBackAlongTheirSizesWithTheirPictures) {
    const std::vector<TagPicture> pictures = {DrawPicture(PictureFormat::Png, 90, 30, kBackCover, random_),
                                              DrawPicture(PictureFormat::Jpeg, 17, 120, kFrontCover, random_)};
    using Walk = std::function<std::vector<ByteSpan>(const Bytes&, size_t*)>;
    const struct {
        SoundKind kind;
        Walk walk;
    } cases[] = {
        {SoundKind::Id3v22, Id3Pictures}, {SoundKind::Id3v23, Id3Pictures}, {SoundKind::Id3v24, Id3Pictures},
        {SoundKind::Flac, FlacPictures},  {SoundKind::M4a, Mp4Pictures},    {SoundKind::M4aMediaFirst, Mp4Pictures},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(SoundLabel(c.kind));
        const MusicFile file = BuildSound(c.kind, pictures);
        size_t end = 0;
        const std::vector<ByteSpan> walked = c.walk(file.bytes, &end);
        EXPECT_EQ(end, file.layout.tags.End());
        ASSERT_EQ(walked.size(), pictures.size());
        ASSERT_EQ(file.layout.pictures.size(), pictures.size());
        for (size_t i = 0; i < pictures.size(); ++i) {
            EXPECT_EQ(walked[i].offset, file.layout.pictures[i].offset);
            ASSERT_EQ(walked[i].size, pictures[i].bytes.size());
            EXPECT_EQ(BytesAt(file.bytes, walked[i]), pictures[i].bytes);
        }
    }
}

// What the mutations take from every kind's layout: each picture where its
// bytes are, inside the tags; the nearest length before it counting it
// and little more (an ID3 frame's, an MP4 data box's or an APEv2 item's
// header); and no length counting more than the file holds from its
// object's start (an ASF object's GUID comes before its size) or, for an
// APEv2 footer's, before the footer's end.
TEST_F(CoverTagsTest, EveryKindsLayoutIsTrueToItsBytes) {
    constexpr uint64_t kPictureHeaderRoom = 64, kObjectIdRoom = 16, kFooterAfterSize = 20;
    const std::vector<TagPicture> pictures = {DrawPicture(PictureFormat::Png, 90, 30, kBackCover, random_),
                                              DrawPicture(PictureFormat::Jpeg, 17, 120, kFrontCover, random_)};
    for (const SoundKind kind : kSoundKinds) {
        SCOPED_TRACE(SoundLabel(kind));
        const MusicFile file = BuildSound(kind, pictures);
        const FileLayout& layout = file.layout;
        EXPECT_TRUE(layout.tags.size > 16 && layout.tags.End() <= file.bytes.size());
        EXPECT_FALSE(layout.lengths.empty());
        for (const LengthField& field : layout.lengths) {
            const uint64_t counted = ReadNumber(file.bytes, field);
            EXPECT_TRUE(counted <= file.bytes.size() - field.offset + kObjectIdRoom ||
                        counted <= field.offset + kFooterAfterSize)
                << counted << " at " << field.offset;
        }
        // A comment's pictures are in base64, where no picture's bytes lie.
        const bool inBase64 = kind == SoundKind::OggVorbis || kind == SoundKind::Opus || kind == SoundKind::FlacComment;
        ASSERT_EQ(layout.pictures.size(), inBase64 ? 0 : pictures.size());
        for (size_t i = 0; i < layout.pictures.size(); ++i) {
            const ByteSpan picture = layout.pictures[i];
            EXPECT_EQ(BytesAt(file.bytes, picture), pictures[i].bytes);
            EXPECT_TRUE(picture.offset >= layout.tags.offset && picture.End() <= layout.tags.End());
            const auto before = [&](const LengthField& f) { return f.offset < picture.offset; };
            const auto own = std::find_if(layout.lengths.rbegin(), layout.lengths.rend(), before);
            ASSERT_NE(own, layout.lengths.rend());
            const uint64_t counted = ReadNumber(file.bytes, *own);
            EXPECT_TRUE(counted >= picture.size && counted <= picture.size + kPictureHeaderRoom) << counted;
        }
    }
}

TEST_F(CoverTagsTest, DrawnPicturesDecodeAtTheirSizeAndAClaimChangesOnlyTheSize) {
    for (const PictureFormat format : {PictureFormat::Jpeg, PictureFormat::Png}) {
        const TagPicture picture = DrawPicture(format, 150, 40, kFrontCover, random_);
        const auto cover = DecodeCover(picture.bytes.data(), picture.bytes.size());
        ASSERT_TRUE(cover);
        EXPECT_TRUE(cover->width == 64 && cover->height == 17) << cover->width << " x " << cover->height;
        if (format == PictureFormat::Jpeg) continue;
        const Bytes claiming = PngClaiming(picture.bytes, 16384, 65537);
        const auto claimed = ReadPictureHeader(claiming.data(), claiming.size());
        ASSERT_TRUE(claimed);
        EXPECT_TRUE(claimed->width == 16384 && claimed->height == 65537);
        EXPECT_FALSE(DecodableCover(claiming.data(), claiming.size()));
        // Claiming its own size again gives the picture back, checksum and all.
        EXPECT_EQ(PngClaiming(claiming, 150, 40), picture.bytes);
    }
}

// Where two files differ.
std::vector<size_t> Changes(const Bytes& a, const Bytes& b) {
    std::vector<size_t> changed;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) changed.push_back(i);
    return changed;
}
bool Within(const std::vector<size_t>& changed, size_t from, size_t to) {
    for (size_t at : changed)
        if (at < from || at >= to) return false;
    return true;
}
bool Within(const std::vector<size_t>& changed, const LengthField& field) {
    return Within(changed, field.offset, field.offset + static_cast<size_t>(field.size));
}

TEST_F(CoverTagsTest, EachMutationChangesOnlyWhatItSaysInEveryKind) {
    const TagPicture picture = DrawPicture(PictureFormat::Jpeg, 60, 60, kFrontCover, random_);
    for (const SoundKind kind : kSoundKinds) {
        // Three-byte frame sizes cannot claim 16 MB; the rest is as in 2.3.
        if (kind == SoundKind::Id3v22) continue;
        const MusicFile source = BuildSound(kind, {picture});
        const FileLayout& layout = source.layout;
        const ByteSpan tags = layout.tags;
        for (int draw = 0; draw < 20; ++draw)
            for (const Mutation mutation : kMutations) {
                SCOPED_TRACE(std::string(SoundLabel(kind)) + ", mutation " +
                             std::to_string(static_cast<int>(mutation)) + ", draw " + std::to_string(draw));
                const bool ofPicture = mutation == Mutation::PictureBroken || mutation == Mutation::PictureClaimsHuge;
                if (ofPicture && layout.pictures.empty()) {
                    EXPECT_FALSE(CanMutate(source, mutation));
                    continue;
                }
                ASSERT_TRUE(CanMutate(source, mutation));
                const Bytes mutated = Mutate(source, mutation, random_).bytes;
                const std::vector<size_t> changed = Changes(source.bytes, mutated);
                switch (mutation) {
                case Mutation::Truncated:
                    EXPECT_TRUE(changed.empty() && mutated.size() > tags.offset && mutated.size() < tags.End());
                    continue;
                case Mutation::LengthSet: {
                    const bool inOneField = std::any_of(layout.lengths.begin(), layout.lengths.end(),
                                                        [&](const LengthField& f) { return Within(changed, f); });
                    EXPECT_TRUE(inOneField && !changed.empty());
                    break;
                }
                case Mutation::BytesFlipped: EXPECT_TRUE(Within(changed, tags.offset, tags.End())); break;
                case Mutation::RandomBody: EXPECT_TRUE(Within(changed, tags.offset + 4, tags.End())); break;
                case Mutation::PictureBroken: {
                    const ByteSpan pic = layout.pictures.front();
                    EXPECT_TRUE(!changed.empty() && Within(changed, pic.offset + 30, pic.End()));
                    // Its header still reads, so a decoder gets to see it.
                    EXPECT_TRUE(ReadPictureHeader(&mutated[pic.offset], pic.size));
                    break;
                }
                case Mutation::PictureClaimsHuge: {
                    // The picture's own length: the last field before it.
                    const ByteSpan pic = layout.pictures.front();
                    const auto before = [&](const LengthField& f) { return f.offset < pic.offset; };
                    const LengthField& field = *std::find_if(layout.lengths.rbegin(), layout.lengths.rend(), before);
                    EXPECT_EQ(ReadNumber(mutated, field) - ReadNumber(source.bytes, field),
                              kClaimedPictureBytes - pic.size);
                    EXPECT_TRUE(Within(changed, field));
                    break;
                }
                }
                EXPECT_EQ(mutated.size(), source.bytes.size());
            }
    }
    EXPECT_FALSE(CanMutate(BuildSound(SoundKind::Id3v22, {picture}), Mutation::PictureClaimsHuge));
}

}  // namespace
