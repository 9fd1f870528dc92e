// The painting bench: test skins, the stand-in control window, the target.
#include "tests/painting/paint_rig.h"

#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"
#include "skin/paint.h"
#include "testbed/common/top_down_dib.h"

#include <cstdio>

namespace {

constexpr std::array<uint32_t, SKIN_COUNT> kSkinTags = {0x20, 0x50, 0x80, 0xB0, 0xE0};
constexpr std::array<const char*, SKIN_COUNT> kSkinNames = {"normal", "mouse-over", "pressed",
                                                            "pressed-buttons", "mouse-over-pressed"};
constexpr uint32_t kColumnStep = 4;
constexpr uint32_t kRowStep = 8;

HBITMAP MakeTestSkin(SkinRole role, int width, int height) {
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(width, height, &bits);
    if (!bitmap) return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[y * width + x] = TestSkinPixel(role, x, y);
    return bitmap;
}

PictureRecord PictureOf(HBITMAP bitmap) {
    PictureRecord record = {};
    if (!bitmap) return record;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    record.kind = PICTURE_BITMAP;
    record.bitmap = bitmap;
    record.width = info.bmWidth;
    record.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    record.loadFlag = 1;
    record.ownership = PICTURE_HOST_OWNED;
    return record;
}

}  // namespace

uint32_t TestSkinPixel(SkinRole role, int x, int y) {
    return (kSkinTags[role] << 16) | ((x * kColumnStep) << 8) | (y * kRowStep);
}

std::string DescribePixel(uint32_t rgb) {
    const uint32_t red = rgb >> 16, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    char text[64];
    for (int role = 0; role < SKIN_COUNT; ++role) {
        if (red == kSkinTags[role] && green % kColumnStep == 0 && blue % kRowStep == 0) {
            std::snprintf(text, sizeof text, "%s(%u,%u)", kSkinNames[role], green / kColumnStep, blue / kRowStep);
            return text;
        }
    }
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

DibCanvas::DibCanvas(int width, int height)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)),
      bitmap_(CreateTopDownDib(width, height, &bits_)), previous_(SelectObject(dc_, bitmap_)) {}

DibCanvas::~DibCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void DibCanvas::Fill(uint32_t rgb) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = rgb;
}

Image DibCanvas::Read() const {
    GdiFlush();
    Image image;
    image.width = width_;
    image.height = height_;
    image.pixels.resize(static_cast<size_t>(width_) * height_);
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = bits_[i] & 0xFFFFFF;
    return image;
}

void UseGeometry(int sideOffset, int barHeight, bool barOffsetBottomRow, int width, int height) {
    const Geometry g = ComputeGeometry({width, height, 1, sideOffset, barHeight, barOffsetBottomRow});
    controlWidth = g.controlWidth;
    controlHeight = g.controlHeight;
    cellWidth = g.cellWidth;
    cellHeight = g.cellHeight;
    pluginState.sideOffset = g.sideOffset;
    pluginState.barHeight = g.barHeight;
    pluginState.barOffsetBottomRow = g.barOffsetBottomRow;
}

void ResetPaintState() {
    pluginState.playerStatus = PLAYER_NOT_RUNNING;
    pluginState.hotItem = HOT_NONE;
    pluginState.buttonDown = false;
    pluginState.hoverTimer = 0;
    pluginState.blinkPhase = false;
    pluginState.showPressedButtons = true;
    pluginState.borderOnMouseOver = true;
    positionPercent = 0;
}

PaintRig::PaintRig() : target_(controlWidth, controlHeight) {
    for (int role = 0; role < SKIN_COUNT; ++role)
        pictures_[role] = MakeTestSkin(static_cast<SkinRole>(role), controlWidth, controlHeight);
    Install();
}

PaintRig::PaintRig(const std::array<std::string, SKIN_COUNT>& files) : target_(controlWidth, controlHeight) {
    for (int role = 0; role < SKIN_COUNT; ++role) {
        if (files[role].empty()) continue;
        pictures_[role] = static_cast<HBITMAP>(
            LoadImageA(nullptr, files[role].c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    }
    Install();
}

void PaintRig::Install() {
    // A borderless popup's client area is its whole size, as the host makes
    // the control's.
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, controlWidth, controlHeight, nullptr, nullptr,
                              nullptr, nullptr);
    pluginState.controlWindow = window_;
    for (int role = 0; role < SKIN_COUNT; ++role) Restore(static_cast<SkinRole>(role));
}

PaintRig::~PaintRig() {
    for (int role = 0; role < SKIN_COUNT; ++role) {
        skinSet[role].stretched = PictureRecord{};
        if (pictures_[role]) DeleteObject(pictures_[role]);
    }
    pluginState.controlWindow = nullptr;
    if (window_) DestroyWindow(window_);
}

void PaintRig::Remove(SkinRole role) { skinSet[role].stretched = PictureRecord{}; }

void PaintRig::Restore(SkinRole role) { skinSet[role].stretched = PictureOf(pictures_[role]); }

Image PaintRig::Paint() {
    target_.Fill(kUnpainted);
    PaintControl(target_.dc());
    return target_.Read();
}
