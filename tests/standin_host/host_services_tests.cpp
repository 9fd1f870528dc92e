// starter.dll's smaller services: CheckInt, the call log, fonts, the tip
// relay, FileExists and the Mmalloc/Mfree pair.
#include "testbed/starter/call_log.h"
#include "tests/standin_host/store_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Each line of the log as one string, for comparing whole sequences.
std::vector<std::string> Lines(std::initializer_list<std::string> lines) { return lines; }

}  // namespace

TEST(CheckInt, ClampsToTheNearerBoundAndLogsTheValueBefore) {
    StandInClearCallLog();
    int below = -7;
    CheckInt(&below, 1, 10, 1);
    EXPECT_EQ(below, 1);
    int above = 15;
    CheckInt(&above, 1, 10, 1);
    EXPECT_EQ(above, 10) << "above the range goes to the upper bound, not the fallback";
    int inside = 4;
    CheckInt(&inside, 1, 10, 1);
    EXPECT_EQ(inside, 4);
    int atBounds[2] = {0, 1};
    CheckInt(&atBounds[0], 0, 1, 0);
    CheckInt(&atBounds[1], 0, 1, 0);
    EXPECT_EQ(atBounds[0], 0);
    EXPECT_EQ(atBounds[1], 1);
    int extreme = INT_MIN;
    CheckInt(&extreme, -5, 5, -5);
    EXPECT_EQ(extreme, -5);
    int emptyRange = 3;
    CheckInt(&emptyRange, 10, 1, 7);
    EXPECT_EQ(emptyRange, 7);
    CheckInt(nullptr, 1, 10, 1);
    EXPECT_EQ(CallLogLines(),
              Lines({"CheckInt|-7|1|10|1", "CheckInt|15|1|10|1", "CheckInt|4|1|10|1", "CheckInt|0|0|1|0",
                     "CheckInt|1|0|1|0", "CheckInt|-2147483648|-5|5|-5", "CheckInt|3|10|1|7", "CheckInt||1|10|1"}));
}

TEST(CallLog, RecordsEachCallInOrderWithItsArguments) {
    TestStore store;
    const std::string id = std::to_string(store.id);
    StandInClearCallLog();
    ConfigCursor cursor;
    OpenCFGw(store.id, &cursor);
    FindSection("Pelorin", 1, &cursor);
    SetCFGString("Winamp Path", "C:\\p.exe", &cursor);
    SetCFGInt("Position", 1, &cursor);
    CloseCFGw(store.id, CFG_CLOSE_FLUSH, &cursor);
    OpenCFGr(store.id, &cursor);
    FindSection("Pelorin", 0, &cursor);
    int position = GetCFGInt("Position", 0, &cursor);
    CheckInt(&position, 0, 1, 0);
    GetCFGBool("Run Minimized", -1, &cursor);
    char path[kHostNameBufferSize];
    GetCFGString("Winamp Path", "", path, kHostNameBufferSize - 1, &cursor);
    CloseCFGr(&cursor);
    EXPECT_EQ(CallLogLines(),
              Lines({"OpenCFGw|" + id, "FindSection|Pelorin|1", "SetCFGString|Winamp Path|C:\\p.exe",
                     "SetCFGInt|Position|1", "CloseCFGw|" + id + "|-1", "OpenCFGr|" + id, "FindSection|Pelorin|0",
                     "GetCFGInt|Position|0", "CheckInt|1|0|1|0", "GetCFGBool|Run Minimized|-1",
                     "GetCFGString|Winamp Path||260", "CloseCFGr"}));
}

TEST(CallLog, ReadsCutToTheBufferAndClears) {
    StandInClearCallLog();
    EXPECT_EQ(StandInReadCallLog(nullptr, 0), 0);
    FileExists(nullptr);
    Mfree(nullptr);
    const std::string expected = "FileExists|(null)\nMfree\n";
    EXPECT_EQ(StandInReadCallLog(nullptr, 0), static_cast<int>(expected.size()));
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(StandInReadCallLog(buffer, 6), static_cast<int>(expected.size()));
    EXPECT_STREQ(buffer, "FileE");
    EXPECT_EQ(buffer[6], 'X');
    StandInClearCallLog();
    EXPECT_TRUE(CallLogLines().empty());
}

TEST(CallLog, StopsAtItsCapKeepingTheOldestLines) {
    StandInClearCallLog();
    FileExists("first");
    // Each CheckInt line is about twenty bytes: enough calls to pass the cap.
    const int calls = static_cast<int>(kCallLogCapacity / 16);
    for (int i = 0; i < calls; ++i) {
        int value = 0;
        CheckInt(&value, 0, 1, 0);
    }
    const std::vector<std::string> lines = CallLogLines();
    ASSERT_GT(lines.size(), 2u);
    EXPECT_EQ(lines.front(), "FileExists|first");
    EXPECT_EQ(lines.back() + "\n", kCallLogFullLine);
    EXPECT_LE(static_cast<size_t>(StandInReadCallLog(nullptr, 0)), kCallLogCapacity + std::strlen(kCallLogFullLine));
    StandInClearCallLog();
    FileExists("after");
    EXPECT_EQ(CallLogLines(), std::vector<std::string>{"FileExists|after"}) << "clearing starts a fresh log";
}

