// The part of the host's "malloc" that FreePicture needs.
#pragma once

// Frees a buffer the exported "malloc" handed out; any other pointer, and
// a buffer already freed, is left alone.
void FreeNameBuffer(void* block);
