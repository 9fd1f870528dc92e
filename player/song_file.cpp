// The song's file name, read from the player's memory at the address it
// answers.
#include "player/song_file.h"

#include "player/bounded_send.h"
#include "player/player_link.h"
#include "player/playlist.h"

#include <algorithm>

namespace {

// The name at address in the player's memory, read at once (a player may
// answer every name from one buffer that its next answer overwrites) into
// name (room for kTitleReadMax units); its length, 0 when it cannot be read.
size_t ReadName(HWND player, int32_t address, bool wide, wchar_t* name) {
    DWORD processId = 0;
    GetWindowThreadProcessId(player, &processId);
    const HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    if (!process) return 0;
    size_t length = 0;
    if (wide) {
        wchar_t text[kTitleReadMax + 1];
        length = ReadProcessText(process, static_cast<uint32_t>(address), sizeof(wchar_t), text).value_or(0);
        // The longest name read whole may still have been cut: no such file.
        if (length >= kTitleReadMax) length = 0;
        std::copy(text, text + length, name);
    } else {
        char text[kTitleReadMax + 1];
        const size_t bytes = ReadProcessText(process, static_cast<uint32_t>(address), 1, text).value_or(0);
        length = NameFromCodePage(text, bytes, CP_ACP, name);
    }
    CloseHandle(process);
    return length;
}

// The address 211 or 214 answered for the current entry; 0 for none.
int32_t AskFileAddress(HWND player, bool unicodeWindow, DWORD deadline, bool* wide) {
    const std::optional<int32_t> current = SendToPlayerBy(player, PLAYER_QUERY, 0, QUERY_PLAYLIST_POSITION, deadline);
    if (!current || *current < 0) return 0;
    const auto entry = static_cast<WPARAM>(*current);
    *wide = unicodeWindow;
    if (unicodeWindow) {
        const std::optional<int32_t> address =
            SendToPlayerBy(player, PLAYER_QUERY, entry, QUERY_PLAYLIST_FILE_WIDE, deadline);
        if (!address || *address != 0) return address.value_or(0);
        // A player that knows Unicode windows but not 214 still names the
        // file in the code page.
        *wide = false;
    }
    return SendToPlayerBy(player, PLAYER_QUERY, entry, QUERY_PLAYLIST_FILE, deadline).value_or(0);
}

}  // namespace

size_t NameFromCodePage(const char* text, size_t bytes, UINT codePage, wchar_t* out) {
    if (bytes == 0 || bytes >= kTitleReadMax) return 0;
    const int units =
        MultiByteToWideChar(codePage, 0, text, static_cast<int>(bytes), out, static_cast<int>(kTitleReadMax));
    return units > 0 ? static_cast<size_t>(units) : 0;
}

std::wstring AskCurrentFile(HWND player, bool unicodeWindow, DWORD deadline) {
    bool wide = false;
    const int32_t address = AskFileAddress(player, unicodeWindow, deadline, &wide);
    if (address == 0) return {};
    wchar_t name[kTitleReadMax];
    return std::wstring(name, ReadName(player, address, wide, name));
}
