// Mutated headers of every kind (GIFs walked to their first image's end)
// fed to the header reader from the very end of a readable page, so that
// one byte read past the end faults and fails the run; the answers are
// checked against rules that hold for any input.
#include "cover/picture_header.h"

#include "tests/cover_picture/picture_bytes.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <random>

namespace {

constexpr size_t kPage = 4096;
constexpr int kCases = 20000;

// Values on the edges the reader decides on: markers, lengths, signs.
constexpr uint8_t kEdgeBytes[] = {0x00, 0x01, 0x7F, 0x80, 0xC0, 0xC4, 0xC8, 0xD0, 0xD8, 0xD9, 0xDA, 0xFF, 12, 40};

void Mutate(Bytes& bytes, std::mt19937& random) {
    const size_t at = bytes.empty() ? 0 : random() % bytes.size();
    const uint32_t how = random() % 4;
    if (how == 0) bytes.resize(at);
    if (how == 1) bytes.insert(bytes.begin() + at, random() % 8 + 1, uint8_t(random()));
    if (how == 2 && at < bytes.size()) bytes[at] = uint8_t(random());
    if (how == 3 && at < bytes.size()) bytes[at] = kEdgeBytes[random() % sizeof(kEdgeBytes)];
}

bool InRange(uint32_t side) { return side >= 1 && side <= kCoverSideMax; }

bool Same(const std::optional<PictureHeader>& a, const std::optional<PictureHeader>& b) {
    return a && b && a->kind == b->kind && a->width == b->width && a->height == b->height &&
           a->decodeBytes == b->decodeBytes && a->firstImageEnd == b->firstImageEnd;
}

// A GIF's first image ends with its data's empty sub-block, inside the
// bytes; no other kind names an end.
bool EndsWhereItSays(const PictureHeader& header, const Bytes& bytes) {
    if (header.kind != PictureKind::Gif) return header.firstImageEnd == 0;
    return header.firstImageEnd > 0 && header.firstImageEnd <= bytes.size() && bytes[header.firstImageEnd - 1] == 0;
}

TEST(PictureHeaderFuzz, MutatedHeadersStayInsideTheirBytesAndAnswerConsistently) {
    auto* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + kPage, kPage, PAGE_NOACCESS, &old));
    // The bytes copied to end where the unreadable page starts.
    auto place = [pages](const Bytes& bytes, size_t n) {
        if (n > 0) std::memcpy(pages + kPage - n, bytes.data(), n);
        return pages + kPage - n;
    };
    const Bytes seeds[] = {Joined({PngHeader(64, 48), {0, 0, 0, 4, 'I', 'D', 'A', 'T'}}),
                           Joined({PngHeader(8192, 8192, 16), {0, 0, 0, 4, 'I', 'D', 'A', 'T'}}),
                           Jpeg({JpegPreamble(), JpegFrame(0xC2, 500, 500), JpegScan(1)}),
                           Jpeg({JpegFrame(0xC0, 8192, 10), JpegScan(3)}),
                           Joined({GifHeader("GIF89a", 300, 300, 0x80), GifColourTable(0), GifExtension(0xF9, {0, 0, 0, 0}),
                                   GifImage(10, 10, 200, 100, 0x80, Joined({GifColourTable(0), {2, 1, 7, 0}})),
                                   GifImage(0, 0, 300, 300), {kGifTrailer}}),
                           BmpHeader(40, 640, -480), BmpHeader(12, 32, 32), BmpHeader(124, 100, 100)};
    std::mt19937 random(20261208);
    int sized = 0, decodable = 0, wrong = 0;
    for (int n = 0; n < kCases && wrong < 10; ++n) {
        Bytes bytes = seeds[n % std::size(seeds)];
        for (uint32_t m = random() % 4 + 1; m > 0; --m) Mutate(bytes, random);
        const auto whole = ReadPictureHeader(place(bytes, bytes.size()), bytes.size());
        // A prefix knows less, never something else; bytes after the
        // header change nothing it said.
        const size_t prefix = bytes.empty() ? 0 : random() % bytes.size();
        const auto cut = ReadPictureHeader(place(bytes, prefix), prefix);
        Bytes longer = Joined({bytes, BigEndian(random(), 4), BigEndian(random(), 4)});
        const auto extended = ReadPictureHeader(place(longer, longer.size()), longer.size());
        const bool mayDecode = DecodableCover(place(bytes, bytes.size()), bytes.size());
        if ((cut && !Same(cut, whole)) || (whole && !Same(extended, whole)) || (whole && !EndsWhereItSays(*whole, bytes)) ||
            mayDecode != (whole && InRange(whole->width) && InRange(whole->height) && whole->decodeBytes <= kDecodeBudget))
            ADD_FAILURE() << "case " << n << " broke a rule (" << ++wrong << ")";
        sized += whole ? 1 : 0;
        decodable += mayDecode ? 1 : 0;
    }
    VirtualFree(pages, 0, MEM_RELEASE);
    // The mutations reach both sides of every decision.
    EXPECT_GT(sized, kCases / 10);
    EXPECT_LT(sized, kCases * 9 / 10);
    EXPECT_GT(decodable, kCases / 20);
    EXPECT_LT(decodable, sized);
}

}  // namespace
