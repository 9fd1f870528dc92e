// Where the title tip goes and how large its icon is: pure arithmetic on
// the tip's, the control's, the taskbar's and the monitor's rectangles.
#include "titletip/title_tip.h"

#include <algorithm>
#include <array>

namespace {

// The sizes the "WA" icon group holds, largest first.
constexpr std::array<int, 5> kIconSizes = {16, 14, 12, 10, 8};
// One free pixel above and one below the icon.
constexpr int kIconMargin = 2;

bool Holds(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The start of a span of this size moved inside [low, high); the low end
// wins when the span is longer than the room.
int KeepInside(int start, int size, int low, int high) { return std::max(low, std::min(start, high - size)); }

}  // namespace

int IconSizeFor(int tipHeight, int previous) {
    for (int size : kIconSizes)
        if (size + kIconMargin < tipHeight) return size;
    return previous;
}

POINT TitleTipOrigin(const TipSurroundings& around, SIZE tip) {
    const RECT& control = around.control;
    // A shell that keeps its taskbar out of the work area leaves the
    // control outside it; the monitor then bounds the tip.
    const RECT& area = Holds(around.workArea, control) ? around.workArea : around.monitor;
    // The whole strip, not the control, decides the edge: at a corner the
    // control alone is as near one edge as the other. Going past the
    // strip keeps the tip off a second row and off a wide vertical strip.
    const RECT& strip = Holds(around.taskbar, control) ? around.taskbar : control;
    POINT origin;
    if (strip.right - strip.left >= strip.bottom - strip.top) {
        // Middles compared doubled; a tie goes to the bottom.
        const bool atBottom = strip.top + strip.bottom >= area.top + area.bottom;
        origin.x = control.right - tip.cx;
        origin.y = atBottom ? strip.top - tip.cy : strip.bottom;
    } else {
        const bool atRight = strip.left + strip.right > area.left + area.right;
        origin.x = atRight ? strip.left - tip.cx : strip.right;
        origin.y = control.bottom - tip.cy;
    }
    origin.x = KeepInside(origin.x, tip.cx, area.left, area.right);
    origin.y = KeepInside(origin.y, tip.cy, area.top, area.bottom);
    return origin;
}
