// One pass over a configuration store, from OpenCFGr/OpenCFGw to the close,
// and how a caller's 36-byte ConfigCursor refers to it. The cursor holds
// only a tag, the pass's address and its serial number; the address is
// trusted only while a pass with that serial is listed as open there, so a
// stale or garbage cursor reads as closed, even when a later pass happens
// to be allocated at the same address.
#pragma once

#include "host/host_abi.h"
#include "testbed/starter/ini_document.h"

#include <optional>
#include <string>
#include <vector>

// One change a write pass made: a section it created (no key), or a value.
struct StoreEdit {
    std::string section;
    std::optional<std::string> key;
    std::string value;
};

struct ConfigPass {
    unsigned serial = 0;
    int storeId = 0;
    bool writing = false;
    IniDocument document;                // the file as loaded, with this pass's edits
    std::optional<std::string> section;  // none after a failed FindSection
    std::vector<StoreEdit> edits;        // replayed onto the file as it is at close
};

// All of these expect the state lock to be held.

// Loads the store and ties a new pass to the cursor. A pass the cursor
// already held is ended first, as if it had been closed.
ConfigPass* BeginPass(ConfigCursor* cursor, int storeId, bool writing);
// The cursor's open pass, or null.
ConfigPass* PassOf(const ConfigCursor* cursor);
// Ends the cursor's pass; a write pass is saved first, whichever close
// function ends it, so no edit is dropped.
void EndPass(ConfigCursor* cursor);
// Applies an edit to the pass's document and keeps it for the save.
void RecordEdit(ConfigPass& pass, StoreEdit edit);
