// The title tip's cover on the host's thread: the worker that looks for
// it, the covers kept, the one shown and its drawing.
#include "titletip/title_cover.h"

#include "cover/cover_job.h"
#include "player/player_link.h"
#include "plugin/job_worker.h"
#include "plugin/state/plugin_state.h"
#include "skin/gdi_guards.h"
#include "titletip/title_tip.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

namespace {

struct KeptCover {
    CoverKey key;
    CoverPixels pixels;  // empty: the song has no cover
};

// The host's thread's: forgotten at every stop with the worker.
struct Covers {
    std::array<KeptCover, kCoversKept> kept;  // the most recently used first
    int keptCount = 0;
    unsigned titleChanges = 0;
    unsigned lookedFor = 0;  // the title change the worker's job is for
    uint32_t songChangesSeen = 0;  // the poll's count as the last look was handed
    HWND lookAgainAt = nullptr;  // a title change came while the worker looked
    HBITMAP shown = nullptr;     // kCoverSide square, premultiplied
    // The title's cover is awaited, the song before having shown one.
    bool awaited = false;
    // What shows (a cover or none) is the last word found for shownKey.
    bool shownLastWord = false;
    CoverKey shownKey = {};
    // The file the shown title's song was last found in (0: none), not
    // known until the first look after the title changed.
    std::optional<uint64_t> songFile;
};
Covers covers;

void DeleteShown() {
    if (covers.shown) DeleteObject(covers.shown);
    covers.shown = nullptr;
}

void ForgetCovers() {
    DeleteShown();
    covers = Covers{};
}

JobWorker<CoverJob> coverWorker(L"Pelorin cover", MSG_COVER_DONE, LookForCoverOf, nullptr, ForgetCovers);

void HandLook(HWND player) {
    CoverJob job;
    job.player = player;
    job.unicodeWindow = IsWindowUnicode(player) != FALSE;
    job.pointers = KnownFacts(player).pointers;
    job.keptCount = covers.keptCount;
    for (int i = 0; i < covers.keptCount; ++i) job.kept[i] = covers.kept[i].key;
    covers.lookAgainAt = nullptr;
    covers.songChangesSeen = songChangesNoticed;
    if (coverWorker.Hand(std::move(job))) {
        covers.lookedFor = covers.titleChanges;
    } else if (coverWorker.Busy()) {
        covers.lookAgainAt = player;
    } else {
        // No worker will look: nothing is coming.
        covers.awaited = false;
    }
}

void DropShown() {
    ++covers.titleChanges;
    covers.lookAgainAt = nullptr;
    covers.shownLastWord = false;
    covers.songFile.reset();
    DeleteShown();
}

void MoveToFront(int at) {
    std::rotate(covers.kept.begin(), covers.kept.begin() + at, covers.kept.begin() + at + 1);
}

// The kept cover the worker's look ends with, moved to the front of those
// kept: the one that still served, or what the look found when that is
// the song's last word (in place of what was kept for the song before, or
// else of the least recently used). nullptr when nothing is kept for it.
const KeptCover* Keep(CoverJob& job) {
    if (!job.fileFound) return nullptr;
    int at = job.keptAt;
    if (at >= 0 && at < covers.keptCount && SameCover(covers.kept[at].key, job.key)) {
        MoveToFront(at);
        return &covers.kept[0];
    }
    if (!job.lastWord) return nullptr;
    at = 0;
    while (at < covers.keptCount && !SameStamp(covers.kept[at].key.song, job.key.song)) ++at;
    if (at == covers.keptCount) {
        at = std::min(covers.keptCount, kCoversKept - 1);
        covers.keptCount = at + 1;
    }
    covers.kept[at] = KeptCover{job.key, std::move(job.pixels)};
    MoveToFront(at);
    return &covers.kept[0];
}

// Centred in the square; the rest stays clear, so the tip shows through.
HBITMAP MakeCoverBitmap(const CoverPixels& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kCoverSide;
    info.bmiHeader.biHeight = -kCoverSide;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    auto* rows = static_cast<uint32_t*>(bits);
    std::memset(rows, 0, sizeof(uint32_t) * kCoverSide * kCoverSide);
    const int left = (kCoverSide - pixels.width) / 2;
    const int top = (kCoverSide - pixels.height) / 2;
    for (int y = 0; y < pixels.height; ++y)
        std::memcpy(rows + (top + y) * kCoverSide + left, pixels.bgra.data() + static_cast<size_t>(y) * pixels.width,
                    sizeof(uint32_t) * pixels.width);
    GdiFlush();
    return bitmap;
}

// What a look found goes on screen, unless it shows already: the same
// song's cover found again, after a notice of another song that was not,
// stays as it is. key is nullptr for what is not the song's last word; a
// square kept for the cover while it was awaited goes when none came.
void Show(const CoverKey* key, const CoverPixels& pixels, bool awaited) {
    if (key && covers.shownLastWord && SameCover(*key, covers.shownKey)) return;
    covers.shownLastWord = key != nullptr;
    if (key) covers.shownKey = *key;
    const bool drawable = !pixels.bgra.empty() && pixels.width <= kCoverSide && pixels.height <= kCoverSide &&
                          pixels.bgra.size() == static_cast<size_t>(pixels.width) * pixels.height;
    if (!drawable && !covers.shown) {
        if (awaited) RefitTitleTip();
        return;
    }
    DeleteShown();
    if (drawable) covers.shown = MakeCoverBitmap(pixels);
    RefitTitleTip();
}

}  // namespace

void ForgetShownCover() {
    DropShown();
    covers.awaited = false;
}

void LookForCover(HWND player) {
    covers.awaited = covers.awaited || covers.shown != nullptr;
    DropShown();
    HandLook(player);
}

void FollowSongChanges(HWND player) {
    if (songChangesNoticed != covers.songChangesSeen) HandLook(player);
}

void FinishCover(WPARAM poster) {
    CoverJob* job = coverWorker.Finish(poster);
    if (job == nullptr) return;
    RememberPointerAnswers(job->player, job->pointers);
    const KeptCover* kept = Keep(*job);
    // A cover for a title no longer shown is kept, never shown.
    if (covers.lookedFor == covers.titleChanges) {
        const uint64_t file = job->fileFound ? job->key.song.nameHash : 0;
        // Another song under the same title pops the tip as a new title does.
        const bool anotherSong = covers.songFile && *covers.songFile != file;
        covers.songFile = file;
        const bool awaited = covers.awaited;
        covers.awaited = false;
        Show(kept ? &kept->key : nullptr, kept ? kept->pixels : job->pixels, awaited);
        if (anotherSong) PopTitleTip();
    }
    if (covers.lookAgainAt) HandLook(covers.lookAgainAt);
}

bool CoverShown() { return covers.shown != nullptr; }

bool CoverSquareKept() { return covers.shown != nullptr || covers.awaited; }

void DrawCover(HDC dc, int x, int y) {
    if (!covers.shown) return;
    const OwnedDC memory = MakeCompatibleDC(dc);
    const auto selected = SelectIn(memory.get(), covers.shown);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, kCoverSide, kCoverSide, memory.get(), 0, 0, kCoverSide, kCoverSide, blend);
}
