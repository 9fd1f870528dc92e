// Repainting the control from any thread.
#include "player/control_repaint.h"

#include "plugin/state/plugin_state.h"

#include <windows.h>

namespace {
constexpr UINT kRepaintNow = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW;
static_assert(kRepaintNow == 259, "");
}  // namespace

// A worker that outlived DoneModule finds no control; a repaint with no
// window would repaint the whole desktop.

void RepaintControlNow() {
    if (HWND control = pluginState.controlWindow) RedrawWindow(control, nullptr, nullptr, kRepaintNow);
}

void RequestControlRepaint() {
    if (HWND control = pluginState.controlWindow) InvalidateRect(control, nullptr, FALSE);
}
