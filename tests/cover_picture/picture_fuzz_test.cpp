// Mutated headers of every kind fed to the header reader from the very end
// of a readable page, so a single byte read past the end faults and fails
// the run; each answer is checked against rules that hold for any input.
#include "titletip/picture_header.h"

#include "tests/cover_picture/picture_bytes.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <random>

namespace {

constexpr size_t kPage = 4096;
constexpr int kCases = 20000;
constexpr uint32_t kSeed = 20261208;

// Bytes placed so that the first byte after them is in a page that cannot
// be read.
class GuardedBytes {
public:
    GuardedBytes() {
        pages_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        guarded_ = pages_ != nullptr && VirtualProtect(pages_ + kPage, kPage, PAGE_NOACCESS, &old);
    }
    ~GuardedBytes() {
        if (pages_ != nullptr) VirtualFree(pages_, 0, MEM_RELEASE);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    bool guarded() const { return guarded_; }
    // The first n bytes of these, ending at the guard.
    const uint8_t* Place(const Bytes& bytes, size_t n) {
        uint8_t* start = pages_ + kPage - n;
        if (n > 0) std::memcpy(start, bytes.data(), n);
        return start;
    }

private:
    uint8_t* pages_ = nullptr;
    bool guarded_ = false;
};

std::vector<Bytes> Seeds() {
    Bytes png = PngHeader(64, 48);
    Append(png, {0, 0, 0, 4, 'I', 'D', 'A', 'T', 1, 2, 3, 4});
    Bytes gif = GifHeader("GIF89a", 300, 300);
    Append(gif, {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0x2C, 1, 0x2C, 1, 0});
    return {png,
            Jpeg({JfifSegment(), ExifSegment(), QuantisationSegment(), HuffmanSegment(), JpegFrame(0xC2, 500, 500)}),
            Jpeg({JfifSegment(), JpegFrame(0xC0, 8192, 10)}),
            gif,
            BmpHeader(40, 640, -480),
            BmpHeader(12, 32, 32),
            BmpHeader(124, 100, 100)};
}

// Values that sit on the edges the reader decides on: markers, lengths,
// the sides' limits and signs.
constexpr uint8_t kEdgeBytes[] = {0x00, 0x01, 0x02, 0x7F, 0x80, 0xC0, 0xC4, 0xC8, 0xCC,
                                  0xD0, 0xD8, 0xD9, 0xDA, 0xFE, 0xFF, 12,   16,   40};
constexpr uint32_t kEdgeWords[] = {0, 1, 2, 0x2000, 0x2001, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};

void Mutate(Bytes& bytes, std::mt19937& random) {
    const size_t at = bytes.empty() ? 0 : random() % bytes.size();
    switch (random() % 6) {
    case 0:
        if (!bytes.empty()) bytes[at] = uint8_t(random());
        break;
    case 1:
        if (!bytes.empty()) bytes[at] = kEdgeBytes[random() % sizeof(kEdgeBytes)];
        break;
    case 2:
        bytes.resize(at);
        break;
    case 3:
        for (uint32_t n = random() % 8 + 1; n > 0; --n) bytes.insert(bytes.begin() + at, uint8_t(random()));
        break;
    case 4:
        bytes.erase(bytes.begin() + at, bytes.begin() + std::min(bytes.size(), at + random() % 8 + 1));
        break;
    default: {
        const uint32_t word = kEdgeWords[random() % (sizeof(kEdgeWords) / sizeof(kEdgeWords[0]))];
        const bool bigEndian = random() % 2 == 0;
        for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i)
            bytes[at + i] = uint8_t(word >> (8 * (bigEndian ? 3 - i : i)));
    }
    }
}

bool StartsWith(const Bytes& bytes, const char* signature, size_t n) {
    return bytes.size() >= n && std::memcmp(bytes.data(), signature, n) == 0;
}

bool SignatureFits(const Bytes& bytes, PictureKind kind) {
    switch (kind) {
    case PictureKind::Png: return StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8);
    case PictureKind::Jpeg: return StartsWith(bytes, "\xFF\xD8", 2);
    case PictureKind::Gif: return StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6);
    case PictureKind::Bmp: return StartsWith(bytes, "BM", 2);
    case PictureKind::Unknown: return false;
    }
    return false;
}

bool Same(const std::optional<PictureSize>& a, const std::optional<PictureSize>& b) {
    if (!a || !b) return !a && !b;
    return a->kind == b->kind && a->width == b->width && a->height == b->height;
}

bool InRange(uint32_t side) { return side >= 1 && side <= kCoverSideMax; }

TEST(PictureHeaderFuzz, MutatedHeadersStayInsideTheirBytesAndAnswerConsistently) {
    GuardedBytes guard;
    ASSERT_TRUE(guard.guarded());
    const std::vector<Bytes> seeds = Seeds();
    std::mt19937 random(kSeed);
    int sized = 0, decodable = 0, failures = 0;
    for (int n = 0; n < kCases && failures < 10; ++n) {
        Bytes bytes = seeds[n % seeds.size()];
        for (uint32_t m = random() % 4 + 1; m > 0; --m) Mutate(bytes, random);
        ASSERT_LE(bytes.size() + 32, kPage);

        const auto whole = PictureSizeOf(guard.Place(bytes, bytes.size()), bytes.size());
        // A shorter prefix knows less, never something else.
        const size_t prefix = bytes.empty() ? 0 : random() % bytes.size();
        const auto cut = PictureSizeOf(guard.Place(bytes, prefix), prefix);
        const bool cutAgrees = !cut || Same(cut, whole);
        // Bytes after the header change nothing the header said.
        Bytes longer = bytes;
        for (int i = 0; i < 32; ++i) longer.push_back(uint8_t(random()));
        const auto extended = PictureSizeOf(guard.Place(longer, longer.size()), longer.size());
        const bool extendedAgrees = !whole || Same(extended, whole);

        const bool mayDecode = DecodableCover(guard.Place(bytes, bytes.size()), bytes.size());
        const bool decodeAgrees = mayDecode == (whole && InRange(whole->width) && InRange(whole->height));
        const bool kindAgrees = !whole || SignatureFits(bytes, whole->kind);

        if (!cutAgrees || !extendedAgrees || !decodeAgrees || !kindAgrees) {
            ++failures;
            ADD_FAILURE() << "case " << n << ": prefix " << cutAgrees << ", extended " << extendedAgrees
                          << ", decodable " << decodeAgrees << ", kind " << kindAgrees;
        }
        sized += whole ? 1 : 0;
        decodable += mayDecode ? 1 : 0;
    }
    // The mutations reach both sides of every decision.
    EXPECT_GT(sized, kCases / 10);
    EXPECT_LT(sized, kCases * 9 / 10);
    EXPECT_GT(decodable, kCases / 20);
    EXPECT_LT(decodable, sized);
}

}  // namespace
