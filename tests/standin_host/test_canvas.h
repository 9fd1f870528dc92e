// A 32-bit memory bitmap selected into its own DC, for tests that draw
// through the host's functions and read the pixels back.
#pragma once

#include "testbed/common/top_down_dib.h"

#include <windows.h>

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
        bitmap_ = CreateTopDownDib(width, height);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        HBRUSH brush = CreateSolidBrush(fill);
        const RECT all = {0, 0, width, height};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    int Count(COLORREF colour) const {
        int count = 0;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) count += At(x, y) == colour ? 1 : 0;
        }
        return count;
    }

private:
    int width_;
    int height_;
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ old_;
};

// Reads one pixel of a bitmap that is not selected anywhere.
inline COLORREF PixelOf(HGDIOBJ bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}
