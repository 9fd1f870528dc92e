// Replacing the stored player path as one step, so that a thread reading it
// through CopyPlayerPath sees either the old path or the new one.
#pragma once

// Puts path (cut to 260 characters) into playerPath, zero-filled behind it.
void PublishPlayerPath(const char* path);
