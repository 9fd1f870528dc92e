// Repainting the control at once.
#include "player/control_repaint.h"

#include "plugin/state/plugin_state.h"

#include <windows.h>

namespace {
constexpr UINT kRepaintNow = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW;
static_assert(kRepaintNow == 259, "");
}  // namespace

void InvalidateControl() {
    if (HWND control = pluginState.controlWindow) InvalidateRect(control, nullptr, FALSE);
}

void RepaintControlNow() {
    // Without a window this would repaint the whole desktop.
    if (HWND control = pluginState.controlWindow) RedrawWindow(control, nullptr, nullptr, kRepaintNow);
}
