// Finding the player and learning its path, against the stand-in player and
// the stand-in host's store: the snapshot is taken only when the stored
// path is unusable, and only a path that names a file is written back.
#include "tests/player_link/player_link_fixture.h"

#include "player/player_link.h"
#include "player/player_path.h"
#include "player/process_image.h"
#include "plugin/state/plugin_state.h"
#include "testbed/starter/standin_api.h"
#include "tests/support/iat_patch.h"

#include <tlhelp32.h>
#include <cstring>

namespace {

// The kernel functions the path lookup resolves by name, seen through our
// own import of GetProcAddress (the code under test is linked into this
// program).
int snapshotLookups = 0;
bool hideImageNameQuery = false;
bool fakeProcessList = false;
FARPROC(WINAPI* realGetProcAddress)(HMODULE, LPCSTR) = nullptr;

// A process list holding only the idle process, whose id is 0, as the
// first entry of every real one.
HANDLE fakeSnapshot = nullptr;
DWORD fakeEntrySize = 0;

HANDLE WINAPI FakeCreateSnapshot(DWORD, DWORD) {
    fakeSnapshot = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return fakeSnapshot;
}

BOOL WINAPI FakeFirstProcess(HANDLE, PROCESSENTRY32* entry) {
    fakeEntrySize = entry->dwSize;
    entry->th32ProcessID = 0;
    lstrcpynA(entry->szExeFile, "[System Process]", MAX_PATH);
    return TRUE;
}

BOOL WINAPI FakeNextProcess(HANDLE, PROCESSENTRY32*) { return FALSE; }

bool Named(LPCSTR name, const char* wanted) {
    return HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0 && std::strcmp(name, wanted) == 0;
}

FARPROC AsFarProc(void* function) { return reinterpret_cast<FARPROC>(function); }

FARPROC WINAPI WatchingGetProcAddress(HMODULE module, LPCSTR name) {
    if (Named(name, "CreateToolhelp32Snapshot")) {
        ++snapshotLookups;
        if (fakeProcessList) return AsFarProc(reinterpret_cast<void*>(&FakeCreateSnapshot));
    }
    if (fakeProcessList && Named(name, "Process32First")) return AsFarProc(reinterpret_cast<void*>(&FakeFirstProcess));
    if (fakeProcessList && Named(name, "Process32Next")) return AsFarProc(reinterpret_cast<void*>(&FakeNextProcess));
    if (hideImageNameQuery && Named(name, "QueryFullProcessImageNameA")) return nullptr;
    return realGetProcAddress(module, name);
}

bool HandleIsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

class PlayerDiscoveryTest : public PlayerLinkTest {
protected:
    void SetUp() override {
        PlayerLinkTest::SetUp();
        snapshotLookups = 0;
        hideImageNameQuery = false;
        fakeProcessList = false;
        fakeSnapshot = nullptr;
        fakeEntrySize = 0;
        patch = std::make_unique<ScopedImportPatch>(GetModuleHandleA(nullptr), "kernel32.dll", "GetProcAddress",
                                                    reinterpret_cast<void*>(&WatchingGetProcAddress));
        ASSERT_TRUE(patch->active());
        realGetProcAddress = reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(patch->original());
    }
    void TearDown() override {
        patch.reset();
        hideImageNameQuery = false;
        fakeProcessList = false;
        PlayerLinkTest::TearDown();
    }

    std::string PlayerPathNow() {
        char path[kPlayerPathSize];
        CopyPlayerPath(path, sizeof path);
        return path;
    }

    std::unique_ptr<ScopedImportPatch> patch;
};

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

}  // namespace

TEST_F(PlayerDiscoveryTest, WithoutThePlayerNothingIsCheckedOrLearned) {
    PublishPlayerPath("");
    EXPECT_FALSE(FindPlayer());
    EXPECT_EQ(pluginState.playerWindow, nullptr);
    EXPECT_EQ(snapshotLookups, 0);
    EXPECT_EQ(StoreCalls(), "");
}

TEST_F(PlayerDiscoveryTest, AStoredPathThatNamesAFileIsKept) {
    StartPlayer(PlayerSimState::Playing);
    PublishPlayerPath(PlayerSimExePath().c_str());
    EXPECT_TRUE(FindPlayer());
    EXPECT_EQ(pluginState.playerWindow, sim.window);
    EXPECT_EQ(snapshotLookups, 0);
    EXPECT_EQ(StoreCalls().find("SetCFGString"), std::string::npos);
    EXPECT_TRUE(SamePath(PlayerPathNow(), PlayerSimExePath()));
}