TEST(CallLog, KeepsEveryLineFromThreadsAtOnce) {
    StandInClearCallLog();
    constexpr int kThreads = 4;
    constexpr int kCallsEach = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < kCallsEach; ++i) {
                int value = i;
                CheckInt(&value, 0, kCallsEach, 0);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    const std::vector<std::string> lines = CallLogLines();
    EXPECT_EQ(lines.size(), static_cast<size_t>(kThreads * kCallsEach));
    EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("CheckInt|", 0) == 0 && line.size() > std::strlen("CheckInt|") + std::strlen("|0|500|0");
    })) << "no line torn by another thread";
}

TEST(Fonts, GetFontHandleMakesAnOwnCopyThatFreeFontDeletes) {
    HFONT stock = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    FontRecord record = {};
    const HFONT made = GetFontHandle(&record, stock);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made, stock);
    EXPECT_EQ(record.font, made);
    EXPECT_EQ(GetObjectType(made), static_cast<DWORD>(OBJ_FONT));
    LOGFONTA wanted = {};
    LOGFONTA got = {};
    GetObjectA(stock, sizeof wanted, &wanted);
    GetObjectA(made, sizeof got, &got);
    EXPECT_EQ(got.lfHeight, wanted.lfHeight);
    EXPECT_EQ(got.lfWeight, wanted.lfWeight);
    EXPECT_STREQ(got.lfFaceName, wanted.lfFaceName);

    // Asked again, the first font is not leaked.
    const HFONT again = GetFontHandle(&record, stock);
    EXPECT_EQ(GetObjectType(made), 0u);
    FreeFont(&record);
    EXPECT_EQ(GetObjectType(again), 0u);
    EXPECT_EQ(record.font, nullptr);

    // A font the host did not make is not the host's to delete.
    record.font = stock;
    FreeFont(&record);
    EXPECT_EQ(GetObjectType(stock), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetFontHandle(&record, nullptr), nullptr);
    EXPECT_EQ(GetFontHandle(nullptr, stock), nullptr);
    FreeFont(nullptr);
}

namespace {

// Stands in for the host's tooltip: remembers each relayed message.
std::vector<MSG> relayedMessages;

LRESULT CALLBACK TipProbeProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TTM_RELAYEVENT) {
        relayedMessages.push_back(*reinterpret_cast<const MSG*>(lp));
        return 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

HWND CreateTipProbe() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TipProbeProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "StandInTipProbe";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "StandInTipProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

}  // namespace

TEST(NotifyTip, RelaysMouseMessagesOnly) {
    const HWND probe = CreateTipProbe();
    ASSERT_NE(probe, nullptr);
    const HWND control = CreateTipProbe();
    relayedMessages.clear();
    NotifyTip(probe, control, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3, 4));
    NotifyTip(probe, control, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    NotifyTip(probe, control, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(7, 8));
    for (const UINT other : {WM_PAINT, WM_TIMER, WM_KEYDOWN, WM_SETCURSOR, WM_MOUSELEAVE}) {
        NotifyTip(probe, control, other, 1, 2);
    }
    ASSERT_EQ(relayedMessages.size(), 3u);
    EXPECT_EQ(relayedMessages[0].hwnd, control);
    EXPECT_EQ(relayedMessages[0].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(relayedMessages[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(relayedMessages[0].lParam, MAKELPARAM(3, 4));
    EXPECT_EQ(relayedMessages[1].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(relayedMessages[2].message, static_cast<UINT>(WM_NCMOUSEMOVE));

    DestroyWindow(probe);
    DestroyWindow(control);
    NotifyTip(probe, control, WM_MOUSEMOVE, 0, 0);  // a window that is gone
    NotifyTip(nullptr, nullptr, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(relayedMessages.size(), 3u);
}

TEST(FileExists, TrueOnlyForAnExistingFile) {
    TempFolder folder;
    WriteFileBytes(folder.PathOf("player.exe"), "MZ");
    EXPECT_TRUE(FileExists(folder.PathOf("player.exe").c_str()));
    EXPECT_FALSE(FileExists(folder.path().c_str())) << "a folder is not a file";
    EXPECT_FALSE(FileExists(folder.PathOf("missing.exe").c_str()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
}

TEST(Mmalloc, GivesZeroedBlocksEvenWhenReusingMemory) {
    constexpr int kSize = 2 * 260 + 2;
    for (int round = 0; round < 3; ++round) {
        unsigned char* block = static_cast<unsigned char*>(Mmalloc(kSize));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(std::count(block, block + kSize, 0), kSize) << "round " << round;
        std::memset(block, 0xAB, kSize);
        Mfree(block);
    }
    EXPECT_EQ(Mmalloc(-1), nullptr);
    Mfree(nullptr);
}
