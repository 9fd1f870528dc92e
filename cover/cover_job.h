// One look for the playing song's cover, as the cover's worker carries it
// out: it asks the player for the song's file, finds the picture in the
// file's tags or its folder and decodes it. The host's thread hands it the
// files whose covers are kept already, so a song played again reads nothing.
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
    bool fileFound = false;
    CoverKey file = {};
    int keptAt = -1;     // where the file's cover is kept already, or -1
    CoverPixels pixels;  // else the file's cover; empty when it has none
};

// Worker thread. A name the player gives that is no file, or one that
// cannot be found, has no cover; one whose cover is kept is not read.
LPARAM LookForCoverOf(const WorkerLink& link, CoverJob& job);
