// The shared host helpers: rounding, colour swap, timers, message boxes,
// setting writes and picture release.
#include "host/host_services.h"
#include "testbed/starter/standin_api.h"
#include "tests/support/iat_patch.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

TEST(RoundHalfAway, RoundsHalvesAwayFromZeroOnBothSides) {
    EXPECT_EQ(RoundHalfAway(0.5L), 1);
    EXPECT_EQ(RoundHalfAway(-0.5L), -1);
    EXPECT_EQ(RoundHalfAway(1.5L), 2);
    EXPECT_EQ(RoundHalfAway(-1.5L), -2);
    EXPECT_EQ(RoundHalfAway(2.4999L), 2);
    EXPECT_EQ(RoundHalfAway(-2.4999L), -2);
    EXPECT_EQ(RoundHalfAway(61.5L), 62);
    EXPECT_EQ(RoundHalfAway(0.0L), 0);
    // The largest double below one half: a double-precision x + 0.5 would
    // round it up to 1.
    EXPECT_EQ(RoundHalfAway(0.49999999999999994L), 0);
}

TEST(SwapRedBlue, ExchangesOuterBytesAndDropsTheTopByte) {
    EXPECT_EQ(SwapRedBlue(0x00112233u), 0x00332211u);
    EXPECT_EQ(SwapRedBlue(0xFF0000FFu), 0x00FF0000u);
    EXPECT_EQ(SwapRedBlue(SwapRedBlue(0x00ABCDEFu)), 0x00ABCDEFu);
}

namespace {
int timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++timerTicks; }
}  // namespace

TEST(StopTimer, KillsALiveTimerAndLeavesAStoppedOneAlone) {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    UINT_PTR live = SetTimer(window, 7, 10, CountTick);
    ASSERT_NE(live, 0u);
    ASSERT_TRUE(WaitUntil([] { return timerTicks > 0; }, 2000));

    StopTimer(window, &live);
    EXPECT_EQ(live, 0u);
    const int ticksAtStop = timerTicks;
    PumpMessages(100);
    EXPECT_EQ(timerTicks, ticksAtStop) << "the timer kept running";

    // A zero field names no timer, so a timer running on the same window
    // is left alone.
    UINT_PTR other = SetTimer(window, 8, 10, CountTick);
    UINT_PTR stopped = 0;
    StopTimer(window, &stopped);
    EXPECT_EQ(stopped, 0u);
    const int before = timerTicks;
    EXPECT_TRUE(WaitUntil([&] { return timerTicks > before; }, 2000));
    KillTimer(window, other);
    DestroyWindow(window);
}

namespace {
struct BoxCall {
    HWND owner;
    std::string text, caption;
    UINT flags;
    size_t modalMessagesBefore;
};
std::vector<BoxCall> boxCalls;
HostKit* boxHost = nullptr;
int WINAPI FakeMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    boxCalls.push_back({owner, text, caption, flags, boxHost ? boxHost->modalMessages.size() : 0});
    return IDOK;
}
}  // namespace

class ShowPluginMessageTest : public HostTest {};

TEST_F(ShowPluginMessageTest, BracketsTheTopmostBoxWithHostMessagesOnlyWhenAsked) {
    ScopedImportPatch patch(GetModuleHandleA(nullptr), "user32.dll", "MessageBoxA",
                            reinterpret_cast<void*>(FakeMessageBox));
    ASSERT_TRUE(patch.active());
    boxCalls.clear();
    boxHost = &host;

    ShowPluginMessage(host.context, nullptr, "Pelorin", "With host", MB_ICONERROR, true);
    ASSERT_EQ(boxCalls.size(), 1u);
    EXPECT_EQ(boxCalls[0].text, "With host");
    EXPECT_EQ(boxCalls[0].caption, "Pelorin");
    EXPECT_EQ(boxCalls[0].flags, UINT(MB_ICONERROR | MB_TOPMOST));
    EXPECT_EQ(boxCalls[0].modalMessagesBefore, 1u) << "the host hears of the box before it shows";
    EXPECT_EQ(host.modalMessages, (std::vector<UINT>{HM_MODAL_BEGIN, HM_MODAL_END}));

    ShowPluginMessage(host.context, nullptr, "Pelorin", "Quiet", MB_ICONERROR, false);
    ASSERT_EQ(boxCalls.size(), 2u);
    EXPECT_EQ(host.modalMessages.size(), 2u) << "no host messages without notification";
    boxHost = nullptr;
}

