// The bounded byte cursor: values in each byte order, and reads that do
// not fit, which must fail without moving it, even when a length only
// wraps once cut to 32 bits.
#include "cover/byte_cursor.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<uint8_t>;
using Reader = std::function<bool(ByteCursor&, uint64_t&)>;

template <class Value, bool (ByteCursor::*Read)(Value&)>
Reader As() {
    return [](ByteCursor& cursor, uint64_t& out) {
        Value value{};
        const bool read = (cursor.*Read)(value);
        out = value;
        return read;
    };
}

struct ValueCase {
    const char* name;
    Reader read;
    Bytes bytes;
    uint64_t expected;
};

const ValueCase kValueCases[] = {
    {"u8", As<uint8_t, &ByteCursor::ReadU8>(), {0xA5}, 0xA5},
    {"u16be", As<uint16_t, &ByteCursor::ReadU16BE>(), {0x12, 0x34}, 0x1234},
    {"u24be", As<uint32_t, &ByteCursor::ReadU24BE>(), {0xFF, 0x00, 0x01}, 0xFF0001},
    {"u32be", As<uint32_t, &ByteCursor::ReadU32BE>(), {0xDE, 0xAD, 0xBE, 0xEF}, 0xDEADBEEF},
    {"u64be", As<uint64_t, &ByteCursor::ReadU64BE>(), {0x80, 1, 2, 3, 4, 5, 6, 0xFF}, 0x80010203040506FFull},
    {"u16le", As<uint16_t, &ByteCursor::ReadU16LE>(), {0xEF, 0xBE}, 0xBEEF},
    {"u32le", As<uint32_t, &ByteCursor::ReadU32LE>(), {0xEF, 0xBE, 0xAD, 0xDE}, 0xDEADBEEF},
    {"u64le", As<uint64_t, &ByteCursor::ReadU64LE>(), {0xFF, 6, 5, 4, 3, 2, 1, 0x80}, 0x80010203040506FFull},
    {"syncsafe 257", As<uint32_t, &ByteCursor::ReadSyncsafe28>(), {0x00, 0x00, 0x02, 0x01}, 257},
    {"syncsafe largest", As<uint32_t, &ByteCursor::ReadSyncsafe28>(), {0x7F, 0x7F, 0x7F, 0x7F}, 0x0FFFFFFF},
};

// Each read whole, then cut one byte short, which fails where it stood.
TEST(ByteCursor, ReadsEachWidthAndOrderAndAValueCutShortFailsWhereItStood) {
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.name);
        Bytes whole = c.bytes;
        whole.push_back(0x99);
        ByteCursor cursor(whole);
        uint64_t value = 0;
        ASSERT_TRUE(c.read(cursor, value));
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(cursor.Position(), c.bytes.size());
        EXPECT_EQ(cursor.Remaining(), 1u);

        Bytes cut = {0x42};
        cut.insert(cut.end(), c.bytes.begin(), c.bytes.end() - 1);
        ByteCursor shortOne(cut);
        ASSERT_TRUE(shortOne.Skip(1));
        EXPECT_FALSE(c.read(shortOne, value));
        EXPECT_EQ(shortOne.Position(), 1u);
    }
}

TEST(ByteCursor, ASyncsafeByteWithItsTopBitSetFailsTheRead) {
    const Bytes bytes = {0x00, 0x80, 0x00, 0x01};
    ByteCursor cursor(bytes);
    uint32_t value = 7;
    EXPECT_FALSE(cursor.ReadSyncsafe28(value));
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(cursor.Position(), 0u);
}

TEST(ByteCursor, LengthsAreComparedInSixtyFourBits) {
    const Bytes bytes = {1, 2, 3};
    // Cut to a 32-bit size_t, each of these lengths would fit.
    for (uint64_t length : {0x100000001ull, 0x100000003ull, ~0ull}) {
        ByteCursor cursor(bytes);
        ByteCursor part;
        EXPECT_FALSE(cursor.Skip(length));
        EXPECT_FALSE(cursor.Take(length, part));
        EXPECT_EQ(cursor.Remaining(), 3u);
    }
    ByteCursor cursor(bytes);
    EXPECT_TRUE(cursor.Skip(3));
    EXPECT_FALSE(cursor.Skip(1));
}

