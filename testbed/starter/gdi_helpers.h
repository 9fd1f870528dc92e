// Scope guards for the GDI objects the host's drawing functions borrow, so
// every DC is deleted and every selection undone on each path out, and the
// few GDI questions those functions share.
#pragma once

#include <windows.h>
#include <cstdlib>

class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }
    bool ok() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Made only through SelectIn, so a selection cannot exist without its DC.
class Selection {
public:
    ~Selection() {
        if (ok()) SelectObject(dc_, old_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    bool ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    friend Selection SelectIn(HDC dc, HGDIOBJ object);
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    HDC dc_;
    HGDIOBJ old_;
};

inline Selection SelectIn(HDC dc, HGDIOBJ object) { return Selection(dc, object); }

// Restores everything the scope changed in a caller's DC: modes, colours,
// brush origin and selections.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDcState() {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC dc_;
    int saved_;
};

// The real size of a bitmap; false for anything that is not one.
inline bool BitmapSizeOf(HGDIOBJ object, SIZE* size) {
    if (object == nullptr || GetObjectType(object) != OBJ_BITMAP) return false;
    BITMAP bitmap = {};
    if (GetObjectA(object, sizeof bitmap, &bitmap) == 0) return false;
    *size = {bitmap.bmWidth, std::abs(bitmap.bmHeight)};
    return true;
}
