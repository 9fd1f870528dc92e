// Which names a cover is looked for at, and which of a folder's pictures
// is the cover.
#include "cover/cover_file.h"

#include <gtest/gtest.h>

TEST(IsFilePath, LocalAndNetworkPathsOnly) {
    for (const wchar_t* path : {L"C:\\Music\\a.mp3", L"z:/music/a.mp3", L"\\\\server\\share\\a.flac"})
        EXPECT_TRUE(IsFilePath(path)) << path;
    for (const wchar_t* name : {L"http://radio.example/stream", L"a.mp3", L"C:a.mp3", L"\\\\.\\pipe\\x",
                                L"\\\\", L"", L"1:\\a.mp3", L"cda://1"})
        EXPECT_FALSE(IsFilePath(name)) << name;
}

TEST(FolderPictureRank, TheNamesInOrderInAnyLetterCase) {
    EXPECT_EQ(FolderPictureRank(L"cover.jpg"), 0);
    EXPECT_EQ(FolderPictureRank(L"COVER.JPG"), 0);
    EXPECT_EQ(FolderPictureRank(L"Cover.Jpeg"), 1);
    EXPECT_EQ(FolderPictureRank(L"cover.png"), 2);
    EXPECT_EQ(FolderPictureRank(L"Folder.jpg"), 3);
    EXPECT_EQ(FolderPictureRank(L"front.PNG"), 8);
    EXPECT_EQ(FolderPictureRank(L"AlbumArt.png"), 11);
    for (const wchar_t* other : {L"cover.gif", L"cover", L"cover.jpg.bak", L"mycover.jpg", L"AlbumArtSmall.jpg", L""})
        EXPECT_EQ(FolderPictureRank(other), -1) << other;
}
