// StretchSkin, DrawPicture and DrawSkin: the host's copies and paints of
// pictures. Sizes come from the bitmaps themselves where a record's stored
// size could point past them.
#include "host/host_abi.h"
#include "testbed/common/top_down_dib.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/gdi_helpers.h"
#include "testbed/starter/no_throw.h"

#include <algorithm>

namespace {

// HALFTONE averages the pixels a shrink drops; it needs the brush origin
// reset after the mode is set.
bool StretchHalftone(HDC target, const RECT& area, HDC source, SIZE sourceSize) {
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    return StretchBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, source, 0, 0,
                      sourceSize.cx, sourceSize.cy, SRCCOPY) != FALSE;
}

HBITMAP MakeStretchedCopy(HGDIOBJ source, int width, int height) {
    SIZE sourceSize = {};
    if (width <= 0 || height <= 0 || !BitmapSizeOf(source, &sourceSize)) return nullptr;
    MemoryDc sourceDc(nullptr);
    MemoryDc targetDc(nullptr);
    if (!sourceDc.ok() || !targetDc.ok()) return nullptr;
    HBITMAP made = CreateTopDownDib(width, height);
    if (made == nullptr) return nullptr;
    bool drawn = false;
    {
        const Selection in = SelectIn(sourceDc.get(), source);
        const Selection out = SelectIn(targetDc.get(), made);
        drawn = in.ok() && out.ok() && StretchHalftone(targetDc.get(), {0, 0, width, height}, sourceDc.get(), sourceSize);
    }
    if (!drawn) {
        DeleteObject(made);
        return nullptr;
    }
    return made;
}

}  // namespace

void __stdcall StretchSkin(int skinContext, PictureRecord* target, PictureRecord* source, int width, int height) {
    NoThrow([&] {
        CallLine("StretchSkin").Number(skinContext).Number(width).Number(height).Record();
        if (target == nullptr) return;
        // The target arrives as a copy of the source: its handle and name are
        // the source's and must not be released through the target.
        if (source != nullptr && source != target && target->fileName == source->fileName) {
            target->fileName = nullptr;
        }
        HBITMAP made = source != nullptr ? MakeStretchedCopy(source->bitmap, width, height) : nullptr;
        target->kind = made != nullptr ? PICTURE_BITMAP : 0;
        target->bitmap = made;
        target->second = nullptr;
        target->width = made != nullptr ? width : 0;
        target->height = made != nullptr ? height : 0;
        target->ownership = PICTURE_HOST_OWNED;
    });
}

void __stdcall DrawPicture(HDC dc, HDC, int x, int y, PictureRecord* p) {
    NoThrow([&] {
        CallLine("DrawPicture").Number(x).Number(y).Record();
        SIZE actual = {};
        if (dc == nullptr || p == nullptr || !BitmapSizeOf(p->bitmap, &actual)) return;
        const int width = std::min<int>(p->width, actual.cx);
        const int height = std::min<int>(p->height, actual.cy);
        if (width <= 0 || height <= 0) return;
        MemoryDc memory(dc);
        if (!memory.ok()) return;
        const Selection selected = SelectIn(memory.get(), p->bitmap);
        if (selected.ok()) BitBlt(dc, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
    });
}

void __stdcall DrawSkin(HDC dc, HDC, RECT* r1, RECT*, RECT*, PictureRecord* p, int a, int b) {
    NoThrow([&] {
        CallLine line("DrawSkin");
        if (r1 != nullptr) {
            line.Number(r1->left).Number(r1->top).Number(r1->right).Number(r1->bottom);
        } else {
            line.Text(nullptr);
        }
        line.Number(a).Number(b).Record();
        SIZE actual = {};
        if (dc == nullptr || r1 == nullptr || p == nullptr || !BitmapSizeOf(p->bitmap, &actual)) return;
        const int width = r1->right - r1->left;
        const int height = r1->bottom - r1->top;
        if (width <= 0 || height <= 0) return;
        MemoryDc memory(dc);
        if (!memory.ok()) return;
        const Selection selected = SelectIn(memory.get(), p->bitmap);
        if (!selected.ok()) return;
        if (width == actual.cx && height == actual.cy) {
            BitBlt(dc, r1->left, r1->top, width, height, memory.get(), 0, 0, SRCCOPY);
            return;
        }
        const SavedDcState saved(dc);
        StretchHalftone(dc, *r1, memory.get(), actual);
    });
}
