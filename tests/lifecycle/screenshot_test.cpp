// Screenshots: the BMP file layout, and a capture of the real screen that
// sees another window's pixels where that window is.
#include "testbed/shell/screenshot.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

template <typename T>
T ReadAt(const std::string& bytes, size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

LRESULT CALLBACK PaintRed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(reinterpret_cast<HDC>(wParam), &client, red);
        DeleteObject(red);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST(Screenshot, EncodesABottomUpBmpWithPaddedRows) {
    // Five pixels make 15 bytes, padded to 16 per row.
    EXPECT_EQ(Bmp24Stride(5), 16);
    EXPECT_EQ(Bmp24Stride(55), 168);
    std::vector<uint8_t> rows(16 * 2, 0);
    rows[0] = 0x11;   // bottom-left blue
    rows[16 + 14] = 0x22;  // top-right red
    const std::vector<uint8_t> file = EncodeBmp24(5, 2, rows);
    const std::string bytes(file.begin(), file.end());
    ASSERT_EQ(bytes.size(), 54u + 32u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 2), 86u);
    EXPECT_EQ(ReadAt<uint32_t>(bytes, 10), 54u);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 18), 5);
    EXPECT_EQ(ReadAt<int32_t>(bytes, 22), 2);
    EXPECT_EQ(ReadAt<uint16_t>(bytes, 28), 24);
    EXPECT_EQ(static_cast<uint8_t>(bytes[54]), 0x11);
    EXPECT_EQ(static_cast<uint8_t>(bytes[54 + 16 + 14]), 0x22);
    // Short input is filled with black rather than read past its end.
    EXPECT_EQ(EncodeBmp24(5, 2, {}).size(), 86u);
}

TEST(Screenshot, CapturesWhatIsOnTheScreen) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PaintRed;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ScreenshotTestRed";
    RegisterClassA(&windowClass);
    HWND red = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, nullptr,
                               WS_POPUP | WS_VISIBLE, 100, 120, 40, 30, nullptr, nullptr, windowClass.hInstance,
                               nullptr);
    ASSERT_TRUE(red);
    UpdateWindow(red);
    PumpMessages(200);

    const std::string dir = MakeScratchDir("shot");
    const std::string path = dir + "\\shot.bmp";
    // The window in the middle of a larger capture, at (10, 10) to (50, 40).
    ASSERT_TRUE(CaptureScreenRect({90, 110, 150, 160}, path));
    const std::string bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 54u + Bmp24Stride(60) * 50u);
    auto pixel = [&](int x, int y) {  // y counted from the top
        const size_t at = 54 + static_cast<size_t>(49 - y) * Bmp24Stride(60) + x * 3;
        return RGB(static_cast<uint8_t>(bytes[at + 2]), static_cast<uint8_t>(bytes[at + 1]),
                   static_cast<uint8_t>(bytes[at]));
    };
    EXPECT_EQ(pixel(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(pixel(49, 39), RGB(255, 0, 0));
    EXPECT_NE(pixel(5, 5), RGB(255, 0, 0));
    EXPECT_NE(pixel(55, 45), RGB(255, 0, 0));
    EXPECT_FALSE(CaptureScreenRect({10, 10, 10, 40}, path)) << "an empty rectangle writes nothing";

    DestroyWindow(red);
    RemoveTree(dir);
}
