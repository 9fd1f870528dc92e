// A title that the system's code page cannot hold is measured and drawn in
// UTF-16 with DrawTextW, in the tip's colours and, where the tip's font has
// the glyphs, in that font; otherwise in a font of the same height that has
// them, so the characters show instead of boxes.
#include "titletip/title_tip.h"

#include "skin/gdi_guards.h"
#include "skin/skin_set.h"

#include <algorithm>
#include <string>
#include <vector>

wchar_t shownWideTitle[kTitleTextSize] = {};
HFONT wideTitleFont = nullptr;

namespace {

// Faces tried first: broad coverage on Windows and under Wine; after them
// every installed family is tried.
constexpr const wchar_t* kCoveringFaces[] = {L"Tahoma", L"Microsoft Sans Serif", L"Segoe UI", L"Arial",
                                             L"Arial Unicode MS", L"MS Gothic", L"SimSun", L"Gulim"};
constexpr WORD kMissingGlyph = 0xFFFF;
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_VCENTER | DT_CENTER;
// What the host's MDrawText adds to the tip's format.
constexpr UINT kDrawFlags = DT_VCENTER | DT_SINGLELINE;

HFONT TipFont() { return tipFont.font ? tipFont.font : static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT)); }

int MissingGlyphs(HDC dc, HFONT font, std::wstring_view text) {
    auto selected = SelectIn(dc, font);
    std::vector<WORD> glyphs(text.size());
    const DWORD done = GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()), glyphs.data(),
                                        GGI_MARK_NONEXISTING_GLYPHS);
    if (done == GDI_ERROR) return static_cast<int>(text.size());
    int missing = 0;
    for (WORD glyph : glyphs)
        if (glyph == kMissingGlyph) ++missing;
    return missing;
}

// The tip font's look with another face, as tall as the tip font's line.
LOGFONTW SameHeightFace(HDC dc, const wchar_t* face) {
    LOGFONTW look = {};
    GetObjectW(TipFont(), sizeof look, &look);
    TEXTMETRICW metrics = {};
    {
        auto selected = SelectIn(dc, TipFont());
        GetTextMetricsW(dc, &metrics);
    }
    look.lfHeight = metrics.tmHeight;  // positive: the whole cell, as the tip's line
    look.lfWidth = 0;
    look.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(look.lfFaceName, face, LF_FACESIZE);
    return look;
}

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM families) {
    auto& faces = *reinterpret_cast<std::vector<std::wstring>*>(families);
    // Vertical ("@") variants draw sideways; a family comes once per
    // character set.
    const std::wstring face = font->lfFaceName;
    if (face[0] != L'@' && std::find(faces.begin(), faces.end(), face) == faces.end()) faces.push_back(face);
    return 1;
}

std::vector<std::wstring> CandidateFaces(HDC dc) {
    std::vector<std::wstring> faces(std::begin(kCoveringFaces), std::end(kCoveringFaces));
    LOGFONTW any = {};
    any.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &any, CollectFamily, reinterpret_cast<LPARAM>(&faces), 0);
    return faces;
}

// The font of the tip's height that misses the fewest of the title's
// glyphs; nullptr when none does better than the tip's own font.
HFONT FindCoveringFont(HDC dc, std::wstring_view title, int tipMissing) {
    HFONT best = nullptr;
    int bestMissing = tipMissing;
    for (const std::wstring& face : CandidateFaces(dc)) {
        const LOGFONTW look = SameHeightFace(dc, face.c_str());
        HFONT candidate = CreateFontIndirectW(&look);
        if (!candidate) continue;
        const int missing = MissingGlyphs(dc, candidate, title);
        if (missing < bestMissing) {
            if (best) DeleteObject(best);
            best = candidate;
            bestMissing = missing;
            if (missing == 0) break;
        } else {
            DeleteObject(candidate);
        }
    }
    return best;
}

void ChooseWideTitleFont(HDC dc) {
    const std::wstring_view title = shownWideTitle;
    const int tipMissing = MissingGlyphs(dc, TipFont(), title);
    if (tipMissing == 0) {
        ReleaseWideTitleFont();
        return;
    }
    // Songs of one script follow each other: the last stand-in usually fits.
    if (wideTitleFont && MissingGlyphs(dc, wideTitleFont, title) == 0) return;
    HFONT found = FindCoveringFont(dc, title, tipMissing);
    ReleaseWideTitleFont();
    wideTitleFont = found;
}

HFONT WideTitleDrawingFont() { return wideTitleFont ? wideTitleFont : TipFont(); }

}  // namespace

RECT MeasureWideTitle(HDC dc) {
    ChooseWideTitleFont(dc);
    RECT measured = {};
    auto font = SelectIn(dc, WideTitleDrawingFont());
    DrawTextW(dc, shownWideTitle, -1, &measured, kMeasureFlags);
    return measured;
}

void DrawWideTitle(HDC dc, RECT textRect) {
    auto font = SelectIn(dc, WideTitleDrawingFont());
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, shownWideTitle, -1, &textRect, kDrawFlags);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

void ReleaseWideTitleFont() {
    if (wideTitleFont) DeleteObject(wideTitleFont);
    wideTitleFont = nullptr;
}
