// One look for the playing song's cover, as the cover's worker carries it
// out: it asks the player for the song's file, finds the picture in the
// file's tags or its folder and decodes it. The host's thread hands it the
// keys of the covers kept already, so a song played again reads nothing
// that has not changed since.
#pragma once

#include "cover/cover_file.h"
#include "cover/cover_picture.h"
#include "player/known_player.h"
#include "plugin/workers.h"

#include <windows.h>
#include <array>

constexpr int kCoversKept = 8;

struct CoverJob {
    HWND player = nullptr;
    bool unicodeWindow = false;
    PointerAnswers pointers = PointerAnswers::Unknown;  // learnt here when not known
    std::array<CoverKey, kCoversKept> kept = {};
    int keptCount = 0;
    // What the look found.
    bool fileFound = false;  // the player named a file that is there
    int keptAt = -1;         // the kept cover that still serves it, or -1
    CoverKey key = {};       // what the cover found (or kept) comes from
    // Everything was read whole and decoded: what was found, a cover or
    // none, is the song's last word and worth keeping.
    bool lastWord = false;
    CoverPixels pixels;  // the cover found; empty when there is none
};

// Worker thread. A name the player gives that is no file, or one that
// cannot be found, has no cover; one whose kept cover still serves is not
// read. After its start's stop the look ends at the next of its steps.
LPARAM LookForCoverOf(const WorkerLink& link, CoverJob& job);
