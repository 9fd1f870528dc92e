// The cover worker's one job: the song's file, then its picture's bytes,
// then its pixels; COM lives only while a picture is decoded.
#include "cover/cover_job.h"

#include "player/song_file.h"

#include <objbase.h>

#include <utility>

namespace {

// The file questions share this bound, as the menu's do.
constexpr DWORD kFileQuestionsBoundMs = 500;

// COM for one job: the imaging component lives in it.
class ComApartment {
public:
    ComApartment() : ready_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComApartment() {
        if (ready_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Ready() const { return ready_; }

private:
    bool ready_;
};

}  // namespace

LPARAM LookForCoverOf(const WorkerLink&, CoverJob& job) {
    if (job.pointers == PointerAnswers::Unknown) job.pointers = LearnPointerAnswers(job.player);
    if (job.pointers == PointerAnswers::Unreadable) return 0;
    const std::wstring name = AskCurrentFile(job.player, job.unicodeWindow, GetTickCount() + kFileQuestionsBoundMs);
    if (!IsFilePath(name)) return 0;
    const std::optional<CoverKey> file = KeyOfFile(name);
    if (!file) return 0;
    job.fileFound = true;
    job.file = *file;
    for (int i = 0; i < job.keptCount; ++i) {
        if (SameFile(job.kept[i], *file)) {
            job.keptAt = i;
            return 0;
        }
    }
    const HeapBytes bytes = FindCoverBytes(name);
    if (bytes.empty()) return 0;
    const ComApartment com;
    if (!com.Ready()) return 0;
    if (std::optional<CoverPixels> pixels = DecodeCover(bytes.data(), bytes.size())) job.pixels = std::move(*pixels);
    return 0;
}
