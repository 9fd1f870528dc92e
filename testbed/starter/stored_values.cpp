// Parsing and copying stored values; see stored_values.h.
#include "testbed/starter/stored_values.h"

#include <algorithm>
#include <charconv>
#include <cstring>

std::optional<int> ParseStoredInt(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    // from_chars takes '-' but not '+'.
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-') return std::nullopt;
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

void CopyCut(std::string_view text, char* buffer, int max) {
    if (buffer == nullptr || max < 0) return;
    const size_t count = std::min(text.size(), static_cast<size_t>(max));
    // memmove: callers pass their own buffer as the default to keep a value.
    std::memmove(buffer, text.data(), count);
    buffer[count] = '\0';
}
