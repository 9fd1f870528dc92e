// The context menu's "Playlist" submenu: the entries the menu's worker read
// around the current one, and a choice among them played by the command
// worker.
#pragma once

#include "player/playlist.h"

#include <windows.h>

constexpr UINT CMD_PLAYLIST_FIRST = 1040;
constexpr UINT CMD_PLAYLIST_LAST = CMD_PLAYLIST_FIRST + kPlaylistWindowSize - 1;

// Host's thread: appends the submenu's item to menu, greyed when
// shown is false, with the entries of playlist (UTF-16, the current one
// checked), and remembers which entries its ids stand for.
void AppendPlaylistMenu(HMENU menu, const char* text, bool shown, const PlaylistPart* playlist);

// Host's thread, at one of the entries' ids: the command worker finds that
// entry, makes it current and plays it. Nothing while files are handed to
// the player; a choice made while the worker still sends a press waits
// for it.
void PlayPlaylistEntry(UINT id);
// Host's thread, at MSG_COMMAND_DONE: hands the choice that waited.
void PlayWaitingChoice();
