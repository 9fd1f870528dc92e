// The title tip test bench: a real tip window of the plug-in's class, a
// control stand-in it aligns to, and a player stand-in whose caption the
// tests set; the plug-in's globals point at them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

// Messages the tip window has received, counted by the bench's class.
extern int paintCount;
extern int windowPosCount;

class TitleTipTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void SetCaption(const char* caption) { SetWindowTextA(player, caption); }
    // The tip's font from now on; the bench deletes it.
    void UseFont(HFONT font);
    RECT TipRect();

    HWND player = nullptr;
    HWND control = nullptr;
    HWND tip = nullptr;
    HFONT ownFont = nullptr;
};
