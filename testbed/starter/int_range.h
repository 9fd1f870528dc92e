// The host's rule for bringing an integer into a range.
#pragma once

// A value outside low..high moves to the nearer bound. An empty range
// (low above high) holds no value at all, so the caller's fallback is used.
constexpr int ClampToNearer(int value, int low, int high, int fallback) {
    if (low > high) return fallback;
    if (value < low) return low;
    if (value > high) return high;
    return value;
}