TEST_F(PlayerDiscoveryTest, AnEmptyPathIsLearnedInFullAndWrittenBack) {
    StartPlayer(PlayerSimState::Playing);
    EXPECT_TRUE(FindPlayer());
    EXPECT_EQ(snapshotLookups, 1);
    const std::string learned = PlayerPathNow();
    EXPECT_TRUE(SamePath(learned, PlayerSimExePath())) << learned;
    EXPECT_NE(StoreCalls().find("SetCFGString|Winamp Path|" + learned + "\n"), std::string::npos) << StoreCalls();
    EXPECT_NE(ReadWholeFile(storePath).find("Winamp Path=" + learned), std::string::npos);

    // Learned once, the path is used from then on.
    StandInClearCallLog();
    EXPECT_TRUE(FindPlayer());
    EXPECT_EQ(snapshotLookups, 1);
    EXPECT_EQ(StoreCalls().find("SetCFGString"), std::string::npos);
}

TEST_F(PlayerDiscoveryTest, AStalePathIsReplacedByTheLearnedOne) {
    StartPlayer(PlayerSimState::Playing);
    PublishPlayerPath("C:\\no such folder\\player.exe");
    EXPECT_TRUE(FindPlayer());
    EXPECT_TRUE(SamePath(PlayerPathNow(), PlayerSimExePath())) << PlayerPathNow();
    EXPECT_NE(StoreCalls().find("SetCFGString|Winamp Path|"), std::string::npos);
}

TEST_F(PlayerDiscoveryTest, ABareFileNameThatNamesNoFileIsNotWrittenBack) {
    StartPlayer(PlayerSimState::Playing);
    // Without the full image path the snapshot's bare name is all there is,
    // and from another folder it names nothing.
    hideImageNameQuery = true;
    char binFolder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, binFolder);
    ASSERT_TRUE(SetCurrentDirectoryA(scratchDir.c_str()));
    const bool found = FindPlayer();
    SetCurrentDirectoryA(binFolder);

    EXPECT_TRUE(found);
    EXPECT_EQ(snapshotLookups, 1);
    EXPECT_TRUE(SamePath(PlayerPathNow(), "player_sim.exe")) << PlayerPathNow();
    EXPECT_EQ(StoreCalls().find("SetCFGString"), std::string::npos) << StoreCalls();
}

TEST_F(PlayerDiscoveryTest, BeforeTheHostContextIsStoredNothingIsWritten) {
    StartPlayer(PlayerSimState::Playing);
    hostContext = {};
    EXPECT_TRUE(FindPlayer());
    EXPECT_TRUE(SamePath(PlayerPathNow(), PlayerSimExePath())) << PlayerPathNow();
    EXPECT_EQ(StoreCalls().find("SetCFGString"), std::string::npos) << StoreCalls();
}

TEST_F(PlayerDiscoveryTest, WhenNoProcessMatchesThePathIsClearedAndNothingWritten) {
    StartPlayer(PlayerSimState::Playing);
    PublishPlayerPath("C:\\no such folder\\player.exe");
    fakeProcessList = true;
    EXPECT_TRUE(FindPlayer());
    EXPECT_EQ(PlayerPathNow(), "");
    EXPECT_EQ(StoreCalls().find("SetCFGString"), std::string::npos) << StoreCalls();
    EXPECT_EQ(fakeEntrySize, 296u);
    ASSERT_NE(fakeSnapshot, nullptr);
    EXPECT_FALSE(HandleIsOpen(fakeSnapshot));
}

TEST_F(PlayerDiscoveryTest, AWindowThatIsGoneIsNotTakenForTheIdleProcess) {
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    fakeProcessList = true;
    char path[kPlayerPathSize] = "unchanged";
    LearnPlayerPath(gone, path, sizeof path);
    EXPECT_STREQ(path, "");
}

TEST_F(PlayerDiscoveryTest, TheLearnedPathIsCutToTheBuffer) {
    StartPlayer(PlayerSimState::Playing);
    char small[8];
    std::memset(small, 'x', sizeof small);
    LearnPlayerPath(sim.window, small, sizeof small);
    // Too long for the buffer, the full path is not used; the bare name is,
    // cut and terminated.
    EXPECT_EQ(std::string(small), std::string("player_sim.exe").substr(0, 7));
}
