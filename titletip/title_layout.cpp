// Where the title tip goes and how large its icon is: pure arithmetic on
// the tip's and the control's sizes.
#include "titletip/title_tip.h"

#include <array>

namespace {

// The sizes the "WA" icon group holds, largest first.
constexpr std::array<int, 5> kIconSizes = {16, 14, 12, 10, 8};
// One free pixel above and one below the icon.
constexpr int kIconMargin = 2;

}  // namespace

int IconSizeFor(int tipHeight, int previous) {
    for (int size : kIconSizes)
        if (size + kIconMargin < tipHeight) return size;
    return previous;
}

POINT TitleTipOrigin(int controlLeft, int controlWidthPx, int controlHeightPx, int tipWidth, int tipHeight,
                     int screenHeight) {
    // The height of the control stands for the taskbar's: the tip sits
    // above a bottom taskbar wherever the control is.
    POINT origin = {controlLeft + controlWidthPx - tipWidth, screenHeight - tipHeight - controlHeightPx};
    if (origin.x < 0) origin.x = 0;
    return origin;
}
