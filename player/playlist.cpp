// The context menu's playlist: which entries, how their titles read, and
// how the menu's worker gets them from the player.
#include "player/playlist.h"

#include "player/bounded_send.h"
#include "player/player_link.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uintptr_t kPageSize = 4096;
constexpr wchar_t kEllipsis = 0x2026;

bool IsControlCharacter(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

bool ReadFromProcess(HANDLE process, uintptr_t address, void* out, size_t size) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(address), out, size, &got) && got == size;
}

std::optional<int32_t> Ask(HWND player, WPARAM wParam, LPARAM question, DWORD deadline) {
    return SendToPlayerBy(player, PLAYER_QUERY, wParam, question, deadline);
}

// Worker thread: one player's titles, each read as soon as its address is
// answered: a player may keep every title it answers with in one buffer of
// its own, which the next question overwrites. A player that knows no
// UTF-16 titles answers 213 with 0 for every entry: once 212 has answered
// where 213 did not, the rest are asked in the code page alone, as all are
// when askWide is false.
class TitleReader {
public:
    TitleReader(HWND player, bool askWide) : player_(player), wideKnown_(askWide) {
        DWORD processId = 0;
        GetWindowThreadProcessId(player, &processId);
        process_ = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    }
    ~TitleReader() {
        if (process_) CloseHandle(process_);
    }
    TitleReader(const TitleReader&) = delete;
    TitleReader& operator=(const TitleReader&) = delete;

    bool CanRead() const { return process_ != nullptr; }
    bool NarrowSeen() const { return narrowSeen_; }

    // Entry index's title, valid until the next read: nothing when the
    // player did not answer by the deadline, an empty title when it
    // answered with nothing readable.
    std::optional<std::wstring_view> Read(int32_t index, DWORD deadline) {
        const auto entry = static_cast<WPARAM>(index);
        if (wideKnown_) {
            const std::optional<int32_t> address = Ask(player_, entry, QUERY_PLAYLIST_TITLE_WIDE, deadline);
            if (!address) return std::nullopt;
            if (*address != 0) {
                const std::optional<size_t> length =
                    ReadText(ReadFromProcess, process_, static_cast<uint32_t>(*address), sizeof(wchar_t), wide_);
                return std::wstring_view(wide_, length.value_or(0));
            }
        }
        const std::optional<int32_t> address = Ask(player_, entry, QUERY_PLAYLIST_TITLE, deadline);
        if (!address) return std::nullopt;
        if (*address == 0) return std::wstring_view();
        wideKnown_ = false;
        narrowSeen_ = true;
        const std::optional<size_t> length = ReadText(ReadFromProcess, process_, static_cast<uint32_t>(*address), 1, narrow_);
        if (!length || *length == 0) return std::wstring_view();
        const int converted = MultiByteToWideChar(CP_ACP, 0, narrow_, static_cast<int>(*length), wide_,
                                                  static_cast<int>(kTitleReadMax));
        return std::wstring_view(wide_, converted > 0 ? converted : 0);
    }

private:
    HWND player_;
    HANDLE process_ = nullptr;
    bool wideKnown_;
    bool narrowSeen_ = false;
    wchar_t wide_[kTitleReadMax + 1];
    char narrow_[kTitleReadMax + 1];
};

// A title that did not come in time leaves its entry and the rest unread.
void ReadTitles(HWND player, bool askWide, PlaylistPart& part, DWORD deadline) {
    TitleReader reader(player, askWide);
    if (!reader.CanRead()) return;
    for (int32_t i = 0; i < part.span.count; ++i) {
        const std::optional<std::wstring_view> title = reader.Read(part.span.first + i, deadline);
        if (!title) break;
        if (title->empty()) continue;
        part.labels[i] = EntryLabel(part.span.first + i, *title);
        part.marks[i] = MarkOf(*title);
    }
    part.narrowTitles = reader.NarrowSeen();
}

bool SameMark(TitleMark a, TitleMark b) { return a.read && b.read && a.hash == b.hash; }

}  // namespace

std::optional<PlaylistSpan> SpanAround(int32_t length, int32_t current) {
    if (length <= 0 || length > kPlaylistMaxLength || current < 0 || current >= length) return std::nullopt;
    const int32_t count = std::min<int32_t>(length, kPlaylistWindowSize);
    return PlaylistSpan{std::clamp<int32_t>(current - kPlaylistEntriesBefore, 0, length - count), count};
}

