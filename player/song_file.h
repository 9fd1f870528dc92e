// Which file the song that plays comes from, as the player names it from
// its own memory.
#pragma once

#include <windows.h>
#include <string>

// WM_USER codes: the address, in the player's memory, of entry wParam's
// file name in the system's code page or in UTF-16 (0 from players that do
// not know 214).
constexpr LPARAM QUERY_PLAYLIST_FILE = 211;
constexpr LPARAM QUERY_PLAYLIST_FILE_WIDE = 214;

// Worker thread: the full name of the file the player's current entry
// comes from, asked in UTF-16 from a Unicode window and in the code page
// otherwise, all by deadline (a GetTickCount value); empty when there is
// none, it came late or could not be read.
std::wstring AskCurrentFile(HWND player, bool unicodeWindow, DWORD deadline);
