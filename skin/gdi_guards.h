// Scope guards for the GDI objects a paint makes: a memory context and a
// bitmap that delete themselves, and a selection that puts the previous
// object back. Each comes from a factory that takes the device context, so
// no guard exists without one. Declared in the order context, bitmap,
// selection, they unwind as GDI wants: the bitmap is selected out before
// it is deleted, and both before the context goes.
#pragma once

#include <windows.h>

// A memory device context that DeleteDC releases.
class [[nodiscard]] OwnedDC {
public:
    explicit OwnedDC(HDC dc) : dc_(dc) {}
    ~OwnedDC() {
        if (dc_) DeleteDC(dc_);
    }
    OwnedDC(const OwnedDC&) = delete;
    OwnedDC& operator=(const OwnedDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A bitmap that DeleteObject releases.
class [[nodiscard]] OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~OwnedBitmap() {
        if (bitmap_) DeleteObject(bitmap_);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    HBITMAP get() const { return bitmap_; }

private:
    HBITMAP bitmap_;
};

// An object selected into a context; the previous one returns at scope
// end. Made only through SelectIn, so it cannot exist without its context.
class [[nodiscard]] Selection {
public:
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    friend Selection SelectIn(HDC dc, HGDIOBJ object);
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    HDC dc_;
    HGDIOBJ previous_;
};

// C++17 returns these by guaranteed elision, so they need no copy or move;
// a factory result left unnamed would be released at once, hence nodiscard.
inline OwnedDC MakeCompatibleDC(HDC dc) { return OwnedDC(CreateCompatibleDC(dc)); }

inline OwnedBitmap MakeCompatibleBitmap(HDC dc, int width, int height) {
    return OwnedBitmap(CreateCompatibleBitmap(dc, width, height));
}

inline Selection SelectIn(HDC dc, HGDIOBJ object) { return Selection(dc, object); }
