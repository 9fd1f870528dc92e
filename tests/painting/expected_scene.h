// The picture a test expects, built from plain statements about regions:
// "these pixels come from the pressed skin", "this rectangle has a sunken
// edge". Edges are drawn by the platform itself, so their colours are the
// platform's. Comparing reports the first differing pixels by what they
// show, e.g. "(12,4): got normal(12,4), want pressed(12,4)".
#pragma once

#include "tests/painting/paint_rig.h"

#include <gtest/gtest.h>

class Scene {
public:
    // Starts as the normal skin everywhere, which is what the background
    // layer leaves.
    Scene(int width, int height);
    // Pixels in area show role at their own coordinates.
    Scene& From(SkinRole role, RECT area);
    Scene& Edge(RECT area, UINT edge);

    ::testing::AssertionResult Matches(const Image& actual) const;

private:
    int width_, height_;
    std::vector<uint32_t> pixels_;
};
