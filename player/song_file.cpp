// The song's file name, read from the player's memory at the address it
// answers.
#include "player/song_file.h"

#include "player/bounded_send.h"
#include "player/player_link.h"
#include "player/playlist.h"

std::wstring AskCurrentFile(HWND player, bool unicodeWindow, DWORD deadline) {
    const std::optional<int32_t> current = SendToPlayerBy(player, PLAYER_QUERY, 0, QUERY_PLAYLIST_POSITION, deadline);
    if (!current || *current < 0) return {};
    const LPARAM question = unicodeWindow ? QUERY_PLAYLIST_FILE_WIDE : QUERY_PLAYLIST_FILE;
    const std::optional<int32_t> address =
        SendToPlayerBy(player, PLAYER_QUERY, static_cast<WPARAM>(*current), question, deadline);
    if (!address || *address == 0) return {};
    DWORD processId = 0;
    GetWindowThreadProcessId(player, &processId);
    const HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    if (!process) return {};
    // Read at once: a player may answer every name from one buffer that its
    // next answer overwrites.
    wchar_t wide[kTitleReadMax + 1];
    size_t length = 0;
    if (unicodeWindow) {
        length = ReadProcessText(process, static_cast<uint32_t>(*address), sizeof(wchar_t), wide).value_or(0);
    } else {
        char narrow[kTitleReadMax + 1];
        const size_t units = ReadProcessText(process, static_cast<uint32_t>(*address), 1, narrow).value_or(0);
        const int converted = units == 0 ? 0
                                         : MultiByteToWideChar(CP_ACP, 0, narrow, static_cast<int>(units), wide,
                                                               static_cast<int>(kTitleReadMax));
        length = converted > 0 ? static_cast<size_t>(converted) : 0;
    }
    CloseHandle(process);
    // The longest name read whole may still have been cut: no such file.
    if (length >= kTitleReadMax) return {};
    return std::wstring(wide, length);
}
