// Waiting on the calling thread while its windows keep working: tests, the
// stand-in shell's scripted scenes and the player's client all wait this way.
#pragma once

#include <windows.h>
#include <functional>

// Runs this thread's message loop for ms milliseconds.
void PumpMessages(DWORD ms);

// Pumps messages until condition() holds or timeoutMs pass; returns the
// last value of condition().
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
