// Mutated tags of every format through CoverFromTags, from one fixed seed:
// bit flips, bytes set to the values that flip meanings (0x00, 0xFF, 0x7F,
// 0x80), cuts, insertions, deletions, and length fields overwritten with
// large and small values. Whatever comes back must be empty or a picture
// the file really holds: a run of its bytes, as stored or, in an ID3 tag,
// with unsynchronisation's stuffed zero bytes dropped; a picture stored as
// base64 text, which Ogg pages may also split, can only be checked for its
// size. Reads stay within the limit even when the file claims gigabytes
// beyond its bytes.
#include "tests/cover_tags/cover_test_sources.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kFuzzSeed = 0x7A65C0DE;
constexpr int kMutantsPerFormat = 20000;
constexpr int kMostMutationsPerMutant = 4;
// One mutant in this many is read as the start of a file claiming 3 GB.
constexpr uint32_t kClaimedSizeShare = 8;
constexpr uint64_t kClaimedSize = 0xC0000000;
constexpr uint8_t kFront = 3, kOther = 0, kBack = 4;

struct Format {
    const char* name;
    std::vector<Bytes> seeds;
    enum class Stored { kAsIs, kMaybeUnsynchronised, kBase64 } stored = Stored::kAsIs;
};

Id3Options Id3(int version, void (*change)(Id3Options&) = nullptr) {
    Id3Options options;
    options.version = version;
    if (change != nullptr) change(options);
    return options;
}

std::vector<Format> Formats() {
    // Small pictures, so that most mutations land in the structure around them.
    const std::vector<TagPicture> two = {PictureOf(40, kOther, 1), PictureOf(56, kFront, 2)};
    TagPicture described = PictureOf(48, kBack, 3);
    described.descriptionEncoding = 1;
    described.description = u"A\u0100";
    TagPicture compressed = PictureOf(32, kFront, 4);
    compressed.storage = TagPicture::Storage::kCompressed;
    TagPicture encrypted = PictureOf(32, kFront, 5);
    encrypted.storage = TagPicture::Storage::kEncrypted;
    const std::vector<TagPicture> hidden = {compressed, encrypted, described};
    const auto unsync = [](Id3Options& o) { o.unsynchronised = true; };
    const auto extended = [](Id3Options& o) {
        o.extendedHeader = true;
        o.padding = 16;
    };
    const auto frames = [](Id3Options& o) {
        o.framesUnsynchronised = true;
        o.dataLengthIndicator = true;
    };
    Mp4Options late;
    late.moovAfterMdat = true;
    late.largeMdatHeader = true;
    late.mdatPayloadSize = 16;
    Mp4Options bare;
    bare.metaWithoutVersion = true;
    bare.mdatPayloadSize = 16;
    const auto joined = [](Bytes first, const Bytes& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    };
    const Bytes flac = BuildFlacFile(two);
    OggOptions opus;
    opus.opus = true;
    opus.secondStream = true;
    opus.pageBodyLimit = 100;
    AsfOptions library;
    library.libraryAbove = 60;
    ApeOptions mp3;
    mp3.stream = ApeOptions::Stream::kMpeg;
    mp3.withHeader = true;
    mp3.id3v1 = true;
    PcmOptions aifc;
    aifc.form = PcmOptions::Form::kAifc;
    aifc.id3BeforeSamples = true;
    using S = Format::Stored;
    return {
        {"ID3v2.2", {BuildId3Tag(two, Id3(2)), BuildId3Tag({described}, Id3(2, unsync))}, S::kMaybeUnsynchronised},
        {"ID3v2.3", {BuildId3Tag(two, Id3(3, extended)), BuildId3Tag(two, Id3(3, unsync)), BuildId3Tag(hidden, Id3(3))},
         S::kMaybeUnsynchronised},
        {"ID3v2.4", {BuildId3Tag(two, Id3(4, frames)), BuildId3Tag(two, Id3(4, unsync)), BuildId3Tag(hidden, Id3(4, extended))},
         S::kMaybeUnsynchronised},
        {"FLAC", {flac, BuildFlacFile({described, two[0]}), joined(BuildId3Tag({}, Id3(3)), flac)}, S::kMaybeUnsynchronised},
        {"MP4", {BuildM4aFile(two, bare), BuildM4aFile(two, late)}},
        {"FLAC comment", {BuildFlacFile({}, two), BuildFlacFile({}, {described})}, S::kBase64},
        {"Ogg", {BuildOggFile(two, {}), BuildOggFile({described, two[0]}, opus)}, S::kBase64},
        {"ASF", {BuildAsfFile(two, {}), BuildAsfFile({described, two[1]}, library)}},
        {"APEv2", {BuildApeFile(two, {}), BuildApeFile(two, mp3), joined(BuildId3Tag({}, Id3(4)), BuildApeFile(two, mp3))},
         S::kMaybeUnsynchronised},
        {"WAV and AIFF", {BuildPcmFile(two, {}), BuildPcmFile(two, aifc)}, S::kMaybeUnsynchronised},
    };
}

class Mutator {
public:
    explicit Mutator(uint32_t seed) : random_(seed) {}

    uint32_t Below(uint32_t bound) { return bound == 0 ? 0 : random_() % bound; }

