// The song's cover beside the title in the title tip. At each title change
// the shown cover goes at once and the cover's worker looks for the new
// song's: it asks the player for the file, finds the picture in the file's
// tags or its folder and decodes it, all off the shell's thread, which only
// draws a ready bitmap. A song that changes under the same caption is
// looked for too, once the poll has noticed it. The last covers found are
// kept with what they came from, so a song played again costs no read
// unless its file or its folder's picture has changed.
#pragma once

#include <windows.h>

// Host's thread, at a title change with a player running: forgets the
// shown cover and has the worker look for the cover of the player's
// current song. A title change while the worker still looks has it look
// again once it is done.
void LookForCover(HWND player);
// Host's thread, at a title refresh that found the title as it was: when
// the poll has noticed another song since the last look, has the worker
// look again. The shown cover stays until the look finds a file other than
// the one it came from (or none).
void FollowSongChanges(HWND player);
// Host's thread: forgets the shown cover (a title change without a player).
void ForgetShownCover();
// MSG_COVER_DONE, whose wParam is the cover worker's thread id: keeps what
// the worker found and shows it when it is for the title still shown.
void FinishCover(WPARAM poster);

// Host's thread: whether a cover is shown, and drawing it with its
// top-left at (x, y), centred in a kCoverSide square.
bool CoverShown();
// Host's thread: whether the tip keeps the cover's square: a cover shows,
// or the new song's is awaited after a song that showed one (an album's
// songs mostly have one), so that its arrival only paints, and the tip
// keeps its size from song to song.
bool CoverSquareKept();
void DrawCover(HDC dc, int x, int y);
