// Which names a cover is looked for at, and which of a folder's pictures
// is the cover.
#include "cover/cover_file.h"
#include "player/playlist.h"
#include "player/song_file.h"

#include <gtest/gtest.h>
#include <string>

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

// A name the player gives in the code page is read up to kTitleReadMax
// bytes; one cut there names no file, however few characters its bytes make.
TEST(NameFromCodePage, ANameCutAtTheReadsBoundIsNoFile) {
    std::string hiragana;
    for (size_t i = 0; i < kTitleReadMax / 2; ++i) hiragana += "\x82\xA0";  // two bytes each in code page 932
    wchar_t name[kTitleReadMax];
    EXPECT_EQ(NameFromCodePage(hiragana.data(), hiragana.size(), 932, name), 0u);
    EXPECT_EQ(NameFromCodePage(hiragana.data(), hiragana.size() - 2, 932, name), kTitleReadMax / 2 - 1);
    const std::string latin(kTitleReadMax - 1, 'a');
    EXPECT_EQ(NameFromCodePage(latin.data(), latin.size(), 1252, name), latin.size());
}
