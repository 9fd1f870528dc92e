// The caller of an export knows nothing of C++ exceptions, so nothing may
// unwind out of one: each export runs its body through NoThrow, and a
// failure (in practice, memory running out) ends the call quietly.
#pragma once

template <typename Result, typename Body>
Result NoThrow(Result onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

template <typename Body>
void NoThrow(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}
