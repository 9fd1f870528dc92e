// Finding the player and learning its path against the stand-in player and
// the stand-in host's store. The path lookup resolves its kernel functions
// by name; the code under test is linked into this program, so our own
// GetProcAddress import shows every snapshot and can stand in for them.
#include "tests/player_link/player_link_fixture.h"

#include "player/player_link.h"
#include "player/process_image.h"
#include "plugin/state/plugin_state.h"
#include "testbed/starter/standin_api.h"

#include <tlhelp32.h>
#include <cstring>

namespace {

int snapshots = 0;
bool hideImageNameQuery = false;
bool onlyIdleProcess = false;  // a process list holding just the idle process, id 0
HANDLE fakeSnapshot = nullptr;
DWORD fakeEntrySize = 0;
FARPROC(WINAPI* realGetProcAddress)(HMODULE, LPCSTR) = nullptr;

HANDLE WINAPI FakeSnapshot(DWORD, DWORD) { return fakeSnapshot = CreateEventA(nullptr, TRUE, FALSE, nullptr); }

BOOL WINAPI FakeFirst(HANDLE, PROCESSENTRY32* entry) {
    fakeEntrySize = entry->dwSize;
    entry->th32ProcessID = 0;
    lstrcpynA(entry->szExeFile, "[System Process]", MAX_PATH);
    return TRUE;
}

BOOL WINAPI FakeNext(HANDLE, PROCESSENTRY32*) { return FALSE; }

template <typename Function>
FARPROC AsFarProc(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

FARPROC WINAPI WatchingGetProcAddress(HMODULE module, LPCSTR name) {
    const auto is = [name](const char* wanted) { return HIWORD(name) != 0 && std::strcmp(name, wanted) == 0; };
    if (is("CreateToolhelp32Snapshot")) ++snapshots;
    if (onlyIdleProcess && is("CreateToolhelp32Snapshot")) return AsFarProc(&FakeSnapshot);
    if (onlyIdleProcess && is("Process32First")) return AsFarProc(&FakeFirst);
    if (onlyIdleProcess && is("Process32Next")) return AsFarProc(&FakeNext);
    if (hideImageNameQuery && is("QueryFullProcessImageNameA")) return nullptr;
    return realGetProcAddress(module, name);
}

class PlayerDiscoveryTest : public PlayerLinkTest {
protected:
    void SetUp() override {
        PlayerLinkTest::SetUp();
        snapshots = 0;
        hideImageNameQuery = onlyIdleProcess = false;
        patch_ = std::make_unique<ScopedImportPatch>(GetModuleHandleA(nullptr), "kernel32.dll", "GetProcAddress",
                                                     reinterpret_cast<void*>(&WatchingGetProcAddress));
        ASSERT_TRUE(patch_->active());
        realGetProcAddress = reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(patch_->original());
    }
    void TearDown() override {
        patch_.reset();
        PlayerLinkTest::TearDown();
    }

    static std::string PathNow() {
        char path[kPlayerPathSize];
        CopyPlayerPath(path, sizeof path);
        return path;
    }
    bool Wrote() { return StoreCalls().find("SetCFGString") != std::string::npos; }

private:
    std::unique_ptr<ScopedImportPatch> patch_;
};

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

}  // namespace

TEST_F(PlayerDiscoveryTest, WithoutThePlayerNothingIsCheckedOrLearned) {
    EXPECT_FALSE(FindPlayer());
    EXPECT_EQ(pluginState.playerWindow, nullptr);
    EXPECT_EQ(snapshots, 0);
    EXPECT_EQ(StoreCalls(), "");
}

TEST_F(PlayerDiscoveryTest, AStoredPathThatNamesAFileIsKeptWithoutASnapshot) {
    StartPlayer(PlayerSimState::Playing);
    PublishPlayerPath(PlayerSimExePath().c_str());
    EXPECT_TRUE(FindPlayer());
    EXPECT_EQ(pluginState.playerWindow, sim.window);
    EXPECT_EQ(snapshots, 0);
    EXPECT_FALSE(Wrote());
}

TEST_F(PlayerDiscoveryTest, AnUnusablePathIsLearnedInFullAndWrittenBackOnce) {
    StartPlayer(PlayerSimState::Playing);
    PublishPlayerPath("C:\\no such folder\\player.exe");
    EXPECT_TRUE(FindPlayer());
    const std::string learned = PathNow();
    EXPECT_TRUE(SamePath(learned, PlayerSimExePath())) << learned;
    EXPECT_NE(StoreCalls().find("SetCFGString|Winamp Path|" + learned + "\n"), std::string::npos) << StoreCalls();
    EXPECT_NE(ReadWholeFile(storePath).find("Winamp Path=" + learned), std::string::npos);

    StandInClearCallLog();
    EXPECT_TRUE(FindPlayer());
    EXPECT_EQ(snapshots, 1);
    EXPECT_FALSE(Wrote());
}

TEST_F(PlayerDiscoveryTest, ABareFileNameThatNamesNoFileIsKeptButNotWritten) {
    StartPlayer(PlayerSimState::Playing);
    // Without the process's own answer only the snapshot's bare name is
    // left, and from another folder it names nothing.
    hideImageNameQuery = true;
    char binFolder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, binFolder);
    ASSERT_TRUE(SetCurrentDirectoryA(scratchDir.c_str()));
    const bool found = FindPlayer();
    SetCurrentDirectoryA(binFolder);
    EXPECT_TRUE(found);
    EXPECT_TRUE(SamePath(PathNow(), "player_sim.exe")) << PathNow();
    EXPECT_FALSE(Wrote());
}

TEST_F(PlayerDiscoveryTest, BeforeTheHostContextIsStoredTheLearnedPathIsNotWritten) {
    StartPlayer(PlayerSimState::Playing);
    hostContext = {};
    EXPECT_TRUE(FindPlayer());
    EXPECT_TRUE(SamePath(PathNow(), PlayerSimExePath())) << PathNow();
    EXPECT_FALSE(Wrote());
}

TEST_F(PlayerDiscoveryTest, WithNoMatchingProcessThePathIsClearedAndTheSnapshotClosed) {
    StartPlayer(PlayerSimState::Playing);
    PublishPlayerPath("C:\\no such folder\\player.exe");
    onlyIdleProcess = true;
    EXPECT_TRUE(FindPlayer());
    EXPECT_EQ(PathNow(), "");
    EXPECT_FALSE(Wrote());
    EXPECT_EQ(fakeEntrySize, 296u);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(fakeSnapshot, &flags));
}

TEST_F(PlayerDiscoveryTest, AWindowThatIsGoneIsNotTakenForTheIdleProcess) {
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    onlyIdleProcess = true;
    char path[kPlayerPathSize] = "unchanged";
    LearnPlayerPath(gone, path, sizeof path);
    EXPECT_STREQ(path, "");
}