class WriteSettingTest : public HostTest {};

TEST_F(WriteSettingTest, WritesOneKeyThroughAWritePassAndKeepsTheRest) {
    WriteWholeFile(storePath, "[Pelorin]\r\nVolume Steps=7\r\n[Other]\r\nKey=1\r\n");
    StandInClearCallLog();
    WriteSetting(host.context, "Pelorin", "Winamp Path", "C:\\Players\\player.exe");

    char log[4096] = {};
    StandInReadCallLog(log, sizeof log);
    const std::string id = std::to_string(host.configId);
    EXPECT_EQ(std::string(log), "OpenCFGw|" + id + "\nFindSection|Pelorin|1\n"
                                "SetCFGString|Winamp Path|C:\\Players\\player.exe\nCloseCFGw|" + id + "|0\n");

    ConfigCursor cursor = {};
    ASSERT_TRUE(OpenCFGr(host.configId, &cursor));
    FindSection("Pelorin", 0, &cursor);
    char path[262] = {};
    GetCFGString("Winamp Path", "", path, 260, &cursor);
    EXPECT_STREQ(path, "C:\\Players\\player.exe");
    EXPECT_EQ(GetCFGInt("Volume Steps", 0, &cursor), 7);
    CloseCFGr(&cursor);
    EXPECT_NE(ReadWholeFile(storePath).find("[Other]"), std::string::npos);
}

namespace {
std::map<HGDIOBJ, int> deletes;
using DeleteObjectFn = BOOL(WINAPI*)(HGDIOBJ);
DeleteObjectFn realDeleteObject = nullptr;
BOOL WINAPI CountingDeleteObject(HGDIOBJ object) {
    ++deletes[object];
    return realDeleteObject(object);
}
}  // namespace

struct FreeCase {
    int32_t kind;
    int32_t ownership;
};

class FreePictureRecordTest : public ::testing::TestWithParam<FreeCase> {};

TEST_P(FreePictureRecordTest, DeletesEveryObjectExactlyOnceWhoeverOwnsIt) {
    const FreeCase c = GetParam();
    HMODULE starter = GetModuleHandleA("starter.dll");
    ASSERT_TRUE(starter);
    realDeleteObject = ProcAddress<DeleteObjectFn>(GetModuleHandleA("gdi32.dll"), "DeleteObject");
    ScopedImportPatch inTest(GetModuleHandleA(nullptr), "gdi32.dll", "DeleteObject",
                             reinterpret_cast<void*>(CountingDeleteObject));
    ScopedImportPatch inHost(starter, "gdi32.dll", "DeleteObject", reinterpret_cast<void*>(CountingDeleteObject));
    ASSERT_TRUE(inTest.active());
    ASSERT_TRUE(inHost.active());
    deletes.clear();

    PictureRecord picture = {};
    picture.kind = c.kind;
    picture.ownership = c.ownership;
    HDC screen = GetDC(nullptr);
    HGDIOBJ first = CreateCompatibleBitmap(screen, 4, 4);
    HGDIOBJ second = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(nullptr, screen);
    picture.bitmap = first;
    picture.second = second;

    FreePictureRecord(&picture);

    EXPECT_EQ(picture.kind, 0);
    EXPECT_EQ(deletes[first], 1) << "kind " << c.kind << " ownership " << c.ownership;
    EXPECT_EQ(GetObjectType(first), 0u);
    if (c.kind == PICTURE_TWO_OBJECTS) {
        EXPECT_EQ(deletes[second], 1);
        EXPECT_EQ(GetObjectType(second), 0u);
    } else {
        EXPECT_EQ(deletes[second], 0) << "a plain bitmap's second slot is not ours to delete";
        realDeleteObject(second);
    }
}

INSTANTIATE_TEST_SUITE_P(KindsAndOwners, FreePictureRecordTest,
                         ::testing::Values(FreeCase{PICTURE_BITMAP, PICTURE_PLUGIN_OWNED},
                                           FreeCase{PICTURE_BITMAP, PICTURE_HOST_OWNED},
                                           FreeCase{PICTURE_TWO_OBJECTS, PICTURE_PLUGIN_OWNED},
                                           FreeCase{PICTURE_TWO_OBJECTS, PICTURE_HOST_OWNED}));
