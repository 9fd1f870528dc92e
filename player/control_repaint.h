// The workers' only way to change what the control shows: have the host's
// thread repaint it at once.
#pragma once

void RepaintControlNow();
