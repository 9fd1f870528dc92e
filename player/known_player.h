// What the workers learnt of one player window, kept on the host's thread
// with that window: whether its answers that are addresses in its own
// memory (the playlist's titles, the songs' files) can be read from here,
// and whether it knows UTF-16 titles. A 64-bit player answers with 64-bit
// addresses, which reach a 32-bit plug-in cut to 32 bits: reading them
// shows garbage or nothing, so they are not asked for.
#pragma once

#include <windows.h>
#include <cstdint>

enum class PointerAnswers : uint8_t { Unknown, Readable, Unreadable };

// Pure: a plug-in under WOW64 cannot read a player that is not.
constexpr PointerAnswers PointerAnswersFor(bool selfUnderWow64, bool playerUnderWow64) {
    return selfUnderWow64 && !playerUnderWow64 ? PointerAnswers::Unreadable : PointerAnswers::Readable;
}

// Worker thread: learnt from the player's process, once per player window;
// Unknown when its process cannot be asked, which a menu takes for
// Unreadable and which is not remembered: the next menu asks again.
PointerAnswers LearnPointerAnswers(HWND player);

struct PlayerFacts {
    PointerAnswers pointers = PointerAnswers::Unknown;
    bool narrowTitles = false;  // it answered titles in the code page alone
};

// Host's thread: what was learnt of this player window, nothing for one not
// seen before (a window's handle may later be another program's); and
// remembering what a worker learnt. Forgotten at every stop.
PlayerFacts KnownFacts(HWND player);
void RememberPointerAnswers(HWND player, PointerAnswers answers);
void RememberNarrowTitles(HWND player);
