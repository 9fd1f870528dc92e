// A bench for painting the control without a screen: five test skins whose
// every pixel tells which picture and which spot it came from, a hidden
// window standing in for the control, and a 32-bit memory target that
// PaintControl draws into and the test reads back.
#pragma once

#include "skin/skin_set.h"

#include <windows.h>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// 0xRRGGBB of a test skin's pixel: red names the picture, green and blue
// the column and row. Holds for x below 64 and y below 32.
uint32_t TestSkinPixel(SkinRole role, int x, int y);

// "pressed(12,4)" for a test skin's pixel, "#RRGGBB" for anything else.
std::string DescribePixel(uint32_t rgb);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row from the top
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A top-down 32-bit DIB section selected into its own memory context.
class DibCanvas {
public:
    DibCanvas(int width, int height);
    ~DibCanvas();
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    uint32_t* bits() const { return bits_; }
    void Fill(uint32_t rgb);
    Image Read() const;

private:
    int width_, height_;
    uint32_t* bits_ = nullptr;  // before bitmap_, whose making sets it
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

// Sets the geometry globals and pluginState's layout fields the way the
// skin loader would for a 55-pixel skin on a taskbar row of `height`.
void UseGeometry(int sideOffset, int barHeight, bool barOffsetBottomRow, int width = 55, int height = 23);

// Idle state: player not running, nothing hot, no button down, no hover,
// no blink, both border settings on, position 0.
void ResetPaintState();

// Owns the test skins (or pictures loaded from files), the stand-in control
// window and the target; puts the pictures into skinSet and takes them out.
class PaintRig {
public:
    // Test skins in every role, the control's size set by UseGeometry.
    PaintRig();
    // Pictures loaded from .bmp files, one per role; an empty name leaves
    // the role without a picture.
    explicit PaintRig(const std::array<std::string, SKIN_COUNT>& files);
    ~PaintRig();
    PaintRig(const PaintRig&) = delete;
    PaintRig& operator=(const PaintRig&) = delete;

    bool ready() const { return window_ != nullptr; }
    void Remove(SkinRole role);
    void Restore(SkinRole role);
    HDC target() const { return target_.dc(); }
    // Fills the target with a colour no skin has, paints, reads it back.
    Image Paint();

private:
    void Install();
    std::array<HBITMAP, SKIN_COUNT> pictures_{};
    HWND window_ = nullptr;
    DibCanvas target_;
};

constexpr uint32_t kUnpainted = 0x010203;
