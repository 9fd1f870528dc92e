// The expected skin layout and the symbol recognisers the tests share.
#include "tests/resources/skin_layout.h"

#include <algorithm>
#include <map>

const std::array<uint32_t, kSkinHeight> kGradient = {
    0xE1E3E5, 0xE1E3E5, 0xE1E3E5, 0xE1E3E5, 0xE1E3E5, 0xE1E3E5,
    0xE1E3E5, 0xE1E3E5, 0xE1E3E5, 0xDADEE2, 0xD5DBDF, 0xD1D9DE,
    0xCAD3D9, 0xC3CDD6, 0xBBCAD5, 0xB2C8D1, 0xA8C2D0, 0xA0BBCC,
    0x95B7C7, 0x89B0C6, 0x80AABE, 0x79A6B7, 0x79A6B7,
};

CellBox CellAt(int cell) {
    return {(cell % 5) * kCellWidth, 3 + (cell / 5) * kCellHeight};
}

std::vector<Ink> InkInCell(const DibView& picture, int cell) {
    CellBox box = CellAt(cell);
    std::vector<Ink> ink;
    for (int y = 0; y < kCellHeight; ++y)
        for (int x = 0; x < kCellWidth; ++x) {
            uint32_t c = picture.Pixel(box.left + x, box.top + y);
            if (c != kGradient[box.top + y]) ink.push_back({x, y, c});
        }
    return ink;
}

// Ink pixels per column, and the rows each column spans, left to right.
struct Column {
    int x, count, top, bottom;
};
static std::vector<Column> Columns(const std::vector<Ink>& ink) {
    std::map<int, Column> byX;
    for (const Ink& p : ink) {
        Column& c = byX.try_emplace(p.x, Column{p.x, 0, p.y, p.y}).first->second;
        c.count++;
        c.top = std::min(c.top, p.y);
        c.bottom = std::max(c.bottom, p.y);
    }
    std::vector<Column> out;
    for (auto& [x, c] : byX) out.push_back(c);
    return out;
}

bool LooksLikePlay(const std::vector<Ink>& ink) {
    std::vector<Column> cols = Columns(ink);
    if (cols.size() < 2) return false;
    for (size_t i = 0; i < cols.size(); ++i) {
        const Column& c = cols[i];
        if (i > 0 && (c.x != cols[i - 1].x + 1 || c.count >= cols[i - 1].count)) return false;
        if (c.bottom - c.top + 1 != c.count) return false;  // solid
        if (c.top + c.bottom != cols[0].top + cols[0].bottom) return false;  // mirrored
    }
    return true;
}

bool LooksLikePause(const std::vector<Ink>& ink) {
    std::vector<Column> cols = Columns(ink);
    int gaps = 0;
    for (size_t i = 0; i < cols.size(); ++i) {
        const Column& c = cols[i];
        if (c.count != cols[0].count || c.top != cols[0].top) return false;
        if (c.bottom - c.top + 1 != c.count || c.count < 3) return false;
        if (i > 0 && c.x != cols[i - 1].x + 1) gaps++;
    }
    return gaps == 1;
}

double CellBrightness(const DibView& picture, int cell) {
    CellBox box = CellAt(cell);
    double sum = 0;
    for (int y = 0; y < kCellHeight; ++y)
        for (int x = 0; x < kCellWidth; ++x) {
            uint32_t c = picture.Pixel(box.left + x, box.top + y);
            sum += ((c >> 16) & 255) * 0.299 + ((c >> 8) & 255) * 0.587 + (c & 255) * 0.114;
        }
    return sum / (kCellWidth * kCellHeight);
}
