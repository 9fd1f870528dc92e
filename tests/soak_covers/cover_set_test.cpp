// The soak's whole set of cover files: the same bytes for the same seed and
// others for another, every kind of file sound and broken, no broken file a
// copy of a sound one, written under a folder where each name the player
// gets leads where it says, seen while a handle holds one, and removed
// without a trace; and names as a player of either kind takes them.
#include "testbed/soak/soak_cover_files.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <set>

namespace {

class CoverSetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

Bytes ReadBack(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    Bytes bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (size > 0 && (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size)) bytes.clear();
    CloseHandle(file);
    return bytes;
}

TEST_F(CoverSetTest, TheSameSeedGivesTheSameBytesAndAnotherSeedOthers) {
    const CoverFileSet first = PlanCoverFiles(7), again = PlanCoverFiles(7), other = PlanCoverFiles(8);
    ASSERT_EQ(first.failure, "");
    ASSERT_EQ(first.files.size(), again.files.size());
    for (size_t i = 0; i < first.files.size(); ++i)
        EXPECT_TRUE(first.files[i].path == again.files[i].path && first.files[i].bytes == again.files[i].bytes)
            << first.files[i].path;
    EXPECT_EQ(CoverSetDigest(first), CoverSetDigest(again));
    EXPECT_NE(CoverSetDigest(first), CoverSetDigest(other));

    std::set<Bytes> sound;
    std::set<std::string> soundExtensions, brokenExtensions;
    const auto extension = [](const std::string& path) { return path.substr(path.rfind('.') + 1); };
    for (const CoverFileBytes& file : first.files)
        if (StartsWith(file.path, "covers\\tagged\\")) {
            sound.insert(file.bytes);
            soundExtensions.insert(extension(file.path));
        }
    for (const CoverFileBytes& file : first.files)
        if (StartsWith(file.path, "covers\\broken\\")) {
            brokenExtensions.insert(extension(file.path));
            EXPECT_EQ(sound.count(file.bytes), 0u) << file.path << " breaks nothing";
        }
    // Every kind of file is there, sound and broken.
    for (const SoundKind kind : kSoundKinds) {
        EXPECT_EQ(soundExtensions.count(SoundExtension(kind)), 1u) << SoundLabel(kind);
        EXPECT_EQ(brokenExtensions.count(SoundExtension(kind)), 1u) << SoundLabel(kind);
    }
}

TEST_F(CoverSetTest, WrittenFilesReadBackLeadWhereTheySayAndLeaveNothingWhenRemoved) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "pelorin-cover-set-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const CoverFileSet set = PlanCoverFiles(3);
    ASSERT_TRUE(WriteCoverFiles(set, folder));
    for (const CoverFileBytes& file : set.files)
        EXPECT_EQ(ReadBack(CoverPathIn(folder, file.path)), file.bytes) << file.path;

    // A written music file is a file, and the one folder named is a folder;
    // every other name leads nowhere.
    std::set<std::string> written;
    for (const CoverFileBytes& file : set.files) written.insert(file.path);
    int nowhere = 0;
    for (const CoverName& name : set.names) {
        const DWORD attributes = GetFileAttributesW(CoverPathIn(folder, name.path, name.underFolder).c_str());
        if (written.count(name.path)) {
            EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u) << name.path;
        } else if (name.path == "covers\\album-a") {
            EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
        } else {
            EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES) << name.path;
            ++nowhere;
        }
    }
    EXPECT_GE(nowhere, 5);

    const std::wstring first = CoverPathIn(folder, set.files.front().path);
    HANDLE held = CreateFileW(first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CoverFilesHeldOpen(set, folder), std::vector<std::string>{set.files.front().path});
    CloseHandle(held);
    EXPECT_TRUE(CoverFilesHeldOpen(set, folder).empty());

    EXPECT_TRUE(RemoveCoverFiles(set, folder).empty());
    EXPECT_EQ(GetFileAttributesW(CoverPathIn(folder, "covers").c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveDirectoryA(folder.c_str());
}

TEST(CoverNames, AUnicodePlayerGetsUtf8AndAnotherTheCodePage) {
    // Omega is in neither of the code pages the tests run in.
    const CoverName greek = {"covers\\\xCE\xA9.mp3", true, ""};
    EXPECT_EQ(CoverNameForPlayer("C:\\T", greek, true), "C:\\T\\covers\\\xCE\xA9.mp3");
    EXPECT_EQ(CoverNameForPlayer("C:\\T", greek, false), "C:\\T\\covers\\?.mp3");
    const CoverName stream = {"http://127.0.0.1:1/s.mp3", false, ""};
    EXPECT_EQ(CoverNameForPlayer("C:\\T", stream, false), "http://127.0.0.1:1/s.mp3");
    EXPECT_EQ(CoverNameForPlayer("C:\\T", {"", false, ""}, true), "");
}

}  // namespace
