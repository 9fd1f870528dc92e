// What the store does with bad input and bad luck: lines it cannot parse,
// values that are not numbers or do not fit, writes that cannot finish,
// garbage cursors, and passes from several threads at once.
#include "tests/standin_host/store_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr const char* kOldStore = "[Pelorin]\r\nPosition=1\r\n";

// Runs one write pass that changes Position to 2.
void WritePosition2(int configId) {
    ConfigCursor cursor;
    OpenCFGw(configId, &cursor);
    FindSection("Pelorin", 1, &cursor);
    SetCFGInt("Position", 2, &cursor);
    CloseCFGw(configId, CFG_CLOSE_FLUSH, &cursor);
}

class HeldFile {
public:
    HeldFile(const std::string& path, DWORD share)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (ok()) CloseHandle(handle_);
    }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

}  // namespace

TEST(StoreSafety, MalformedLinesAreSkippedOnReadAndKeptOnWrite) {
    TestStore store;
    const std::string original =
        "garbage line\r\n[unclosed\r\n=no key\r\n; comment=1\r\n[Pelorin]\r\n\x01\x02 binary\r\n"
        "Position=2\r\n[]\r\n";
    WriteFileBytes(store.path, original);
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", 0), 2);
    EXPECT_EQ(ReadStoredString(store.id, "", "garbage line", "none"), "none");
    EXPECT_EQ(ReadStoredString(store.id, "", "; comment", "none"), "none");

    ConfigCursor cursor;
    OpenCFGw(store.id, &cursor);
    FindSection("Pelorin", 1, &cursor);
    SetCFGInt("Volume Steps", 5, &cursor);
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &cursor);
    EXPECT_EQ(ReadFileBytes(store.path),
              "garbage line\r\n[unclosed\r\n=no key\r\n; comment=1\r\n[Pelorin]\r\n\x01\x02 binary\r\n"
              "Position=2\r\n[]\r\nVolume Steps=5\r\n");
}

TEST(StoreSafety, AValueThatIsNotANumberReadsAsTheDefault) {
    TestStore store;
    WriteFileBytes(store.path,
                   "[Pelorin]\r\nWord=abc\r\nTail=12abc\r\nEmpty=\r\nHex=0x10\r\nHuge=99999999999\r\n"
                   "Padded= 42 \r\nPlus=+7\r\n");
    ConfigCursor cursor;
    OpenCFGr(store.id, &cursor);
    FindSection("Pelorin", 0, &cursor);
    for (const char* key : {"Word", "Tail", "Empty", "Hex", "Huge"}) {
        EXPECT_EQ(GetCFGInt(key, 17, &cursor), 17) << key;
        EXPECT_EQ(GetCFGBool(key, -1, &cursor), -1) << key;
    }
    EXPECT_EQ(GetCFGInt("Padded", 0, &cursor), 42);
    EXPECT_EQ(GetCFGInt("Plus", 0, &cursor), 7);
    CloseCFGr(&cursor);
}

TEST(StoreSafety, LongStringsAreCutToMaxAndTerminated) {
    TestStore store;
    const std::string longValue(300, 'v');
    WriteStoredString(store.id, "Pelorin", "Title", longValue.c_str());

    ConfigCursor cursor;
    OpenCFGr(store.id, &cursor);
    FindSection("Pelorin", 0, &cursor);
    char buffer[262];
    std::memset(buffer, 'X', sizeof buffer);
    GetCFGString("Title", "", buffer, 260, &cursor);
    EXPECT_EQ(std::string(buffer), longValue.substr(0, 260));
    EXPECT_EQ(buffer[260], '\0');
    EXPECT_EQ(buffer[261], 'X') << "nothing may be written past max + 1 bytes";

    std::memset(buffer, 'X', sizeof buffer);
    GetCFGString("Missing", longValue.c_str(), buffer, 10, &cursor);
    EXPECT_EQ(std::string(buffer), longValue.substr(0, 10));
    EXPECT_EQ(buffer[11], 'X');

    std::memset(buffer, 'X', sizeof buffer);
    GetCFGString("Title", "", buffer, 0, &cursor);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'X');
    GetCFGString("Title", "", nullptr, 260, &cursor);  // must not crash

    // The caller's own buffer as the default keeps its value.
    std::strcpy(buffer, "kept");
    GetCFGString("Missing", buffer, buffer, 260, &cursor);
    EXPECT_STREQ(buffer, "kept");
    CloseCFGr(&cursor);
}

TEST(StoreSafety, KeysAndValuesCannotBreakTheFilesLines) {
    TestStore store;
    ConfigCursor cursor;
    OpenCFGw(store.id, &cursor);
    FindSection("Pelorin", 1, &cursor);
    SetCFGString("Title", "first\r\n[Evil]\r\nPosition=9", &cursor);
    SetCFGInt("Bad=Key", 1, &cursor);
    SetCFGInt("[Bad", 1, &cursor);
    SetCFGInt("Bad\nKey", 1, &cursor);
    SetCFGInt(nullptr, 1, &cursor);
    SetCFGString("Null", nullptr, &cursor);
    EXPECT_FALSE(FindSection("Two\r\nLines", 1, &cursor));
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &cursor);
    EXPECT_EQ(ReadFileBytes(store.path), "[Pelorin]\r\nTitle=first\r\n");
}

