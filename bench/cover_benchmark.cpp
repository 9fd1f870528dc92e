// How long a new song's cover takes to reach the title tip, and what it
// costs the host's thread. The built plug-in runs in the stand-in host with
// the stand-in player; the player is told to play a new file (an MP3 whose
// ID3v2.3 tag holds a noisy 1000 x 1000 JPEG of about 480 KB) under a new
// title. Ten such files take turns, more than the plug-in keeps covers of,
// so every timed cover is read and decoded afresh, and each look's file
// opens are counted to show it. A cover's time runs from the plug-in's
// first caption read (GetWindowTextA or W) that returns the new title to
// its tip's paint blitting the cover (GdiAlphaBlend); the cover worker's
// MSG_COVER_DONE post and its arrival on the host's thread, whose loop
// this program serves, split it. With each cover on screen the tip is
// repainted by force, and its WM_PAINT is timed from BeginPaint to
// EndPaint. Meanwhile every message the host's thread sends or posts to
// the player is counted. Last, a song played again after one other must
// get its kept cover without a file opened. Then the same title change to
// the cover on screen for the other formats whose tags carry the JPEG:
// Ogg Vorbis, Opus, WMA (its Metadata Library, the picture being over
// 64 KB), APE, and a WAV whose ID3 chunk comes after 100 MB of samples,
// written once and named ten times by hard links.
// Not part of the test run.
#include "testbed/common/files.h"
#include "testbed/common/message_wait.h"
#include "testbed/covers/cover_file_builders.h"
#include "bench/plugin_session.h"
#include "bench/bench_figures.h"
#include "tests/support/iat_patch.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSongFiles = 10;  // more than the plug-in keeps covers of
constexpr int kWarmUpCovers = 2;  // the worker's start and the decoder's first load
constexpr int kTimedCovers = 20;
constexpr int kPaintsPerCover = 10;
constexpr double kCoverBoundMs = 100;
constexpr double kPaintBoundMs = 0.3;
constexpr double kArrivalBoundMs = 0.5;
constexpr UINT kCoverDone = 1037;
// The title is read every 500 ms; the look and the decode come on top.
constexpr DWORD kCoverTimeoutMs = 5000;
// After the cover's paint, the tip's move may bring one more.
constexpr DWORD kSettleMs = 50;
constexpr DWORD kServeMs = 10;
constexpr const char* kPicturePath = "\\cover_pictures\\noise.jpg";
constexpr uint32_t kWavSampleBytes = 100u * 1024 * 1024;
constexpr size_t kWriteChunk = 1u << 20;

// One look, from the title command until the cover is on screen. Only the
// worker's post and its file opens come from another thread.
struct Look {
    bool on = false;
    std::string title;
    std::wstring wideTitle;
    bool read = false, arrived = false, blitted = false;
    LARGE_INTEGER readAt{}, arrivedAt{}, blittedAt{};
    double coverPaintMicros = -1;  // the paint that blitted the cover first
    double doneHandledMicros = 0;  // the plug-in's handling of MSG_COVER_DONE
};
Look look;
std::atomic<long long> postedAt{0};  // the counter at the worker's MSG_COVER_DONE post, 0 before
std::atomic<int> fileOpens{0};

HWND player = nullptr;
HWND control = nullptr;
HWND tip = nullptr;
DWORD hostThread = 0;
bool countingMessages = false;
int hostMessagesToPlayer = 0;
std::atomic<int> workerMessagesToPlayer{0};

// The tip's paint on the host's thread.
bool paintingTip = false;
bool paintBlitted = false;
LARGE_INTEGER paintStartedAt{};
double lastPaintMicros = 0;

using GetTextAFn = int(WINAPI*)(HWND, LPSTR, int);
using GetTextWFn = int(WINAPI*)(HWND, LPWSTR, int);
using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using BeginPaintFn = HDC(WINAPI*)(HWND, LPPAINTSTRUCT);
using EndPaintFn = BOOL(WINAPI*)(HWND, const PAINTSTRUCT*);
using CreateFileWFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using SendMessageFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using PostMessageFn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using SendTimeoutFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR);
GetTextAFn realGetTextA = nullptr;
GetTextWFn realGetTextW = nullptr;
AlphaBlendFn realAlphaBlend = nullptr;
BeginPaintFn realBeginPaint = nullptr;
EndPaintFn realEndPaint = nullptr;
CreateFileWFn realCreateFileW = nullptr;
SendMessageFn realSendMessage = nullptr;
PostMessageFn realPostMessage = nullptr;
SendTimeoutFn realSendTimeout = nullptr;

