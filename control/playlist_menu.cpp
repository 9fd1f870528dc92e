// The "Playlist" submenu. Its items are added with the W functions, so that
// titles keep characters the code page lacks.
#include "control/playlist_menu.h"

#include "control/control_handlers.h"
#include "player/commands.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"

#include <optional>

namespace {

// What the last menu offered, which its ids stand for; none once the
// plug-in has stopped.
struct ShownPlaylist {
    HWND player = nullptr;
    PlaylistSpan span = {0, 0};
    std::array<TitleMark, kPlaylistWindowSize> marks = {};
    bool askWide = true;
};
ShownPlaylist shown;
// A choice made while the command worker was busy, handed when it is free.
std::optional<CommandJob> waitingChoice;
const ForgottenAtStop shownForgotten([] {
    shown = ShownPlaylist{};
    waitingChoice.reset();
});

}  // namespace

void AppendPlaylistMenu(HMENU menu, const char* text, bool shownHere, const PlaylistPart* playlist) {
    shown = ShownPlaylist{};
    HMENU entries = CreatePopupMenu();
    if (!entries) return;
    if (shownHere) {
        shown = ShownPlaylist{playlist->player, playlist->span, playlist->marks, !playlist->narrowTitles};
        for (int32_t i = 0; i < playlist->span.count; ++i) {
            const bool current = playlist->span.first + i == playlist->current;
            AppendMenuW(entries, MF_STRING | (current ? MF_CHECKED : MF_UNCHECKED), CMD_PLAYLIST_FIRST + i,
                        playlist->labels[i].data());
        }
    }
    // An id besides the submenu, so that the item can be told by it.
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
    item.wID = CMD_PLAYLIST;
    item.hSubMenu = entries;
    item.dwTypeData = const_cast<char*>(text);
    item.fState = shownHere ? MFS_ENABLED : MFS_GRAYED;
    // The menu owns the submenu from here and destroys it with itself.
    if (!InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &item)) DestroyMenu(entries);
}

void PlayPlaylistEntry(UINT id) {
    PluginState& s = pluginState;
    const auto slot = static_cast<int32_t>(id - CMD_PLAYLIST_FIRST);
    if (slot < 0 || slot >= shown.span.count || s.dropBusy) return;
    // Play as its button plays, after the entry is made current.
    CommandJob job{s.playerWindow, PlanCommand(Press{HOT_PLAY, false, s.positionUnchanged, s.volumeSteps}), 1, true};
    job.choice = PlaylistChoice{shown.player, shown.span.first + slot, shown.marks[slot], shown.askWide};
    // A later choice replaces one still waiting: the user changed their mind.
    waitingChoice.reset();
    if (!HandCommandToWorker(job) && CommandWorkerBusy()) waitingChoice = job;
}

void PlayWaitingChoice() {
    if (!waitingChoice || CommandWorkerBusy()) return;
    CommandJob job = *waitingChoice;
    waitingChoice.reset();
    if (pluginState.dropBusy) return;
    HandCommandToWorker(job);
}
