// Files dropped on the control, on the host's thread. The host's thread
// only copies the names out of the drop (in UTF-16, whatever their script),
// releases it, notes Shift and starts the player when it is not running. A
// drop worker then hands the files to the player by message, one drop
// after another in drop order; dropBusy keeps the control's own input and
// the command worker out until the last has ended. Files the player could
// not be given are named to the user once their drop has ended.
#pragma once

#include <windows.h>
#include <shellapi.h>

// WM_DROPFILES: takes the names and releases the drop at once, and starts
// the player when it is not running; the files go behind any drop still
// running.
void AcceptDroppedFiles(HDROP drop);
// MSG_DROP_DONE, with the worker's thread id: starts the next queued drop
// or ends dropBusy, and names the files the player did not get.
void FinishDrop(WPARAM poster);
// Host's thread: pluginState.dropBusy, once a drop lost with its worker
// has been reported and the queue has gone on.
bool DropBusy();
