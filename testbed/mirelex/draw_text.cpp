// MDrawText: the host's one-line text drawing, in a given font and colour on
// a transparent background. The caller's DC comes back as it went in.
#include "host/host_abi.h"
#include "host/host_services.h"
#include "testbed/starter/gdi_helpers.h"

void __stdcall MDrawText(HDC dc, const char* text, RECT* r, HFONT font, int format, COLORREF rgb, int, int) {
    if (dc == nullptr || text == nullptr || r == nullptr) return;
    const SavedDcState saved(dc);
    if (font != nullptr) SelectObject(dc, font);
    SetTextColor(dc, SwapRedBlue(rgb));
    SetBkMode(dc, TRANSPARENT);
    // DT_MODIFYSTRING would write into the caller's text, which may be
    // read-only.
    const UINT flags = (static_cast<UINT>(format) | DT_SINGLELINE) & ~static_cast<UINT>(DT_MODIFYSTRING);
    DrawTextA(dc, text, -1, r, flags);
}