void NoteTitleRead(bool holdsTitle) {
    if (look.on && !look.read && holdsTitle) {
        look.readAt = PerformanceNow();
        look.read = true;
    }
}

int WINAPI TimedGetTextA(HWND window, LPSTR text, int size) {
    const int length = realGetTextA(window, text, size);
    if (window == player && length > 0) NoteTitleRead(std::strstr(text, look.title.c_str()) != nullptr);
    return length;
}

int WINAPI TimedGetTextW(HWND window, LPWSTR text, int size) {
    const int length = realGetTextW(window, text, size);
    if (window == player && length > 0) NoteTitleRead(std::wcsstr(text, look.wideTitle.c_str()) != nullptr);
    return length;
}

// The title changes in the same timer callback that drops the old cover,
// so a blit after the new title's read is the new cover's.
BOOL WINAPI TimedAlphaBlend(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                            int sourceWidth, int sourceHeight, BLENDFUNCTION blend) {
    if (paintingTip) {
        paintBlitted = true;
        if (look.on && look.read && !look.blitted) {
            look.blittedAt = PerformanceNow();
            look.blitted = true;
        }
    }
    return realAlphaBlend(dc, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, blend);
}

HDC WINAPI TimedBeginPaint(HWND window, LPPAINTSTRUCT paint) {
    if (window == tip) {
        paintingTip = true;
        paintBlitted = false;
        paintStartedAt = PerformanceNow();
    }
    return realBeginPaint(window, paint);
}

BOOL WINAPI TimedEndPaint(HWND window, const PAINTSTRUCT* paint) {
    const BOOL ended = realEndPaint(window, paint);
    if (window == tip && paintingTip) {
        lastPaintMicros = MicrosecondsBetween(paintStartedAt, PerformanceNow());
        paintingTip = false;
        if (look.on && look.blitted && look.coverPaintMicros < 0) look.coverPaintMicros = lastPaintMicros;
    }
    return ended;
}

HANDLE WINAPI CountedCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD flags, HANDLE pattern) {
    ++fileOpens;
    return realCreateFileW(name, access, share, security, disposition, flags, pattern);
}

void CountIfToPlayer(HWND window) {
    if (window != player) return;
    if (GetCurrentThreadId() != hostThread)
        ++workerMessagesToPlayer;
    else if (countingMessages)
        ++hostMessagesToPlayer;
}

LRESULT WINAPI CountedSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountIfToPlayer(window);
    return realSendMessage(window, message, wParam, lParam);
}

BOOL WINAPI CountedPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CountIfToPlayer(window);
    if (window == control && message == kCoverDone) postedAt = PerformanceNow().QuadPart;
    return realPostMessage(window, message, wParam, lParam);
}

LRESULT WINAPI CountedSendTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                                  PDWORD_PTR result) {
    CountIfToPlayer(window);
    return realSendTimeout(window, message, wParam, lParam, flags, timeout, result);
}

// The songs' files, gone with the benchmark.
class SongFolder {
public:
    SongFolder() : dir_(MakeScratchDir("cover_bench")) {}
    ~SongFolder() {
        if (!dir_.empty()) RemoveTree(dir_);
    }
    SongFolder(const SongFolder&) = delete;
    SongFolder& operator=(const SongFolder&) = delete;
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
};

TagPicture FrontCover(const std::vector<uint8_t>& picture) {
    TagPicture cover;
    cover.bytes = picture;
    return cover;
}

// An MP3 named name in the folder with the picture in its tag; empty when
// it could not be written.
std::string WriteSong(const SongFolder& folder, const std::string& name, const std::vector<uint8_t>& picture) {
    const std::string path = folder.dir() + "\\" + name;
    return WriteFileBytes(path, BuildId3File({FrontCover(picture)}, Id3Options{})) ? path : std::string();
}

// The songs of one format, each a file of its own to the plug-in's kept
// covers.
struct FormatSongs {
    const char* name;
    std::vector<std::string> files;
};

using SongBuilder = std::vector<uint8_t> (*)(const std::vector<TagPicture>&);

constexpr struct {
    const char* name;
    const char* extension;
    SongBuilder build;
} kTaggedFormats[] = {
    {"Ogg Vorbis", "ogg", [](const std::vector<TagPicture>& cover) { return BuildOggFile(cover, {}); }},
    {"Opus", "opus",
     [](const std::vector<TagPicture>& cover) {
         OggOptions opus;
         opus.opus = true;
         return BuildOggFile(cover, opus);
     }},
    {"WMA", "wma", [](const std::vector<TagPicture>& cover) { return BuildAsfFile(cover, {}); }},
    {"APE", "ape", [](const std::vector<TagPicture>& cover) { return BuildApeFile(cover, {}); }},
};

