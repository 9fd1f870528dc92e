// GetFontHandle and FreeFont: the host makes the plug-in a font of its own
// from a fallback font's description, and deletes it again. Only fonts made
// here are ever deleted, so a record holding anything else is safe to pass.
#include "host/host_abi.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/no_throw.h"
#include "testbed/starter/starter_state.h"

#include <algorithm>

namespace {

// Deletes the record's font if this library made it; clears the record.
void ReleaseFont(FontRecord* record) {
    std::vector<HFONT>& fonts = starterState.fonts;
    const auto found = std::find(fonts.begin(), fonts.end(), record->font);
    if (found != fonts.end()) {
        DeleteObject(*found);
        fonts.erase(found);
    }
    record->font = nullptr;
}

}  // namespace

HFONT __stdcall GetFontHandle(FontRecord* f, HFONT fallback) {
    return NoThrow<HFONT>(nullptr, [&]() -> HFONT {
        StateLock lock;
        CallLine("GetFontHandle").Record();
        if (f == nullptr) return nullptr;
        // Asked twice, the record would otherwise leak the first font.
        ReleaseFont(f);
        LOGFONTA description = {};
        if (fallback == nullptr || GetObjectA(fallback, sizeof description, &description) == 0) return nullptr;
        starterState.fonts.reserve(starterState.fonts.size() + 1);
        f->font = CreateFontIndirectA(&description);
        if (f->font != nullptr) starterState.fonts.push_back(f->font);
        return f->font;
    });
}

void __stdcall FreeFont(FontRecord* f) {
    NoThrow([&] {
        StateLock lock;
        CallLine("FreeFont").Record();
        if (f != nullptr) ReleaseFont(f);
    });
}