    void Mutate(Bytes& bytes) {
        const uint32_t count = 1 + Below(kMostMutationsPerMutant);
        for (uint32_t i = 0; i < count; ++i) MutateOnce(bytes);
    }

private:
    size_t At(const Bytes& bytes) { return Below(static_cast<uint32_t>(bytes.size())); }

    void MutateOnce(Bytes& bytes) {
        static const uint8_t kMeaningfulBytes[] = {0x00, 0xFF, 0x7F, 0x80};
        static const uint64_t kLengths[] = {0, 1, 7, 8, 0x7F, 0x80, 0xFF, 0xFFFF, 0xFFFFFF, 0x0FFFFFFF,
                                            0x7F7F7F7F, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, ~0ull};
        static const int kWidths[] = {1, 2, 3, 4, 8};
        if (bytes.empty()) return;
        switch (Below(6)) {
        case 0: bytes[At(bytes)] ^= static_cast<uint8_t>(1u << Below(8)); break;
        case 1: bytes[At(bytes)] = kMeaningfulBytes[Below(4)]; break;
        case 2: bytes.resize(At(bytes)); break;
        case 3: {
            Bytes inserted(1 + Below(8));
            for (uint8_t& byte : inserted) byte = static_cast<uint8_t>(Below(256));
            bytes.insert(bytes.begin() + At(bytes), inserted.begin(), inserted.end());
            break;
        }
        case 4: {
            const size_t from = At(bytes);
            bytes.erase(bytes.begin() + from, bytes.begin() + std::min(bytes.size(), from + 1 + Below(16)));
            break;
        }
        default: {
            // Lengths near the file's own size are the ones that nearly fit.
            const uint64_t near = bytes.size() - 1 + Below(3);
            const uint64_t value = Below(4) == 0 ? near : kLengths[Below(std::size(kLengths))];
            const int width = kWidths[Below(std::size(kWidths))];
            const size_t at = At(bytes);
            for (int i = 0; i < width && at + i < bytes.size(); ++i) {
                bytes[at + i] = static_cast<uint8_t>(value >> 8 * (width - 1 - i));
            }
            break;
        }
        }
    }

    std::mt19937 random_;
};

// Whether piece is the run of file's bytes from start, read as stored or,
// when unsynchronised, with each zero byte after an 0xFF dropped.
bool IsRunAt(const Bytes& file, const Bytes& piece, size_t start, bool unsynchronised) {
    size_t read = start;
    for (size_t matched = 0; matched < piece.size(); ++read) {
        if (read >= file.size()) return false;
        if (unsynchronised && read > start && file[read - 1] == 0xFF && file[read] == 0) continue;
        if (file[read] != piece[matched++]) return false;
    }
    return true;
}

bool IsPieceOf(const Bytes& file, const Bytes& piece, bool mayBeUnsynchronised) {
    for (size_t start = 0; start < file.size(); ++start) {
        if (file[start] != piece[0]) continue;
        if (IsRunAt(file, piece, start, false) || (mayBeUnsynchronised && IsRunAt(file, piece, start, true))) {
            return true;
        }
    }
    return false;
}

TEST(CoverFuzz, MutatedTagsGiveNothingOrAPictureTheFileHolds) {
    std::printf("fuzz seed 0x%08X, %d mutants per format\n", kFuzzSeed, kMutantsPerFormat);
    RecordProperty("seed", std::to_string(kFuzzSeed));
    const auto started = std::chrono::steady_clock::now();
    Mutator mutator(kFuzzSeed);
    int total = 0;
    for (const Format& format : Formats()) {
        int found = 0;
        for (int index = 0; index < kMutantsPerFormat; ++index, ++total) {
            const Bytes& seed = format.seeds[index % format.seeds.size()];
            Bytes mutant = seed;
            mutator.Mutate(mutant);
            const bool claimsGigabytes = mutator.Below(kClaimedSizeShare) == 0;
            ClaimedSizeSource claimed(mutant, kClaimedSize, mutator.Below(2) ? 0xFF : 0x00);
            MemoryCoverSource memory(mutant);
            CountingSource counting(claimsGigabytes ? static_cast<CoverSource&>(claimed) : memory);
            const Bytes cover = CoverIn(counting);

            SCOPED_TRACE(testing::Message() << format.name << " mutant " << index << " of seed " << kFuzzSeed);
            ASSERT_LE(counting.bytesRead, kCoverReadLimit);
            ASSERT_TRUE(cover.empty() || cover.size() >= 8) << cover.size();
            if (!cover.empty()) ++found;
            if (claimsGigabytes || cover.empty()) continue;
            if (format.stored == Format::Stored::kBase64) {
                ASSERT_LE(cover.size(), mutant.size() / 4 * 3) << "more bytes than the file's text holds";
            } else {
                ASSERT_TRUE(IsPieceOf(mutant, cover, format.stored == Format::Stored::kMaybeUnsynchronised))
                    << cover.size() << " bytes not in the file";
            }
        }
        std::printf("%s: %d mutants, %d gave a picture\n", format.name, kMutantsPerFormat, found);
        // Mutants that all fail at once would test only the first check.
        EXPECT_GT(found, kMutantsPerFormat / 10) << format.name;
        EXPECT_LT(found, kMutantsPerFormat) << format.name;
    }
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d mutants in %.2f s\n", total, elapsed);
}

}  // namespace
