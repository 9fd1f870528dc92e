// Finding the processes a test's players run in, by program name: players
// started by someone else (the plug-in, a second start that stayed) and
// players that never made a window can still be ended by id.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

// Ids of the running processes whose program file is named exeName
// ("Plainamp.exe"), compared without regard to case.
std::vector<DWORD> ProcessIdsNamed(std::string_view exeName);

// Terminates each of those processes and waits up to timeoutMs for it to
// end; false when one is still there.
bool EndProcesses(const std::vector<DWORD>& processIds, DWORD timeoutMs);
