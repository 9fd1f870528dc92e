// Which file the song that plays comes from, as the player names it from
// its own memory.
#pragma once

#include <windows.h>
#include <cstddef>
#include <string>

// WM_USER codes: the address, in the player's memory, of entry wParam's
// file name in the system's code page or in UTF-16 (0 from players that do
// not know 214).
constexpr LPARAM QUERY_PLAYLIST_FILE = 211;
constexpr LPARAM QUERY_PLAYLIST_FILE_WIDE = 214;

// Worker thread: the full name of the file the player's current entry
// comes from, asked in UTF-16 from a Unicode window (in the code page when
// it answers 0 to that) and in the code page otherwise, all by deadline (a
// GetTickCount value); empty when there is none, it came late or could
// not be read.
std::wstring AskCurrentFile(HWND player, bool unicodeWindow, DWORD deadline);

// Pure: a name read in codePage, `bytes` of it as the read gave them, put
// in UTF-16 into out (room for kTitleReadMax units); its length, 0 when the
// read was cut at its bound (kTitleReadMax bytes): a name that long names
// no file whole, however few characters its bytes make in a double-byte
// code page.
size_t NameFromCodePage(const char* text, size_t bytes, UINT codePage, wchar_t* out);