bool WriteAll(FILE* file, const uint8_t* bytes, size_t size) { return std::fwrite(bytes, 1, size, file) == size; }

// The WAV's samples, left out of what the builder made, go in just before
// its ID3 chunk.
bool WriteWav(const std::string& path, const std::vector<uint8_t>& picture) {
    PcmOptions options;
    options.sampleBytes = kWavSampleBytes;
    options.samplesLeftOut = true;
    FileLayout layout;
    const std::vector<uint8_t> bytes = BuildPcmFile({FrontCover(picture)}, options, &layout);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const std::vector<uint8_t> samples(kWriteChunk, 0);
    bool written = WriteAll(file, bytes.data(), layout.tags.offset);
    for (size_t left = kWavSampleBytes; written && left > 0; left -= std::min(left, kWriteChunk))
        written = WriteAll(file, samples.data(), std::min(left, kWriteChunk));
    written = written && WriteAll(file, bytes.data() + layout.tags.offset, bytes.size() - layout.tags.offset);
    return std::fclose(file) == 0 && written;
}

// kSongFiles songs of each format; the WAV is written once and named again
// by hard links. Empty, having said why, when they could not be written.
std::vector<FormatSongs> WriteFormatSongs(const SongFolder& folder, const std::vector<uint8_t>& picture) {
    std::vector<FormatSongs> formats;
    for (const auto& format : kTaggedFormats) {
        const std::vector<uint8_t> bytes = format.build({FrontCover(picture)});
        formats.push_back({format.name, {}});
        for (int i = 0; i < kSongFiles; ++i) {
            const std::string path = folder.dir() + Printed("\\song_%02d.", i) + format.extension;
            if (!WriteFileBytes(path, bytes)) {
                std::printf("cannot write %s\n", path.c_str());
                return {};
            }
            formats.back().files.push_back(path);
        }
    }
    formats.push_back({"WAV", {}});
    for (int i = 0; i < kSongFiles; ++i) {
        const std::string path = folder.dir() + Printed("\\song_%02d.wav", i);
        const bool made = i == 0 ? WriteWav(path, picture)
                                 : CreateHardLinkA(path.c_str(), formats.back().files[0].c_str(), nullptr) != FALSE;
        if (!made) {
            std::printf("cannot write %s\n", path.c_str());
            return {};
        }
        formats.back().files.push_back(path);
    }
    return formats;
}

// Serves the host's thread as WaitUntil does until the cover is blitted,
// timing the plug-in's handling of the worker's post as it goes.
bool ServeUntilBlitted(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            const bool coverDone = message.message == kCoverDone && message.hwnd == control;
            const LARGE_INTEGER taken = PerformanceNow();
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (coverDone && look.on && !look.arrived) {
                look.arrivedAt = taken;
                look.doneHandledMicros = MicrosecondsBetween(taken, PerformanceNow());
                look.arrived = true;
            }
        }
        if (look.blitted) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kServeMs, QS_ALLINPUT);
    }
}

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Has the player play file under a title of its own, and waits until the
// tip has drawn the file's cover. False when it never did.
bool ShowSong(const std::string& file, int number) {
    look = Look{};
    look.title = Printed("Cover Artist - Song %03d", number);
    look.wideTitle = Widened(look.title);
    postedAt = 0;
    fileOpens = 0;
    look.on = true;
    const bool told =
        SendPlayerSimControl(player, "file " + file) && SendPlayerSimControl(player, "title " + look.title);
    const bool shown = told && ServeUntilBlitted(kCoverTimeoutMs);
    look.on = false;
    PumpMessages(kSettleMs);
    return shown && look.arrived && postedAt != 0;
}

LARGE_INTEGER PostedAt() {
    LARGE_INTEGER at;
    at.QuadPart = postedAt;
    return at;
}

// The tip repainted whole by force, as often as asked, with its cover.
void TimeForcedPaints(std::vector<double>* micros, int* withoutCover) {
    for (int i = 0; i < kPaintsPerCover; ++i) {
        lastPaintMicros = -1;
        RedrawWindow(tip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        if (lastPaintMicros >= 0 && paintBlitted)
            micros->push_back(lastPaintMicros);
        else
            ++*withoutCover;
    }
}

void ReportMedian(const char* name, const std::vector<double>& micros) {
    PrintFigure(Printed("%s (median)", name), Printed("%.3f ms", Median(micros) / 1000));
}

}  // namespace

