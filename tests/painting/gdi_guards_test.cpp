// The GDI guards: a selection puts back what was there, owned objects are
// gone after their scope, and guards declared context, bitmap, selection
// unwind in the order GDI needs.
#include "skin/gdi_guards.h"
#include "tests/painting/gdi_ledger.h"

#include <gtest/gtest.h>

TEST(GdiGuards, ASelectionPutsThePreviousObjectBackOfEveryKind) {
    auto dc = MakeCompatibleDC(nullptr);
    ASSERT_TRUE(dc.get());
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    struct Kind {
        UINT type;
        HGDIOBJ object;
    };
    for (Kind kind : {Kind{OBJ_PEN, pen}, Kind{OBJ_BRUSH, brush}, Kind{OBJ_FONT, GetStockObject(ANSI_VAR_FONT)}}) {
        SCOPED_TRACE("object type " + std::to_string(kind.type));
        const HGDIOBJ before = GetCurrentObject(dc.get(), kind.type);
        ASSERT_NE(before, kind.object);
        {
            auto selected = SelectIn(dc.get(), kind.object);
            EXPECT_EQ(GetCurrentObject(dc.get(), kind.type), kind.object);
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), kind.type), before);
    }
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(GdiGuards, NestedSelectionsUnwindOneAtATime) {
    auto dc = MakeCompatibleDC(nullptr);
    auto first = MakeCompatibleBitmap(dc.get(), 4, 4);
    auto second = MakeCompatibleBitmap(dc.get(), 4, 4);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    {
        auto outer = SelectIn(dc.get(), first.get());
        {
            auto inner = SelectIn(dc.get(), second.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), second.get());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), first.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}

TEST(GdiGuards, OwnedObjectsAreGoneAfterTheirScope) {
    HDC madeDc = nullptr;
    HBITMAP madeBitmap = nullptr;
    {
        auto dc = MakeCompatibleDC(nullptr);
        auto bitmap = MakeCompatibleBitmap(dc.get(), 8, 8);
        madeDc = dc.get();
        madeBitmap = bitmap.get();
        ASSERT_EQ(GetObjectType(madeDc), static_cast<DWORD>(OBJ_MEMDC));
        ASSERT_EQ(GetObjectType(madeBitmap), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(madeDc), 0u);
    EXPECT_EQ(GetObjectType(madeBitmap), 0u);
}

TEST(GdiGuards, DeclaredContextBitmapSelectionTheyReleaseInGdisOrder) {
    GdiLedger ledger;
    ASSERT_TRUE(ledger.active());
    {
        auto dc = MakeCompatibleDC(nullptr);
        auto bitmap = MakeCompatibleBitmap(dc.get(), 8, 8);
        auto selected = SelectIn(dc.get(), bitmap.get());
    }
    const GdiTally t = ledger.tally();
    EXPECT_EQ(t.contextsMade, 1);
    EXPECT_EQ(t.contextsDeleted, 1);
    EXPECT_EQ(t.bitmapsMade, 1);
    EXPECT_EQ(t.bitmapsDeleted, 1);
    EXPECT_EQ(t.selectedIn, 1);
    EXPECT_EQ(t.selectedBack, 1);
    EXPECT_EQ(t.deletedWhileHeld, 0);
    EXPECT_EQ(t.contextsLeftHolding, 0);
}

// The ledger must see the faults it is trusted to find.
TEST(GdiLedger, CatchesABitmapDeletedWhileSelectedAndAContextLeftHoldingOne) {
    GdiLedger ledger;
    ASSERT_TRUE(ledger.active());
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    SelectObject(dc, bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    const GdiTally t = ledger.tally();
    EXPECT_EQ(t.deletedWhileHeld, 1);
    EXPECT_EQ(t.contextsLeftHolding, 1);
    EXPECT_EQ(t.selectedBack, 0);
}
