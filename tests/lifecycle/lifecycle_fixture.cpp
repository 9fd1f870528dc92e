// Helpers of the lifecycle tests.
#include "tests/lifecycle/lifecycle_fixture.h"

#include "testbed/common/message_wait.h"
#include "testbed/shell/scene_script.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace {

template <typename T>
void Put(std::vector<uint8_t>& bytes, T value) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof value);
}

}  // namespace


void WriteIconFile(const std::string& path) {
    constexpr int kSide = 16;
    constexpr uint32_t kColourBytes = kSide * kSide * 4;
    constexpr uint32_t kMaskBytes = kSide * 4;  // one bit a pixel, rows padded to 4 bytes
    std::vector<uint8_t> bytes;
    Put<uint16_t>(bytes, 0);  // ICONDIR: reserved, type 1 (icon), one image
    Put<uint16_t>(bytes, 1);
    Put<uint16_t>(bytes, 1);
    Put<uint8_t>(bytes, kSide);  // the image's entry
    Put<uint8_t>(bytes, kSide);
    Put<uint8_t>(bytes, 0);
    Put<uint8_t>(bytes, 0);
    Put<uint16_t>(bytes, 1);
    Put<uint16_t>(bytes, 32);
    Put<uint32_t>(bytes, sizeof(BITMAPINFOHEADER) + kColourBytes + kMaskBytes);
    Put<uint32_t>(bytes, 22);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = kSide;
    header.biHeight = 2 * kSide;  // colour and mask together
    header.biPlanes = 1;
    header.biBitCount = 32;
    Put(bytes, header);
    for (int i = 0; i < kSide * kSide; ++i) Put<uint32_t>(bytes, 0xFF2060C0);
    bytes.resize(bytes.size() + kMaskBytes, 0);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

HWND ControlWindowIn(HWND taskbar) { return FindWindowExA(taskbar, nullptr, "Pelorin", nullptr); }

void LoadedPluginTest::TearDown() {
    StopAndUnload();
    HostTest::TearDown();
}

void LoadedPluginTest::WriteSettings(const std::string& lines) { WriteWholeFile(storePath, "[Pelorin]\r\n" + lines); }

void LoadedPluginTest::StartPlugin() {
    const bool loaded = plugin != nullptr;
    ASSERT_TRUE(LoadPlugin());
    if (!loaded) {
        probe = ProbeRecord{};
        pluginProbe = std::make_unique<PluginProbe>(plugin);
    }
    auto init = PluginExport<void(__stdcall*)(HostContext*)>("InitGlobalModule");
    ASSERT_TRUE(init);
    // Running from the call on: a host may stop it from inside its start.
    running = true;
    init(&host.context);
}

void LoadedPluginTest::StopPlugin() {
    if (!running) return;
    PluginExport<void(__stdcall*)()>("DoneModule")();
    running = false;
}

void LoadedPluginTest::StopAndUnload() {
    StopPlugin();
    // The patches live in the module's memory: undo them while it is there.
    pluginProbe.reset();
    UnloadPlugin();
}

void LoadedPluginTest::ClickCell(int cell) {
    HWND control = ControlWindowIn(host.taskbarWindow);
    ASSERT_TRUE(control);
    RECT rect;
    GetWindowRect(control, &rect);
    const POINT point = CellPoint(rect, cell);
    SetCursorPos(point.x, point.y);
    PumpMessages(50);
    const LPARAM client = MAKELPARAM(point.x - rect.left, point.y - rect.top);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, client);
    PostMessageA(control, WM_LBUTTONUP, 0, client);
    PumpMessages(50);
}
