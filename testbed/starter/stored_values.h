// How stored text turns into what the caller gets back: integers parsed
// strictly, strings cut to the caller's buffer.
#pragma once

#include <optional>
#include <string_view>

// Decimal with an optional sign and surrounding blanks; anything else, or a
// number outside the int range, is not a number.
std::optional<int> ParseStoredInt(std::string_view text);

// Copies at most max characters of text into buffer and terminates it, so
// the buffer needs max + 1 bytes. Nothing is written when buffer is null or
// max is negative.
void CopyCut(std::string_view text, char* buffer, int max);
