// Repainting the control, on the host's thread: at once for its own
// presses, or when it next paints. Workers only ask for a repaint
// (RequestRepaint): painting at once would wait for the host's thread.
#pragma once

void RepaintControlNow();
// Marks the whole control for its next paint, without erasing.
void InvalidateControl();
