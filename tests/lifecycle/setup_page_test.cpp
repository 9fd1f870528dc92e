// The shell's setup page, driven like a person would: the dialog is found
// on the screen, its controls are changed and OK or Cancel is pressed; the
// store file tells what the page wrote.
#include "testbed/shell/setup_page.h"
#include "testbed/shell/setup_rows.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <functional>

namespace {

const char* const kChoices[] = {"Left", "Right"};
const DescriptorRow kRows[] = {
    {nullptr, 26, "General", 0, 0, 0},
    {"Side", 16, "Side", 0, 1, reinterpret_cast<intptr_t>(kChoices)},
    {"Steps", 267, "Steps", 5, 1, 10},
    {"Tips", 1, "Tips", 1, 0, 0},
    {"Quiet", 257, "Quiet", 0, 0, 0},
    {"Program", 264, "Program", 0, 0, 0},
    {"Face", 14, "Face", 0, 0, 0},
};
const PluginDescriptor kDescriptor = {24, "Test", "About", "TestSection", 7, kRows};

// What the timer does once the page is up; runs inside the dialog's loop.
std::function<void(HWND)> pageScript;
int pageChildren[4];  // check boxes, up-downs, combo boxes, browse buttons

BOOL CALLBACK CountChild(HWND child, LPARAM) {
    char className[32] = {};
    char text[32] = {};
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0 && (style & 0x0F) == BS_AUTOCHECKBOX) ++pageChildren[0];
    if (lstrcmpiA(className, UPDOWN_CLASSA) == 0) ++pageChildren[1];
    if (lstrcmpiA(className, "ComboBox") == 0) ++pageChildren[2];
    if (lstrcmpiA(text, "Browse...") == 0) ++pageChildren[3];
    return TRUE;
}

std::string pageTitle;

void CALLBACK DrivePage(HWND, UINT, UINT_PTR id, DWORD) {
    HWND page = FindWindowA(nullptr, pageTitle.c_str());
    if (!page || !IsWindowVisible(page)) return;
    KillTimer(nullptr, id);
    for (int& count : pageChildren) count = 0;
    EnumChildWindows(page, CountChild, 0);
    pageScript(page);
}

void Press(HWND page, int id) {
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

class SetupPage : public HostTest {
protected:
    bool Run(std::function<void(HWND)> script, const PluginDescriptor& descriptor = kDescriptor) {
        pageScript = std::move(script);
        pageTitle = std::string(kSetupPageTitlePrefix) + descriptor.name;
        SetTimer(nullptr, 0, 50, DrivePage);
        return RunSetupPage(host.mainWindow, host.configId, descriptor);
    }
};

}  // namespace

TEST_F(SetupPage, ShowsOneLinePerRowAndWritesTheEditsOnOk) {
    const bool saved = Run([](HWND page) {
        SendDlgItemMessageA(page, SetupControlId(1, ROW_PART_VALUE), CB_SETCURSEL, 1, 0);
        SetDlgItemTextA(page, SetupControlId(2, ROW_PART_VALUE), "99");
        CheckDlgButton(page, SetupControlId(3, ROW_PART_VALUE), BST_UNCHECKED);
        CheckDlgButton(page, SetupControlId(4, ROW_PART_VALUE), BST_CHECKED);
        SetDlgItemTextA(page, SetupControlId(5, ROW_PART_VALUE), "C:\\Players\\player.exe");
        Press(page, IDOK);
    });
    EXPECT_TRUE(saved);
    EXPECT_EQ(pageChildren[0], 2) << "check boxes";
    EXPECT_EQ(pageChildren[1], 1) << "up-down controls";
    EXPECT_EQ(pageChildren[2], 1) << "choice lists";
    EXPECT_EQ(pageChildren[3], 2) << "browse buttons";

    const std::string stored = ReadWholeFile(storePath);
    EXPECT_NE(stored.find("[TestSection]"), std::string::npos) << stored;
    for (const char* line : {"Side=1", "Steps=10", "Tips=0", "Quiet=1", "Program=C:\\Players\\player.exe", "Face="})
        EXPECT_NE(stored.find(line), std::string::npos) << line << " in\n" << stored;
}

TEST_F(SetupPage, ShowsTheStoredValuesAndCancelWritesNothing) {
    WriteWholeFile(storePath, "[TestSection]\r\nSteps=7\r\nTips=0\r\nProgram=C:\\p.exe\r\n");
    char steps[16] = {};
    char program[64] = {};
    UINT tips = 99;
    const bool saved = Run([&](HWND page) {
        GetDlgItemTextA(page, SetupControlId(2, ROW_PART_VALUE), steps, sizeof steps);
        GetDlgItemTextA(page, SetupControlId(5, ROW_PART_VALUE), program, sizeof program);
        tips = IsDlgButtonChecked(page, SetupControlId(3, ROW_PART_VALUE));
        SetDlgItemTextA(page, SetupControlId(2, ROW_PART_VALUE), "3");
        Press(page, IDCANCEL);
    });
    EXPECT_FALSE(saved);
    EXPECT_STREQ(steps, "7");
    EXPECT_STREQ(program, "C:\\p.exe");
    EXPECT_EQ(tips, static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(ReadWholeFile(storePath), "[TestSection]\r\nSteps=7\r\nTips=0\r\nProgram=C:\\p.exe\r\n");
}

TEST_F(SetupPage, ThePluginsOwnTableGivesEveryKindOfLineAndAStoreItStartsFrom) {
    const PluginDescriptor* descriptor = PluginExport<GetPluginInfoFn>("GetPluginInfo")();
    ASSERT_TRUE(descriptor);
    ASSERT_EQ(descriptor->rowCount, 23);
    EXPECT_TRUE(Run([](HWND page) { Press(page, IDOK); }, *descriptor));
    EXPECT_EQ(pageChildren[0], 8) << "check boxes";
    EXPECT_EQ(pageChildren[1], 4) << "integer rows";
    EXPECT_EQ(pageChildren[2], 1) << "the position choice";
    EXPECT_EQ(pageChildren[3], 6) << "the player's path and five pictures";

    // Untouched, the page stores the plug-in's own defaults.
    const std::string stored = ReadWholeFile(storePath);
    for (const char* line : {"[Pelorin]", "Position=0", "Priority Position=5", "Buttons tips=0", "Song Title tip=1",
                             "Run Minimized=1", "Volume Steps=5", "Position Bar Height=3", "Show Pressed Buttons=1"})
        EXPECT_NE(stored.find(line), std::string::npos) << line << " in\n" << stored;

    auto init = PluginExport<void(__stdcall*)(HostContext*)>("InitGlobalModule");
    init(&host.context);
    EXPECT_EQ(host.taskbarItems.size(), 1u) << "the plug-in starts from what the page wrote";
    EXPECT_TRUE(host.modalMessages.empty()) << "without complaint";
    PluginExport<void(__stdcall*)()>("DoneModule")();
}
