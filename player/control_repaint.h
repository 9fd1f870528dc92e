// Repainting the control at once, on the host's thread, for its own
// presses. Workers only ask for a repaint (RequestRepaint): painting at
// once would wait for the host's thread.
#pragma once

void RepaintControlNow();