TEST(ByteCursor, TakeGivesAViewThatEndsWhereItShould) {
    const Bytes bytes = {0xAA, 0x01, 0x02, 0xBB};
    ByteCursor cursor(bytes);
    ByteCursor part;
    ASSERT_TRUE(cursor.Skip(1));
    ASSERT_TRUE(cursor.Take(2, part));
    uint16_t inside = 0;
    uint8_t after = 0;
    EXPECT_TRUE(part.ReadU16BE(inside));
    EXPECT_EQ(inside, 0x0102);
    EXPECT_FALSE(part.ReadU8(after));
    EXPECT_TRUE(cursor.ReadU8(after));
    EXPECT_EQ(after, 0xBB);
}

TEST(ByteCursor, TerminatorsAreFoundOnWholeUnits) {
    struct Case {
        const char* name;
        size_t unit;
        Bytes bytes;
        bool found;
        size_t textSize;
    };
    const Case cases[] = {
        {"latin-1", 1, {'a', 'b', 0, 'c'}, true, 2},
        {"empty latin-1", 1, {0, 'c'}, true, 0},
        // "A" then U+0100 in UTF-16LE: 41 00 00 01 holds a zero pair off the units.
        {"utf-16 pair across units", 2, {0x41, 0x00, 0x00, 0x01, 0x00, 0x00, 0xFF}, true, 4},
        {"utf-16 without terminator", 2, {0x41, 0x00, 0x00, 0x01, 0x00}, false, 0},
        {"latin-1 without terminator", 1, {'a', 'b'}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteCursor cursor(c.bytes);
        ByteCursor text;
        ASSERT_EQ(cursor.TakeTerminated(c.unit, text), c.found);
        if (!c.found) {
            EXPECT_EQ(cursor.Position(), 0u);
            continue;
        }
        EXPECT_EQ(text.Remaining(), c.textSize);
        EXPECT_EQ(cursor.Position(), c.textSize + c.unit);
    }
}

TEST(ByteCursor, RestEqualsComparesOnlyWhatIsLeft) {
    const Bytes bytes = {'x', 'A', 'P', 'I', 'C'};
    ByteCursor cursor(bytes);
    EXPECT_FALSE(cursor.RestEquals("APIC"));
    ASSERT_TRUE(cursor.Skip(1));
    EXPECT_TRUE(cursor.RestEquals("APIC"));
    EXPECT_FALSE(cursor.RestEquals("API"));
    EXPECT_TRUE(ByteCursor().RestEquals(""));
}

TEST(ByteCursor, SkipIfAnyCaseFoldsLettersOnly) {
    const Bytes bytes = {'c', 'O', 'v', 'E', 'r', '@', '['};
    ByteCursor cursor(bytes);
    EXPECT_FALSE(cursor.SkipIfAnyCase("COVER`"));  // '@' and '`' differ by the case bit
    EXPECT_FALSE(cursor.SkipIfAnyCase("COVER@{"));
    EXPECT_EQ(cursor.Position(), 0u);
    EXPECT_TRUE(cursor.SkipIfAnyCase("Cover@"));
    EXPECT_TRUE(cursor.RestEquals("["));
}

TEST(ByteCursor, RestOffsetInPlacesAViewInItsOwnBufferOnly) {
    HeapBytes whole, other;
    ASSERT_TRUE(whole.Allocate(8));
    ASSERT_TRUE(other.Allocate(8));
    ByteCursor cursor(whole), part;
    ASSERT_TRUE(cursor.Skip(2) && cursor.Take(4, part) && part.Skip(1));
    size_t offset = 0;
    EXPECT_TRUE(part.RestOffsetIn(whole, offset));
    EXPECT_EQ(offset, 3u);
    EXPECT_FALSE(part.RestOffsetIn(other, offset));
    const Bytes copy(8);
    EXPECT_FALSE(ByteCursor(copy).RestOffsetIn(whole, offset));
}

}  // namespace