TEST(StoreSafety, AStrayTemporaryFileNeitherHidesNorBlocksTheStore) {
    TestStore store;
    WriteFileBytes(store.path, kOldStore);
    // What a write cut short before its rename leaves behind.
    const std::string temporary = store.path + ".tmp";
    WriteFileBytes(temporary, "[Pelorin]\r\nPosit");
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", 0), 1);

    WritePosition2(store.id);
    EXPECT_EQ(ReadFileBytes(store.path), "[Pelorin]\r\nPosition=2\r\n");
    EXPECT_FALSE(PathExists(temporary));
}

TEST(StoreSafety, AWriteThatCannotMakeItsTemporaryFileLeavesTheOldStoreWhole) {
    TestStore store;
    WriteFileBytes(store.path, kOldStore);
    {
        const HeldFile temporary(store.path + ".tmp", 0);
        ASSERT_TRUE(temporary.ok());
        WritePosition2(store.id);
        EXPECT_EQ(ReadFileBytes(store.path), kOldStore);
    }
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", 0), 1);
}

TEST(StoreSafety, AWriteWhoseRenameIsBlockedLeavesTheOldStoreWhole) {
    TestStore store;
    WriteFileBytes(store.path, kOldStore);
    {
        // Open for reading and writing, but not for deleting or replacing.
        const HeldFile holder(store.path, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(holder.ok());
        WritePosition2(store.id);
        EXPECT_EQ(ReadFileBytes(store.path), kOldStore);
    }
    EXPECT_FALSE(PathExists(store.path + ".tmp")) << "a failed write cleans up after itself";
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", 0), 1);
}

TEST(StoreSafety, AStoreThatCannotBeReadIsNeverWrittenOver) {
    TestStore store;
    // Too large to be a store this library wrote: it cannot be loaded, and
    // replacing it with this pass's few values would lose all the rest.
    std::string large = kOldStore;
    large += std::string(17u << 20, ';');
    large += "\r\n";
    WriteFileBytes(store.path, large);
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", 0), 0);
    WritePosition2(store.id);
    EXPECT_EQ(ReadFileBytes(store.path).size(), large.size());

    WriteFileBytes(store.path, kOldStore);
    {
        const HeldFile holder(store.path, 0);
        ASSERT_TRUE(holder.ok());
        EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", 0), 0);
        WritePosition2(store.id);
    }
    EXPECT_EQ(ReadFileBytes(store.path), kOldStore);
}

TEST(StoreSafety, GarbageAndClosedCursorsAreHarmless) {
    TestStore store;
    WriteFileBytes(store.path, kOldStore);
    ConfigCursor garbage;
    std::memset(&garbage, 0xCD, sizeof garbage);
    EXPECT_FALSE(FindSection("Pelorin", 1, &garbage));
    EXPECT_EQ(GetCFGInt("Position", 4, &garbage), 4);
    SetCFGInt("Position", 9, &garbage);
    CloseCFGw(store.id, CFG_CLOSE_FLUSH, &garbage);
    CloseCFGr(nullptr);
    EXPECT_EQ(GetCFGInt("Position", 4, nullptr), 4);
    EXPECT_FALSE(OpenCFGr(store.id, nullptr));

    ConfigCursor cursor;
    OpenCFGw(store.id, &cursor);
    FindSection("Pelorin", 1, &cursor);
    const ConfigCursor stale = cursor;
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &cursor);
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &cursor);
    ConfigCursor staleCopy = stale;
    SetCFGInt("Position", 9, &staleCopy);
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &staleCopy);
    EXPECT_EQ(ReadFileBytes(store.path), kOldStore);
}

TEST(StoreSafety, OverlappingWritePassesKeepEachOthersChanges) {
    TestStore store;
    ConfigCursor first;
    ConfigCursor second;
    OpenCFGw(store.id, &first);
    FindSection("Pelorin", 1, &first);
    SetCFGInt("Position", 1, &first);
    OpenCFGw(store.id, &second);
    FindSection("Pelorin", 1, &second);
    SetCFGString("Winamp Path", "C:\\p.exe", &second);
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &second);
    CloseCFGw(store.id, CFG_CLOSE_FLUSH, &first);
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", 0), 1);
    EXPECT_EQ(ReadStoredString(store.id, "Pelorin", "Winamp Path", ""), "C:\\p.exe");
}

TEST(StoreSafety, WritersOnSeveralThreadsLoseNothing) {
    TestStore store;
    constexpr int kThreads = 4;
    constexpr int kWritesEach = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&store, t] {
            for (int i = 0; i < kWritesEach; ++i) {
                const std::string key = "Key " + std::to_string(t) + "-" + std::to_string(i);
                WriteStoredString(store.id, "Pelorin", key.c_str(), std::to_string(t * 1000 + i).c_str());
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kWritesEach; ++i) {
            const std::string key = "Key " + std::to_string(t) + "-" + std::to_string(i);
            EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", key.c_str(), -1), t * 1000 + i) << key;
        }
    }
}
