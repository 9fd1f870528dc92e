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

// The time left of the bound, or 0 once it has run out.
UINT LeftOf(DWORD deadline) {
    const auto left = static_cast<int32_t>(deadline - GetTickCount());
    return left > 0 ? static_cast<UINT>(left) : 0;
}

std::optional<int32_t> AskWithin(HWND player, WPARAM wParam, LPARAM question, DWORD deadline) {
    const UINT left = LeftOf(deadline);
    if (left == 0) return std::nullopt;
    return SendToPlayerWithin(player, PLAYER_QUERY, wParam, question, left);
}

// Worker thread. Each title is read as soon as its address is answered:
// a player may keep every title it answers with in one buffer of its own,
// which the next question overwrites. A player that knows no UTF-16
// titles answers 213 with 0 for every entry: once 212 has answered where
// 213 did not, the rest of the window is asked in the code page alone, as
// the whole window is when askWide is false. A title that did not come in
// time leaves its entry and the rest unread.
void ReadTitles(HWND player, bool askWide, PlaylistPart& part, DWORD deadline) {
    DWORD processId = 0;
    GetWindowThreadProcessId(player, &processId);
    const HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    if (!process) return;
    bool wideKnown = askWide;
    wchar_t wide[kTitleReadMax + 1];
    char narrow[kTitleReadMax + 1];
    for (int32_t i = 0; i < part.span.count; ++i) {
        const auto index = static_cast<WPARAM>(part.span.first + i);
        std::optional<int32_t> address;
        if (wideKnown) {
            address = AskWithin(player, index, QUERY_PLAYLIST_TITLE_WIDE, deadline);
            if (!address) break;
            if (*address != 0) {
                const std::optional<size_t> length =
                    ReadText(ReadFromProcess, process, static_cast<uint32_t>(*address), sizeof(wchar_t), wide);
                if (length) part.labels[i] = EntryLabel(part.span.first + i, std::wstring_view(wide, *length));
                continue;
            }
        }
        address = AskWithin(player, index, QUERY_PLAYLIST_TITLE, deadline);
        if (!address) break;
        if (*address == 0) continue;
        wideKnown = false;
        part.narrowTitles = true;
        const std::optional<size_t> length = ReadText(ReadFromProcess, process, static_cast<uint32_t>(*address), 1, narrow);
        if (!length || *length == 0) continue;
        const int converted = MultiByteToWideChar(CP_ACP, 0, narrow, static_cast<int>(*length), wide,
                                                  static_cast<int>(kTitleReadMax));
        part.labels[i] = EntryLabel(part.span.first + i, std::wstring_view(wide, converted > 0 ? converted : 0));
    }
    CloseHandle(process);
}

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

PlaylistPart AskPlaylist(HWND player, bool askWide) {
    PlaylistPart part = {};
    const DWORD deadline = GetTickCount() + kPlaylistBoundMs;
    const std::optional<int32_t> length = AskWithin(player, 0, QUERY_PLAYLIST_LENGTH, deadline);
    if (!length) return part;
    const std::optional<int32_t> current = AskWithin(player, 0, QUERY_PLAYLIST_POSITION, deadline);
    if (!current) return part;
    const std::optional<PlaylistSpan> span = SpanAround(*length, *current);
    if (!span) return part;
    part.answered = true;
    part.span = *span;
    part.current = *current;
    for (int32_t i = 0; i < span->count; ++i) part.labels[i] = EntryLabel(span->first + i, {});
    ReadTitles(player, askWide, part, deadline);
    return part;
}
