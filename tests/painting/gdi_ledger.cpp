// Counting wrappers for gdi32's create, select and delete functions.
#include "tests/painting/gdi_ledger.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

struct Books {
    GdiTally tally;
    std::map<HDC, HGDIOBJ> liveContexts;  // context -> its original bitmap
    std::set<HGDIOBJ> liveBitmaps;
    std::vector<HGDIOBJ> made;
};
Books books;

using CreateCompatibleDCFn = HDC(WINAPI*)(HDC);
using CreateCompatibleBitmapFn = HBITMAP(WINAPI*)(HDC, int, int);
using DeleteDCFn = BOOL(WINAPI*)(HDC);
using DeleteObjectFn = BOOL(WINAPI*)(HGDIOBJ);
using SelectObjectFn = HGDIOBJ(WINAPI*)(HDC, HGDIOBJ);

CreateCompatibleDCFn realCreateCompatibleDC = nullptr;
CreateCompatibleBitmapFn realCreateCompatibleBitmap = nullptr;
DeleteDCFn realDeleteDC = nullptr;
DeleteObjectFn realDeleteObject = nullptr;
SelectObjectFn realSelectObject = nullptr;

HDC WINAPI CountCreateCompatibleDC(HDC dc) {
    HDC made = realCreateCompatibleDC(dc);
    if (made) {
        ++books.tally.contextsMade;
        books.liveContexts[made] = GetCurrentObject(made, OBJ_BITMAP);
        books.made.push_back(made);
    }
    return made;
}

HBITMAP WINAPI CountCreateCompatibleBitmap(HDC dc, int width, int height) {
    HBITMAP made = realCreateCompatibleBitmap(dc, width, height);
    if (made) {
        ++books.tally.bitmapsMade;
        books.liveBitmaps.insert(made);
        books.made.push_back(made);
    }
    return made;
}

HGDIOBJ WINAPI CountSelectObject(HDC dc, HGDIOBJ object) {
    auto context = books.liveContexts.find(dc);
    if (context != books.liveContexts.end()) {
        if (books.liveBitmaps.count(object)) ++books.tally.selectedIn;
        if (object == context->second) ++books.tally.selectedBack;
    }
    return realSelectObject(dc, object);
}

BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
    if (books.liveBitmaps.erase(object)) {
        ++books.tally.bitmapsDeleted;
        for (const auto& context : books.liveContexts)
            if (GetCurrentObject(context.first, OBJ_BITMAP) == object) ++books.tally.deletedWhileHeld;
    }
    return realDeleteObject(object);
}

BOOL WINAPI CountDeleteDC(HDC dc) {
    auto context = books.liveContexts.find(dc);
    if (context != books.liveContexts.end()) {
        ++books.tally.contextsDeleted;
        if (GetCurrentObject(dc, OBJ_BITMAP) != context->second) ++books.tally.contextsLeftHolding;
        books.liveContexts.erase(context);
    }
    return realDeleteDC(dc);
}

template <typename Fn>
void Install(std::vector<std::unique_ptr<ScopedImportPatch>>& patches, const char* name, Fn wrapper, Fn* real) {
    patches.push_back(PatchTyped(GetModuleHandleA(nullptr), "gdi32.dll", name, wrapper, real));
}

}  // namespace

GdiLedger::GdiLedger() {
    books = Books{};
    Install(patches_, "CreateCompatibleDC", &CountCreateCompatibleDC, &realCreateCompatibleDC);
    Install(patches_, "CreateCompatibleBitmap", &CountCreateCompatibleBitmap, &realCreateCompatibleBitmap);
    Install(patches_, "SelectObject", &CountSelectObject, &realSelectObject);
    Install(patches_, "DeleteObject", &CountDeleteObject, &realDeleteObject);
    Install(patches_, "DeleteDC", &CountDeleteDC, &realDeleteDC);
}

GdiLedger::~GdiLedger() {
    // Unpatch in reverse before the books go: a late call must reach GDI.
    while (!patches_.empty()) patches_.pop_back();
}

bool GdiLedger::active() const {
    return std::all_of(patches_.begin(), patches_.end(), [](const auto& patch) { return patch->active(); });
}

GdiTally GdiLedger::tally() const { return books.tally; }

std::vector<HGDIOBJ> GdiLedger::TakeMade() {
    std::vector<HGDIOBJ> made;
    made.swap(books.made);
    return made;
}
