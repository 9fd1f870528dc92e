// The configuration store through starter.dll's exports: read and write
// passes over real files, defaults, sections and typed values.
#include "tests/standin_host/store_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

TEST(StorePass, MissingFileOrUnknownIdReadsDefaults) {
    TestStore store;
    ASSERT_GT(store.id, 0);
    ConfigCursor cursor;
    ASSERT_TRUE(OpenCFGr(store.id, &cursor));
    EXPECT_FALSE(FindSection("Pelorin", 0, &cursor));
    EXPECT_EQ(GetCFGInt("Position", 7, &cursor), 7);
    EXPECT_EQ(GetCFGBool("Run Minimized", -1, &cursor), -1);
    char buffer[16] = {};
    GetCFGString("Normal Skin", "Plugins\\a.bmp", buffer, 15, &cursor);
    EXPECT_STREQ(buffer, "Plugins\\a.bmp");
    CloseCFGr(&cursor);
    EXPECT_FALSE(PathExists(store.path)) << "a read pass must not create the file";

    EXPECT_FALSE(OpenCFGr(0, &cursor));
    EXPECT_FALSE(OpenCFGw(store.id + 1000, &cursor));
    EXPECT_EQ(GetCFGInt("Position", 3, &cursor), 3);
    CloseCFGw(store.id + 1000, CFG_CLOSE_FLUSH, &cursor);
}

TEST(StorePass, SamePathGivesSameId) {
    TestStore store;
    EXPECT_EQ(StandInOpenStore(store.path.c_str()), store.id);
    EXPECT_EQ(StandInOpenStore((store.folder.path() + "\\.\\SHELL.INI").c_str()), store.id);
    EXPECT_NE(StandInOpenStore(store.folder.PathOf("other.ini").c_str()), store.id);
    EXPECT_EQ(StandInOpenStore(nullptr), 0);
    EXPECT_EQ(StandInOpenStore(""), 0);
}

TEST(StorePass, ValuesRoundTripThroughTheFile) {
    TestStore store;
    ConfigCursor cursor;
    ASSERT_TRUE(OpenCFGw(store.id, &cursor));
    ASSERT_TRUE(FindSection("Pelorin", 1, &cursor));
    SetCFGInt("Position", 1, &cursor);
    SetCFGInt("Lowest", INT_MIN, &cursor);
    SetCFGInt("Run Minimized", -1, &cursor);
    SetCFGInt("Show Tips", 1, &cursor);
    SetCFGInt("Hide", 0, &cursor);
    SetCFGString("Winamp Path", "C:\\Program Files\\Player\\player.exe", &cursor);
    SetCFGString("Padded", "  two spaces  ", &cursor);
    SetCFGString("Empty", "", &cursor);
    SetCFGString("Cyrillic", "\xcf\xf0\xe8\xe2\xe5\xf2", &cursor);
    // A write pass reads back what it has set before it is saved.
    EXPECT_EQ(GetCFGInt("Position", 0, &cursor), 1);
    CloseCFGw(store.id, CFG_CLOSE_FLUSH, &cursor);

    const std::string text = ReadFileBytes(store.path);
    EXPECT_NE(text.find("[Pelorin]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nPosition=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nLowest=-2147483648\r\n"), std::string::npos);

    ASSERT_TRUE(OpenCFGr(store.id, &cursor));
    ASSERT_TRUE(FindSection("Pelorin", 0, &cursor));
    EXPECT_EQ(GetCFGInt("Position", 0, &cursor), 1);
    EXPECT_EQ(GetCFGInt("Lowest", 0, &cursor), INT_MIN);
    EXPECT_EQ(GetCFGBool("Run Minimized", 0, &cursor), -1);
    EXPECT_EQ(GetCFGBool("Show Tips", 0, &cursor), 1);
    EXPECT_EQ(GetCFGBool("Hide", -1, &cursor), 0);
    char buffer[kHostNameBufferSize];
    GetCFGString("Winamp Path", "", buffer, kHostNameBufferSize - 1, &cursor);
    EXPECT_STREQ(buffer, "C:\\Program Files\\Player\\player.exe");
    GetCFGString("Padded", "", buffer, kHostNameBufferSize - 1, &cursor);
    EXPECT_STREQ(buffer, "  two spaces  ");
    GetCFGString("Empty", "default", buffer, kHostNameBufferSize - 1, &cursor);
    EXPECT_STREQ(buffer, "") << "a stored empty string is a value, not a missing key";
    GetCFGString("Cyrillic", "", buffer, kHostNameBufferSize - 1, &cursor);
    EXPECT_STREQ(buffer, "\xcf\xf0\xe8\xe2\xe5\xf2");
    CloseCFGr(&cursor);
}