PlaylistLabel EntryLabel(int32_t index, std::wstring_view title) {
    PlaylistLabel label = {};
    size_t at = 0;
    const auto put = [&](wchar_t c) { label[at++] = c; };
    wchar_t digits[10];
    int digitCount = 0;
    for (auto number = static_cast<uint32_t>(index) + 1; number != 0; number /= 10)
        digits[digitCount++] = static_cast<wchar_t>(L'0' + number % 10);
    while (digitCount > 0) put(digits[--digitCount]);
    put(L'.');
    if (title.empty()) return label;
    put(L' ');
    size_t shown = title.size();
    const bool cut = shown > kTitleShownMax;
    if (cut) {
        shown = kTitleShownMax - 1;
        // Half a surrogate pair would show as a box.
        if (IsHighSurrogate(title[shown - 1])) --shown;
    }
    for (size_t i = 0; i < shown; ++i) {
        const wchar_t c = IsControlCharacter(title[i]) ? L' ' : title[i];
        if (c == L'&') put(L'&');
        put(c);
    }
    if (cut) put(kEllipsis);
    return label;
}

std::optional<size_t> ReadText(MemoryReader read, HANDLE source, uintptr_t address, size_t unit, void* out) {
    if (address == 0) return std::nullopt;
    auto* bytes = static_cast<uint8_t*>(out);
    const size_t limit = kTitleReadMax * unit;
    size_t have = 0;
    size_t scanned = 0;
    while (have < limit) {
        const uintptr_t at = address + have;
        const size_t chunk = std::min<size_t>(limit - have, kPageSize - at % kPageSize);
        if (!read(source, at, bytes + have, chunk)) return std::nullopt;
        have += chunk;
        for (; scanned + unit <= have; scanned += unit) {
            if (bytes[scanned] == 0 && (unit == 1 || bytes[scanned + 1] == 0)) return scanned / unit;
        }
    }
    std::memset(bytes + limit, 0, unit);
    return kTitleReadMax;
}

uint64_t TextHash(std::wstring_view text) {
    uint64_t hash = 14695981039346656037ull;
    for (const wchar_t unit : text) {
        hash ^= static_cast<uint16_t>(unit);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::optional<size_t> ReadProcessText(HANDLE process, uintptr_t address, size_t unit, void* out) {
    return ReadText(ReadFromProcess, process, address, unit, out);
}

PlaylistPart AskPlaylist(HWND player, bool askWide, DWORD deadline) {
    PlaylistPart part = {};
    part.player = player;
    const std::optional<int32_t> length = Ask(player, 0, QUERY_PLAYLIST_LENGTH, deadline);
    if (!length) return part;
    const std::optional<int32_t> current = Ask(player, 0, QUERY_PLAYLIST_POSITION, deadline);
    if (!current) return part;
    const std::optional<PlaylistSpan> span = SpanAround(*length, *current);
    if (!span) return part;
    part.answered = true;
    part.length = *length;
    part.span = *span;
    part.current = *current;
    for (int32_t i = 0; i < span->count; ++i) part.labels[i] = EntryLabel(span->first + i, {});
    ReadTitles(player, askWide, part, deadline);
    return part;
}

int32_t SearchOrderAt(int32_t shown, int32_t step, int32_t length) {
    // Past the nearer end only one side is left: count the steps it takes.
    const int32_t after = length - 1 - shown;
    const int32_t before = shown;
    const int32_t both = 2 * std::min(after, before);
    if (step == 0) return shown;
    if (step <= both) return step % 2 == 1 ? shown + (step + 1) / 2 : shown - step / 2;
    const int32_t beyond = step - both + std::min(after, before);
    if (after > before) return beyond <= after ? shown + beyond : -1;
    return beyond <= before ? shown - beyond : -1;
}

std::optional<int32_t> FindChosenEntry(const PlaylistChoice& choice) {
    if (choice.player == nullptr || PlayerWindowNow() != choice.player) return std::nullopt;
    const DWORD deadline = GetTickCount() + kChoiceSearchMs;
    const std::optional<int32_t> length = Ask(choice.player, 0, QUERY_PLAYLIST_LENGTH, deadline);
    if (!length || *length <= 0 || *length > kPlaylistMaxLength) return std::nullopt;
    const bool inside = choice.index >= 0 && choice.index < *length;
    // Nothing to know the entry by but its place.
    if (!choice.title.read) return inside ? std::optional<int32_t>(choice.index) : std::nullopt;
    TitleReader reader(choice.player, choice.askWide);
    if (!reader.CanRead()) return std::nullopt;
    // A playlist that became shorter is searched from its end.
    const int32_t shown = std::clamp(choice.index, 0, *length - 1);
    for (int32_t step = 0;; ++step) {
        const int32_t entry = SearchOrderAt(shown, step, *length);
        if (entry < 0) return std::nullopt;
        const std::optional<std::wstring_view> title = reader.Read(entry, deadline);
        if (!title) return std::nullopt;
        if (!title->empty() && SameMark(MarkOf(*title), choice.title)) return entry;
    }
}
