// The cover worker's one job: the song's file, then its picture's bytes,
// then its pixels; COM lives only while a picture is decoded. Between the
// steps it looks for its start's stop: after one, the worker holds nothing
// longer than the step it was in (a read on a hung share, a decode).
#include "cover/cover_job.h"

#include "player/song_file.h"
#include "plugin/com_apartment.h"

#include <utility>

namespace {

// The file questions share this bound, as the menu's do.
constexpr DWORD kFileQuestionsBoundMs = 500;

bool Stopped(const WorkerLink& link) { return StopRequestedWithin(link, 0); }

int KeptFor(const CoverJob& job, const FileStamp& song) {
    for (int i = 0; i < job.keptCount; ++i)
        if (SameStamp(job.kept[i].song, song)) return i;
    return -1;
}

void Reuse(CoverJob& job, int kept) {
    job.keptAt = kept;
    job.key = job.kept[kept];
}

// A picture that does not decode (the decoder may have run short of
// memory) is no last word: the next look tries again.
void Decode(const WorkerLink& link, const HeapBytes& bytes, bool whole, CoverJob& job) {
    if (Stopped(link)) return;
    // The imaging component lives in the job's apartment.
    const ComApartment com(COINIT_MULTITHREADED);
    if (!com.Ready()) return;
    std::optional<CoverPixels> pixels = DecodeCover(bytes.data(), bytes.size());
    if (!pixels) return;
    job.pixels = std::move(*pixels);
    job.lastWord = whole;
}

}  // namespace

LPARAM LookForCoverOf(const WorkerLink& link, CoverJob& job) {
    if (job.pointers == PointerAnswers::Unknown) job.pointers = LearnPointerAnswers(job.player);
    // Unknown when the player's process could not be asked: nothing is
    // asked of it now, and the next look learns again.
    if (job.pointers != PointerAnswers::Readable) return 0;
    const std::wstring name = AskCurrentFile(job.player, job.unicodeWindow, GetTickCount() + kFileQuestionsBoundMs);
    if (Stopped(link) || !IsFilePath(name)) return 0;
    const std::optional<FileStamp> song = StampOfFile(name);
    if (!song) return 0;
    job.fileFound = true;
    job.key.song = *song;
    const int kept = KeptFor(job, *song);
    bool whole = true;
    if (kept < 0) {
        TagCover tags = CoverFromSongTags(name);
        if (!tags.bytes.empty()) {
            job.key.fromTags = true;
            Decode(link, tags.bytes, tags.whole, job);
            return 0;
        }
        whole = tags.whole;
    } else if (job.kept[kept].fromTags) {
        Reuse(job, kept);
        return 0;
    }
    // The tags hold no cover, read now or when the kept one was found: the
    // folder has the say.
    if (Stopped(link)) return 0;
    const std::optional<FolderCover> folder = LookInFolder(name);
    if (!folder) return 0;
    job.key.folder = folder->stamp;
    if (kept >= 0 && SameStamp(job.kept[kept].folder, folder->stamp)) {
        Reuse(job, kept);
        return 0;
    }
    if (folder->picture.empty()) {
        job.lastWord = whole;
        return 0;
    }
    const HeapBytes bytes = ReadPictureFile(folder->picture);
    if (!bytes.empty()) Decode(link, bytes, whole, job);
    return 0;
}
