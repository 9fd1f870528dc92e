// What a 55 x 23 picture in Pelorin's skin layout should look like, told
// independently of the program that draws it: the background rows, where
// the ten cells lie, and how to recognise the symbols in them.
#pragma once

#include "tests/resources/dib_view.h"

#include <array>
#include <cstdint>
#include <vector>

constexpr int kSkinWidth = 55;
constexpr int kSkinHeight = 23;
constexpr int kCellWidth = 11;
constexpr int kCellHeight = 10;
constexpr int kDisplayCell = 5;

// Background colour of each pixel row, top first.
extern const std::array<uint32_t, kSkinHeight> kGradient;

struct CellBox {
    int left, top;  // inclusive, in picture pixels
};
CellBox CellAt(int cell);  // cell = 5 x row + column

struct Ink {
    int x, y;  // relative to the cell's top-left corner
    uint32_t colour;
};
// Every pixel of a cell that is not the background of its row.
std::vector<Ink> InkInCell(const DibView& picture, int cell);

// A right-pointing triangle: the widest column on the left, narrowing to
// the right, mirrored top to bottom.
bool LooksLikePlay(const std::vector<Ink>& ink);
// Two solid vertical bars of equal height with a gap between them.
bool LooksLikePause(const std::vector<Ink>& ink);

// Mean brightness (0..255) of a cell's pixels.
double CellBrightness(const DibView& picture, int cell);
