// The playlist's window, its menu labels, and reading a title from memory
// that ends where the player's may, with the edges a real player can give.
#include "player/playlist.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring Label(int32_t index, std::wstring_view title) { return EntryLabel(index, title).data(); }

TEST(SpanAround, TheCurrentEntryIsFifthUnlessAnEndIsNear) {
    struct Case {
        int32_t length, current, first, count;
    };
    for (const Case& c : {Case{40, 19, 15, 15}, Case{40, 0, 0, 15}, Case{40, 39, 25, 15}, Case{40, 4, 0, 15},
                          Case{40, 5, 1, 15}, Case{40, 30, 25, 15}, Case{15, 14, 0, 15}, Case{3, 2, 0, 3},
                          Case{1, 0, 0, 1}, Case{100000, 99999, 99985, 15}}) {
        const std::optional<PlaylistSpan> span = SpanAround(c.length, c.current);
        ASSERT_TRUE(span) << c.length << " " << c.current;
        EXPECT_EQ(span->first, c.first) << c.length << " " << c.current;
        EXPECT_EQ(span->count, c.count) << c.length << " " << c.current;
    }
    // Answers that make no playlist.
    EXPECT_FALSE(SpanAround(0, 0));
    EXPECT_FALSE(SpanAround(0, -1));
    EXPECT_FALSE(SpanAround(-5, 0));
    EXPECT_FALSE(SpanAround(100001, 0));
    EXPECT_FALSE(SpanAround(40, 40));
    EXPECT_FALSE(SpanAround(40, -1));
}

// Numbered from one; control characters become blanks; a title over 64
// characters keeps 63 and an ellipsis; ampersands are doubled after the cut.
TEST(EntryLabel, NumberedAndMadeSafeForAMenu) {
    EXPECT_EQ(Label(0, L"Song"), L"1. Song");
    EXPECT_EQ(Label(99999, L"Last"), L"100000. Last");
    EXPECT_EQ(Label(6, L""), L"7.");
    EXPECT_EQ(Label(0, L"a\tb\x01" L"c\x7F" L"d\x85" L"e\r\n"), L"1. a b c d e  ");
    EXPECT_EQ(Label(0, L"R&B & Soul"), L"1. R&&B && Soul");
    EXPECT_EQ(Label(0, std::wstring(70, L'&')), L"1. " + std::wstring(126, L'&') + L"\u2026");
    // The longest label there is: the highest number, 64 "&" shown whole.
    EXPECT_EQ(Label(99999, std::wstring(64, L'&')), L"100000. " + std::wstring(128, L'&'));
    const std::wstring exactly(64, L'a');
    EXPECT_EQ(Label(0, exactly), L"1. " + exactly);
    EXPECT_EQ(Label(0, exactly + L"b"), L"1. " + std::wstring(63, L'a') + L"\u2026");
    // A pair cut in half would show as a box: the whole pair goes.
    const std::wstring pairAtTheCut = std::wstring(62, L'a') + L"\U0001F600" + L"tail";
    EXPECT_EQ(Label(0, pairAtTheCut), L"1. " + std::wstring(62, L'a') + L"\u2026");
}

