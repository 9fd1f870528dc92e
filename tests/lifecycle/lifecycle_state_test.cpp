// Start and stop with the plug-in's code linked into the test, so the
// state record can be read: what a full start sets, and exactly what each
// start that cannot finish leaves behind for the stop to undo.
#include "plugin/exports.h"
#include "plugin/state/plugin_state.h"
#include "skin/skin_set.h"
#include "testbed/common/message_wait.h"
#include "testbed/starter/standin_api.h"
#include "tests/lifecycle/lifecycle_fixture.h"

#include <gtest/gtest.h>

namespace {

bool ClassRegistered(const char* name) {
    WNDCLASSA found;
    return GetClassInfoA(pluginInstance, name, &found) != FALSE;
}

bool RegisterPlainClass(const char* name) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = pluginInstance;
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

std::string CallLog() {
    std::string log(StandInReadCallLog(nullptr, 0) + 1, '\0');
    StandInReadCallLog(log.data(), static_cast<int>(log.size()));
    log.resize(log.find('\0'));
    return log;
}

bool AnySkinHeld() {
    for (const SkinEntry& entry : skinSet)
        if (entry.source.bitmap || entry.stretched.bitmap || entry.source.fileName) return true;
    return false;
}

class LinkedLifecycle : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        // The code runs from the test program itself here.
        pluginInstance = GetModuleHandleA(nullptr);
    }
    void TearDown() override {
        DoneModule();
        HostTest::TearDown();
    }
};

}  // namespace

TEST_F(LinkedLifecycle, AFullStartSetsTheInteractionStateAndAStopClearsEveryHandle) {
    pluginState.drawnButtonDown = false;
    InitGlobalModule(&host.context);
    ASSERT_TRUE(pluginState.controlWindow);
    ASSERT_TRUE(pluginState.titleTipWindow);
    EXPECT_EQ(hostContext.configId, host.configId);
    EXPECT_EQ(pluginState.hotItem, -1);
    EXPECT_EQ(pluginState.pendingCommand, -1);
    EXPECT_EQ(pluginState.drawnHotItem, -1);
    EXPECT_FALSE(pluginState.buttonDown);
    EXPECT_TRUE(pluginState.drawnButtonDown);
    EXPECT_NE(pluginState.pollTimer, 0u);
    EXPECT_NE(pluginState.titleRefreshTimer, 0u);
    EXPECT_NE(pluginState.titleTipTimer, 0u);
    // Run at Startup is off: no start-up tick, now or later.
    EXPECT_EQ(pluginState.startupTimer, 0u);
    PumpMessages(1500);
    EXPECT_TRUE(pluginState.startupPending);
    EXPECT_EQ(pluginState.startupTimer, 0u);

    DoneModule();
    EXPECT_EQ(pluginState.controlWindow, nullptr);
    EXPECT_EQ(pluginState.titleTipWindow, nullptr);
    for (UINT_PTR timer : {pluginState.hoverTimer, pluginState.pollTimer, pluginState.startupTimer,
                           pluginState.launchWatchdogTimer, pluginState.titleTipTimer, pluginState.titleRefreshTimer})
        EXPECT_EQ(timer, 0u);
    EXPECT_FALSE(ClassRegistered("Pelorin"));
    EXPECT_FALSE(ClassRegistered("Pelorin_Tip"));
    EXPECT_FALSE(AnySkinHeld());
    EXPECT_EQ(tipFont.font, nullptr);
}

TEST_F(LinkedLifecycle, WhenTheControlClassCannotBeRegisteredNothingElseHappens) {
    ASSERT_TRUE(RegisterPlainClass("Pelorin"));
    StandInClearCallLog();
    InitGlobalModule(&host.context);
    EXPECT_EQ(pluginState.controlWindow, nullptr);
    EXPECT_EQ(CallLog(), "") << "the settings were not even read";
    EXPECT_TRUE(host.taskbarItems.empty());
    EXPECT_FALSE(AnySkinHeld());
    DoneModule();
    EXPECT_FALSE(ClassRegistered("Pelorin"));
}

TEST_F(LinkedLifecycle, WhenTheTitleTipCannotBeMadeTheControlStaysWithoutTimers) {
    ASSERT_TRUE(RegisterPlainClass("Pelorin_Tip"));
    pluginState.drawnButtonDown = false;
    InitGlobalModule(&host.context);
    ASSERT_TRUE(pluginState.controlWindow);
    EXPECT_EQ(host.taskbarItems.size(), 1u);
    EXPECT_EQ(pluginState.titleTipWindow, nullptr);
    EXPECT_EQ(pluginState.pollTimer, 0u);
    EXPECT_EQ(pluginState.titleRefreshTimer, 0u);
    EXPECT_EQ(pluginState.titleTipTimer, 0u);
    EXPECT_FALSE(pluginState.drawnButtonDown) << "left as it was";
    EXPECT_NE(tipFont.font, nullptr);

    DoneModule();
    EXPECT_EQ(pluginState.controlWindow, nullptr);
    // The font was made for a tip that never came; the stop still frees it.
    EXPECT_EQ(tipFont.font, nullptr);
    EXPECT_FALSE(AnySkinHeld());
}

TEST_F(LinkedLifecycle, WhenTheControlWindowCannotBeMadeTheStartStopsQuietlyAndFreesTheSkins) {
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    HostContext context = host.context;
    context.taskbarWindow = gone;
    InitGlobalModule(&context);
    EXPECT_EQ(pluginState.controlWindow, nullptr);
    EXPECT_EQ(pluginState.titleTipWindow, nullptr);
    EXPECT_TRUE(host.taskbarItems.empty()) << "no item for a window that does not exist";
    EXPECT_TRUE(host.modalMessages.empty()) << "quietly";
    EXPECT_FALSE(AnySkinHeld());
    EXPECT_EQ(tipFont.font, nullptr);
    DoneModule();
    EXPECT_FALSE(ClassRegistered("Pelorin"));
}

TEST_F(LinkedLifecycle, ANullContextIsRefused) {
    StandInClearCallLog();
    InitGlobalModule(nullptr);
    EXPECT_EQ(pluginState.controlWindow, nullptr);
    EXPECT_FALSE(ClassRegistered("Pelorin"));
}
