// Reading a store file whole, and replacing it so that a crash at any
// moment leaves either the old file or the new one, never a mix.
#pragma once

#include <string>
#include <string_view>

enum class StoreRead { Loaded, Missing, Unreadable };

// Files larger than this are not a store we wrote; they read as unreadable
// rather than being loaded into memory.
constexpr unsigned long kStoreFileLimit = 16ul << 20;

StoreRead ReadStoreText(const std::string& path, std::string* text);

// Writes text to a temporary file beside path (path + ".tmp"), flushes it
// and renames it over path. On any failure the temporary file is removed,
// path is left as it was, and false is returned.
bool ReplaceStoreText(const std::string& path, std::string_view text);
