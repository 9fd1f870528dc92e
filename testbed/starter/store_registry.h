// Which file each configId names. Stores are registered by the stand-in
// shell or a test with StandInOpenStore; ids are never reused.
#pragma once

#include <string>

// The full path of the store, or null for an id never handed out.
// Expects the state lock to be held.
const std::string* StorePathOf(int configId);