TEST(StorePass, SecondWriteReplacesValuesAndKeepsTheRest) {
    TestStore store;
    WriteFileBytes(store.path, "[Other]\r\nKeep=me\r\n[Pelorin]\r\nPosition=0\r\nPriority=3\r\n");
    ConfigCursor cursor;
    OpenCFGw(store.id, &cursor);
    FindSection("Pelorin", 1, &cursor);
    SetCFGInt("Position", 1, &cursor);
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &cursor);
    EXPECT_EQ(ReadFileBytes(store.path), "[Other]\r\nKeep=me\r\n[Pelorin]\r\nPosition=1\r\nPriority=3\r\n");
}

TEST(StorePass, SectionsAndKeysAreCaseSensitive) {
    TestStore store;
    WriteFileBytes(store.path, "[Pelorin]\r\nPosition=1\r\n[pelorin]\r\nPosition=2\r\n");
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", -5), 1);
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "position", -5), -5);
    EXPECT_EQ(ReadStoredInt(store.id, "pelorin", "Position", -5), 2);
    EXPECT_EQ(ReadStoredInt(store.id, "PELORIN", "Position", -5), -5);

    ConfigCursor cursor;
    OpenCFGw(store.id, &cursor);
    FindSection("PELORIN", 1, &cursor);
    SetCFGInt("POSITION", 3, &cursor);
    CloseCFGw(store.id, CFG_CLOSE_KEEP, &cursor);
    EXPECT_EQ(ReadStoredInt(store.id, "Pelorin", "Position", -5), 1);
    EXPECT_EQ(ReadStoredInt(store.id, "pelorin", "Position", -5), 2);
    EXPECT_EQ(ReadStoredInt(store.id, "PELORIN", "POSITION", -5), 3);
}

TEST(StorePass, FindSectionOnAWritePassCreatesTheSectionInEitherMode) {
    for (const int mode : {0, 1}) {
        TestStore store;
        WriteFileBytes(store.path, "[Other]\r\nKeep=me\r\n");
        ConfigCursor cursor;
        ASSERT_TRUE(OpenCFGw(store.id, &cursor));
        EXPECT_TRUE(FindSection("Pelorin", mode, &cursor)) << "mode " << mode;
        CloseCFGw(store.id, CFG_CLOSE_KEEP, &cursor);
        EXPECT_EQ(ReadFileBytes(store.path), "[Other]\r\nKeep=me\r\n\r\n[Pelorin]\r\n") << "mode " << mode;
        ASSERT_TRUE(OpenCFGr(store.id, &cursor));
        EXPECT_TRUE(FindSection("Pelorin", 0, &cursor));
        CloseCFGr(&cursor);
    }
}

TEST(StorePass, AFailedFindSectionLeavesNoSectionSelected) {
    TestStore store;
    WriteFileBytes(store.path, "Position=9\r\n[Pelorin]\r\nPosition=1\r\n");
    ConfigCursor cursor;
    OpenCFGr(store.id, &cursor);
    // Before any FindSection the lines above the first header are read.
    EXPECT_EQ(GetCFGInt("Position", 0, &cursor), 9);
    EXPECT_TRUE(FindSection("Pelorin", 0, &cursor));
    EXPECT_FALSE(FindSection("Missing", 0, &cursor));
    EXPECT_EQ(GetCFGInt("Position", -1, &cursor), -1) << "a missing section must not read the previous one";
    CloseCFGr(&cursor);
}
