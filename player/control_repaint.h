// Repainting the control: at once on the host's thread, or as a request
// from a worker that must never wait for the host's thread (which may be
// busy, or inside DoneModule waiting for that very worker).
#pragma once

// Host's thread: paints the control before returning.
void RepaintControlNow();
// Any thread: marks the control for painting and returns at once.
void RequestControlRepaint();
