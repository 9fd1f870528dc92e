// How dropped files reach a running player, as values: added or in the
// playlist's place, each name's form, and the messages in order.
#include "player/drop_plan.h"

#include "tests/support/iat_patch.h"

#include <gtest/gtest.h>

namespace {

struct DropCase {
    int playerStatus;
    bool shiftHeld;
    bool appends;
};

class DropMode : public ::testing::TestWithParam<DropCase> {};

TEST_P(DropMode, AddsOrReplacesAsThePlayerAndShiftDecide) {
    const DropCase c = GetParam();
    EXPECT_EQ(DropAppends(c.playerStatus, c.shiftHeld), c.appends);
}

INSTANTIATE_TEST_SUITE_P(PlayerAndShift, DropMode,
                         ::testing::Values(DropCase{PLAYER_PLAYING, false, true}, DropCase{PLAYER_PLAYING, true, false},
                                           DropCase{PLAYER_STOPPED, false, false}, DropCase{PLAYER_STOPPED, true, true},
                                           DropCase{PLAYER_PAUSED, false, false}, DropCase{PLAYER_PAUSED, true, true}));

constexpr UINT kWestern = 1252;
constexpr UINT kCyrillic = 1251;
const std::wstring kCyrillicName = L"C:\\\x041C\x0443\x0437\x044B\x043A\x0430\\\x041F\x0435\x0441\x043D\x044F.mp3";
const std::wstring kChineseName = L"C:\\Music\\\x6B4C\x66F2.mp3";

TEST(NameForPlayer, ANameTheCodePageHoldsGoesAsItsOwnText) {
    const NameForPlayer western = ChooseNameForPlayer(L"C:\\Caf\x00E9\\a.mp3", kWestern, true, L"");
    EXPECT_EQ(western.form, NameForPlayer::Ansi);
    EXPECT_EQ(western.ansi, "C:\\Caf\xE9\\a.mp3");
    const NameForPlayer cyrillic = ChooseNameForPlayer(kCyrillicName, kCyrillic, false, L"");
    EXPECT_EQ(cyrillic.form, NameForPlayer::Ansi);
    EXPECT_EQ(cyrillic.ansi, "C:\\\xCC\xF3\xE7\xFB\xEA\xE0\\\xCF\xE5\xF1\xED\xFF.mp3");
}

TEST(NameForPlayer, ANameOutsideTheCodePageGoesWideToAUnicodeWindowElseByItsShortName) {
    const NameForPlayer wide = ChooseNameForPlayer(kChineseName, kCyrillic, true, L"C:\\Music\\A~1.MP3");
    EXPECT_EQ(wide.form, NameForPlayer::Wide);
    EXPECT_EQ(wide.wide, kChineseName);
    const NameForPlayer shortName = ChooseNameForPlayer(kChineseName, kCyrillic, false, L"C:\\Music\\A~1.MP3");
    EXPECT_EQ(shortName.form, NameForPlayer::Ansi);
    // Players that choose their decoder by extension know it in lower case.
    EXPECT_EQ(shortName.ansi, "C:\\Music\\A~1.mp3");
    EXPECT_EQ(ChooseNameForPlayer(kChineseName, kCyrillic, false, L"C:\\MUSIC.NEW\\A~1").ansi, "C:\\MUSIC.NEW\\A~1")
        << "a folder's dot is no extension";
    EXPECT_EQ(ChooseNameForPlayer(kChineseName, kCyrillic, false, L"").form, NameForPlayer::None);
    // "é" has a look-alike in 1251 that the player would not find.
    EXPECT_EQ(ChooseNameForPlayer(L"C:\\Caf\x00E9.mp3", kCyrillic, false, L"").form, NameForPlayer::None);
}

// Windows refuses, for UTF-8, any flag but WC_ERR_INVALID_CHARS and the
// default-character report; Wine takes both, so the rule is kept here.
decltype(&WideCharToMultiByte) wineWideCharToMultiByte = nullptr;
int WINAPI WindowsWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int length, LPSTR out, int size,
                                      LPCCH defaultChar, LPBOOL usedDefault) {
    if (codePage == CP_UTF8 && ((flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0 || defaultChar || usedDefault)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return wineWideCharToMultiByte(codePage, flags, text, length, out, size, defaultChar, usedDefault);
}

// With "Use Unicode UTF-8 for worldwide language support" the system's
// code page is UTF-8, which holds every name.
TEST(NameForPlayer, AUtf8CodePageHoldsEveryName) {
    ScopedImportPatch windowsRule(GetModuleHandleA(nullptr), "kernel32.dll", "WideCharToMultiByte",
                                  reinterpret_cast<void*>(&WindowsWideCharToMultiByte));
    ASSERT_TRUE(windowsRule.active());
    wineWideCharToMultiByte = reinterpret_cast<decltype(wineWideCharToMultiByte)>(windowsRule.original());
    for (const std::wstring& name : {kChineseName, kCyrillicName}) {
        const NameForPlayer chosen = ChooseNameForPlayer(name, CP_UTF8, false, L"");
        EXPECT_EQ(chosen.form, NameForPlayer::Ansi);
        std::wstring back(name.size(), L'\0');
        back.resize(MultiByteToWideChar(CP_UTF8, 0, chosen.ansi.data(), static_cast<int>(chosen.ansi.size()),
                                        back.data(), static_cast<int>(back.size())));
        EXPECT_EQ(back, name);
    }
    EXPECT_EQ(ChooseNameForPlayer(L"C:\\\xD800.mp3", CP_UTF8, false, L"").form, NameForPlayer::None)
        << "a lone surrogate has no UTF-8 form";
}

std::vector<std::string> Described(const std::vector<HandOverStep>& steps) {
    std::vector<std::string> described;
    for (const HandOverStep& step : steps) {
        described.push_back(step.kind == HandOverStep::File
                                ? "file " + std::to_string(step.file)
                                : "ipc " + std::to_string(step.ipc) + " " + std::to_string(step.argument));
    }
    return described;
}

TEST(HandOverSteps, AddingSendsTheFilesReplacingClearsThenChoosesAndPlaysTheFirst) {
    using Steps = std::vector<std::string>;
    EXPECT_EQ(Described(HandOverSteps(2, true)), (Steps{"file 0", "file 1"}));
    EXPECT_EQ(Described(HandOverSteps(2, false)), (Steps{"ipc 101 0", "file 0", "file 1", "ipc 121 0", "ipc 102 0"}));
    EXPECT_TRUE(HandOverSteps(0, false).empty()) << "nothing to replace the playlist with";
}

}  // namespace
