// Keeps the books on the memory contexts and bitmaps that code linked into
// this executable makes, by patching the executable's own gdi32 imports
// with counting wrappers (GetGuiResources answers 0 under Wine). Besides
// the counts it notices the two orderings GDI punishes: a bitmap deleted
// while a context still holds it, and a context deleted before its
// original bitmap was selected back.
#pragma once

#include "tests/support/iat_patch.h"

#include <windows.h>
#include <memory>
#include <vector>

struct GdiTally {
    int contextsMade = 0;
    int contextsDeleted = 0;
    int bitmapsMade = 0;
    int bitmapsDeleted = 0;
    int selectedIn = 0;        // a made bitmap into a made context
    int selectedBack = 0;      // a made context's original bitmap back
    int deletedWhileHeld = 0;  // a made bitmap deleted while selected
    int contextsLeftHolding = 0;  // a made context deleted holding another bitmap
};

// One at a time: the wrappers keep their books in one static record.
class GdiLedger {
public:
    GdiLedger();
    ~GdiLedger();
    GdiLedger(const GdiLedger&) = delete;
    GdiLedger& operator=(const GdiLedger&) = delete;

    // True when every wrapper is in place.
    bool active() const;
    GdiTally tally() const;
    // Handles made since the last call, in order; clears the list.
    std::vector<HGDIOBJ> TakeMade();

private:
    std::vector<std::unique_ptr<ScopedImportPatch>> patches_;
};
