// Painting the control off-screen and copying it to the target at once.
#pragma once

#include "host/host_abi.h"

#include <windows.h>

void PaintControl(HDC dc);