int main() {
    const std::string picturePath = ExeFolder() + kPicturePath;
    const std::string pictureText = ReadWholeFile(picturePath);
    if (pictureText.empty()) {
        std::printf("cannot read %s\n", picturePath.c_str());
        return 1;
    }
    const std::vector<uint8_t> picture(pictureText.begin(), pictureText.end());
    const SongFolder folder;
    if (folder.dir().empty()) {
        std::printf("no scratch folder\n");
        return 1;
    }
    std::vector<std::string> songs;
    for (int i = 0; i < kSongFiles; ++i) songs.push_back(WriteSong(folder, Printed("song_%02d.mp3", i), picture));
    const std::string keptSong = WriteSong(folder, "kept.mp3", picture);
    const std::string otherSong = WriteSong(folder, "other.mp3", picture);
    for (const std::string& song : songs) {
        if (song.empty()) {
            std::printf("cannot write the songs\n");
            return 1;
        }
    }
    if (keptSong.empty() || otherSong.empty()) {
        std::printf("cannot write the songs\n");
        return 1;
    }
    const std::vector<FormatSongs> formats = WriteFormatSongs(folder, picture);
    if (formats.empty()) return 1;

    PluginSession session;
    if (!session.Start()) {
        std::printf("cannot start: %s\n", session.failure().c_str());
        return 1;
    }
    player = session.player();
    control = session.control();
    tip = session.titleTip();
    hostThread = GetCurrentThreadId();
    const HMODULE plugin = session.plugin();
    const auto getTextA = PatchTyped(plugin, "user32.dll", "GetWindowTextA", &TimedGetTextA, &realGetTextA);
    const auto getTextW = PatchTyped(plugin, "user32.dll", "GetWindowTextW", &TimedGetTextW, &realGetTextW);
    const auto alphaBlend = PatchTyped(plugin, "gdi32.dll", "GdiAlphaBlend", &TimedAlphaBlend, &realAlphaBlend);
    const auto beginPaint = PatchTyped(plugin, "user32.dll", "BeginPaint", &TimedBeginPaint, &realBeginPaint);
    const auto endPaint = PatchTyped(plugin, "user32.dll", "EndPaint", &TimedEndPaint, &realEndPaint);
    const auto createFile = PatchTyped(plugin, "kernel32.dll", "CreateFileW", &CountedCreateFileW, &realCreateFileW);
    const auto sendMessage = PatchTyped(plugin, "user32.dll", "SendMessageA", &CountedSendMessage, &realSendMessage);
    const auto postMessage = PatchTyped(plugin, "user32.dll", "PostMessageA", &CountedPostMessage, &realPostMessage);
    const auto sendTimeout =
        PatchTyped(plugin, "user32.dll", "SendMessageTimeoutA", &CountedSendTimeout, &realSendTimeout);
    if (!tip || !getTextA->active() || !getTextW->active() || !alphaBlend->active() || !beginPaint->active() ||
        !endPaint->active() || !createFile->active() || !sendMessage->active() || !postMessage->active() ||
        !sendTimeout->active()) {
        std::printf("cannot watch the plug-in's title reads, tip paints, file opens and messages\n");
        return 1;
    }

    countingMessages = true;
    for (int i = 0; i < kWarmUpCovers; ++i) {
        if (!ShowSong(songs[i % kSongFiles], i)) {
            std::printf("warm-up cover %d never on screen\n", i + 1);
            return 1;
        }
    }
    std::vector<double> toCover, toPost, arrivalToCover, doneHandling, coverPaints, forcedPaints;
    int readFresh = 0;
    int forcedWithoutCover = 0;
    for (int i = kWarmUpCovers; i < kWarmUpCovers + kTimedCovers; ++i) {
        if (!ShowSong(songs[i % kSongFiles], i)) {
            std::printf("cover %d never on screen (title read %d, done posted %d, arrived %d)\n", i + 1, look.read,
                        postedAt != 0, look.arrived);
            return 1;
        }
        const LARGE_INTEGER posted = PostedAt();
        if (posted.QuadPart < look.readAt.QuadPart || look.arrivedAt.QuadPart < posted.QuadPart ||
            look.blittedAt.QuadPart < look.arrivedAt.QuadPart) {
            std::printf("cover %d: its read, post, arrival and paint are out of order\n", i + 1);
            return 1;
        }
        readFresh += fileOpens > 0;
        toCover.push_back(MicrosecondsBetween(look.readAt, look.blittedAt));
        toPost.push_back(MicrosecondsBetween(look.readAt, posted));
        arrivalToCover.push_back(MicrosecondsBetween(look.arrivedAt, look.blittedAt));
        doneHandling.push_back(look.doneHandledMicros);
        coverPaints.push_back(look.coverPaintMicros);
        TimeForcedPaints(&forcedPaints, &forcedWithoutCover);
    }
    std::printf("%d covers of %zu-byte JPEGs in %d files' ID3v2.3 tags; %d of them read from their files\n",
                kTimedCovers, picture.size(), kSongFiles, readFresh);

    int number = kWarmUpCovers + kTimedCovers;
    std::vector<std::vector<double>> formatToCover(formats.size());
    std::vector<int> formatReadFresh(formats.size(), 0);
    for (size_t f = 0; f < formats.size(); ++f) {
        for (int i = 0; i < kTimedCovers; ++i, ++number) {
            if (!ShowSong(formats[f].files[i % kSongFiles], number)) {
                std::printf("%s cover %d never on screen (title read %d, done posted %d, arrived %d)\n", formats[f].name,
                            i + 1, look.read, postedAt != 0, look.arrived);
                return 1;
            }
            formatReadFresh[f] += fileOpens > 0;
            formatToCover[f].push_back(MicrosecondsBetween(look.readAt, look.blittedAt));
        }
        std::printf("%d covers of %s files; %d of them read from their files\n", kTimedCovers, formats[f].name,
                    formatReadFresh[f]);
    }

    const bool keptShown = ShowSong(keptSong, number);
    const int firstOpens = fileOpens;
    const bool otherShown = ShowSong(otherSong, number + 1);
    const bool againShown = ShowSong(keptSong, number + 2);
    const int againOpens = fileOpens;
    const double fromKeptMs = MicrosecondsBetween(look.readAt, look.blittedAt) / 1000;
    countingMessages = false;
    if (!keptShown || !otherShown || !againShown) {
        std::printf("a cover of the songs played again was never on screen\n");
        return 1;
    }

    const double coverMs = Median(toCover) / 1000;
    PrintFigure("title change to the cover on screen (median)", Printed("%.3f ms", coverMs),
                Printed("<= %.0f ms", kCoverBoundMs), coverMs <= kCoverBoundMs && readFresh == kTimedCovers);
    PrintFigure("title change to the cover on screen (p95)", Printed("%.3f ms", Percentile(toCover, 95) / 1000));
    for (size_t f = 0; f < formats.size(); ++f) {
        const double formatMs = Median(formatToCover[f]) / 1000;
        PrintFigure(Printed("title change to the cover on screen, %s (median)", formats[f].name),
                    Printed("%.3f ms", formatMs), Printed("<= %.0f ms", kCoverBoundMs),
                    formatMs <= kCoverBoundMs && formatReadFresh[f] == kTimedCovers);
    }
    ReportMedian("title change to the cover on screen, the title read to the worker's MSG_COVER_DONE post", toPost);
    const double arrivalMs = Median(arrivalToCover) / 1000;
    PrintFigure("the shell's thread's share of a cover's arrival, MSG_COVER_DONE taken to the cover's blit (median)",
                Printed("%.3f ms", arrivalMs), Printed("<= %.1f ms", kArrivalBoundMs), arrivalMs <= kArrivalBoundMs);
    ReportMedian("title change to the cover on screen, the plug-in's handling of MSG_COVER_DONE (shell's thread)",
                 doneHandling);
    ReportMedian("tip paint that first shows a new cover, BeginPaint to EndPaint", coverPaints);
    const double paintMs = Median(forcedPaints) / 1000;
    PrintFigure("the shell's thread's share of a tip paint with a cover, BeginPaint to EndPaint (median)",
                Printed("%.3f ms", paintMs), Printed("<= %.1f ms", kPaintBoundMs),
                paintMs <= kPaintBoundMs && forcedWithoutCover == 0);
    PrintFigure("the shell's thread's share of a tip paint with a cover, BeginPaint to EndPaint (p95)",
                Printed("%.3f ms", Percentile(forcedPaints, 95) / 1000));
    if (forcedWithoutCover > 0) std::printf("%d forced paints drew no cover\n", forcedWithoutCover);
    PrintFigure("messages from the shell's thread to the player during cover changes",
                Printed("%d", hostMessagesToPlayer), "= 0", hostMessagesToPlayer == 0);
    PrintFigure("messages to the player from the plug-in's workers during cover changes",
                Printed("%d", workerMessagesToPlayer.load()));
    PrintFigure("files opened for a cover read from its file (first play)", Printed("%d", firstOpens));
    PrintFigure("files opened for a cover from the cache", Printed("%d", againOpens), "= 0",
                againOpens == 0 && firstOpens > 0);
    PrintFigure("title change to a kept cover on screen (one play)", Printed("%.3f ms", fromKeptMs));
    return 0;
}