// Outward from the shown entry, the one after first, every entry once,
// and on past the nearer end along the one side left.
TEST(SearchOrderAt, OutwardFromTheShownEntryCoveringThePlaylistOnce) {
    const auto order = [](int32_t shown, int32_t length) {
        std::vector<int32_t> entries;
        for (int32_t step = 0;; ++step) {
            const int32_t entry = SearchOrderAt(shown, step, length);
            if (entry < 0) return entries;
            entries.push_back(entry);
        }
    };
    EXPECT_EQ(order(2, 5), (std::vector<int32_t>{2, 3, 1, 4, 0}));
    EXPECT_EQ(order(1, 6), (std::vector<int32_t>{1, 2, 0, 3, 4, 5}));
    EXPECT_EQ(order(4, 6), (std::vector<int32_t>{4, 5, 3, 2, 1, 0}));
    EXPECT_EQ(order(0, 3), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(order(0, 1), (std::vector<int32_t>{0}));
}

// Memory of which only [start, start + bytes.size()) can be read, handed to
// ReadText as its source; every read is kept.
struct FakeMemory {
    uintptr_t start;
    std::vector<uint8_t> bytes;
    std::vector<std::pair<uintptr_t, size_t>> reads;
};

bool ReadFake(HANDLE source, uintptr_t address, void* out, size_t size) {
    auto* memory = static_cast<FakeMemory*>(source);
    memory->reads.emplace_back(address, size);
    if (address < memory->start || address + size > memory->start + memory->bytes.size()) return false;
    std::memcpy(out, memory->bytes.data() + (address - memory->start), size);
    return true;
}

constexpr uintptr_t kPage = 4096;

// One readable page at 0x10000 that ends in these bytes.
FakeMemory PageEndingIn(const void* text, size_t size) {
    FakeMemory memory{0x10000, std::vector<uint8_t>(kPage, 'x'), {}};
    std::memcpy(memory.bytes.data() + kPage - size, text, size);
    return memory;
}

class ReadTextTest : public ::testing::Test {
protected:
    std::optional<size_t> Read(FakeMemory& memory, uintptr_t address, size_t unit) {
        return ReadText(ReadFake, &memory, address, unit, out);
    }
    wchar_t out[kTitleReadMax + 1] = {};
};

TEST_F(ReadTextTest, TextsEndingJustBeforeAnUnreadablePageRead) {
    FakeMemory narrow = PageEndingIn("Title", 6);
    const std::optional<size_t> length = Read(narrow, 0x10000 + kPage - 6, 1);
    ASSERT_TRUE(length);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), *length), "Title");
    // UTF-16 at an odd address, so that the last unit has one byte on each
    // side of a page boundary.
    const wchar_t wide[] = L"\u041a\u0438\u043d\u043e";
    FakeMemory twoPages{0x10000, std::vector<uint8_t>(2 * kPage, 'x'), {}};
    std::memcpy(twoPages.bytes.data() + 2 * kPage - sizeof wide - 1, wide, sizeof wide);
    const std::optional<size_t> units = Read(twoPages, 0x10000 + 2 * kPage - sizeof wide - 1, 2);
    ASSERT_TRUE(units);
    EXPECT_EQ(std::wstring(out, *units), wide);
    for (const auto& [address, size] : twoPages.reads) EXPECT_LE(address % kPage + size, kPage) << "a read crossed a page";
}

TEST_F(ReadTextTest, UnterminatedBeforeTheUnreadablePageOrNoAddressIsUnreadable) {
    FakeMemory memory = PageEndingIn("No end", 6);
    EXPECT_FALSE(Read(memory, 0x10000 + kPage - 6, 1));
    EXPECT_FALSE(Read(memory, 0x10000 + kPage, 2));
    memory.reads.clear();
    EXPECT_FALSE(Read(memory, 0, 1));
    EXPECT_TRUE(memory.reads.empty());
}

TEST_F(ReadTextTest, AnEndlessTextStopsAtTheBound) {
    FakeMemory memory{0x10000, std::vector<uint8_t>(3 * kPage, 'x'), {}};
    ASSERT_EQ(Read(memory, 0x10000 + 100, 1), kTitleReadMax);
    EXPECT_EQ(reinterpret_cast<const char*>(out)[kTitleReadMax], '\0');
    ASSERT_EQ(Read(memory, 0x10000 + 100, 2), kTitleReadMax);
    EXPECT_EQ(out[kTitleReadMax], L'\0');
    size_t asked = 0;
    for (const auto& read : memory.reads) asked += read.second;
    EXPECT_EQ(asked, 3 * kTitleReadMax) << "read past the bound";
}

}  // namespace
