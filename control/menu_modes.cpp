// The context menu's wait for the player's shuffle and repeat. The host's
// thread sends nothing to the player: a worker asks, and the menu opens
// when its answers come back, at the point it was asked for. The worker
// does one job at a time, asking or setting, so a menu asked for while a
// change is still out is asked for once the change has ended. A right-click
// goes on to the host's taskbar only once the menu has closed, as it would
// had the menu opened at once: a host that answers it with a menu of its
// own must not show two.
#include "control/control_handlers.h"

#include "player/player_link.h"
#include "plugin/library_hold.h"
#include "plugin/state/plugin_state.h"

namespace {

const PlayerModes kUnanswered = {ModeAnswer::Unanswered, ModeAnswer::Unanswered};

// The default procedure hands a child's WM_CONTEXTMENU to its parent, the
// host's taskbar, which may run a menu of its own: false when the plug-in
// was stopped meanwhile.
bool PassRightClickOn(LPARAM screenPoint) {
    const ShellCallHold hold;
    const HWND control = pluginState.controlWindow;
    DefWindowProcA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), screenPoint);
    return !hold.StopCame();
}

// Opens the menu, then lets every right-click that waited for it go on.
void OpenMenuForWaitingClicks(PlayerModes modes, const PlaylistPart* playlist = nullptr) {
    PluginState& s = pluginState;
    const int waiting = s.menuClicksWaiting;
    const LPARAM point = s.menuPoint;
    s.menuClicksWaiting = 0;
    // Files being handed to the player own it, and show no menu.
    if (!s.dropBusy && !OpenContextMenu(point, modes, playlist)) return;
    for (int i = 0; i < waiting; ++i)
        if (!PassRightClickOn(point)) return;
}

void AskForMenu() {
    PluginState& s = pluginState;
    s.modesAsking = true;
    if (StartModeQuestions(s.playerWindow)) return;
    // Nothing can ask: as a player that does not answer.
    OpenMenuForWaitingClicks(kUnanswered);
}

}  // namespace

void OnContextMenu(LPARAM screenPoint) {
    PluginState& s = pluginState;
    if (s.dropBusy) {
        PassRightClickOn(screenPoint);
        return;
    }
    if (!FindPlayer()) {
        if (OpenContextMenu(screenPoint, kUnanswered)) PassRightClickOn(screenPoint);
        return;
    }
    // A second request while one waits moves it to the newer point.
    s.menuPoint = static_cast<int32_t>(screenPoint);
    if (s.menuClicksWaiting++ > 0) return;
    if (s.modesThread == nullptr) AskForMenu();
}

void FinishModes(WPARAM poster, LPARAM packedModes) {
    PluginState& s = pluginState;
    const PlaylistPart* playlist = FinishModesJob(poster);
    if (!playlist) return;
    if (s.menuClicksWaiting == 0) return;
    if (!s.modesAsking) {
        AskForMenu();
        return;
    }
    OpenMenuForWaitingClicks(UnpackModes(packedModes), playlist);
}

void ChangePlayerMode(UINT id) {
    PluginState& s = pluginState;
    const PlayerModes shown = UnpackModes(s.shownModes);
    const ModeAnswer answer = id == CMD_SHUFFLE ? shown.shuffle : shown.repeat;
    if (answer == ModeAnswer::Unanswered || s.modesThread != nullptr) return;
    StartModeChange(s.playerWindow, id == CMD_SHUFFLE ? SET_SHUFFLE : SET_REPEAT,
                    answer == ModeAnswer::Off);
    s.modesAsking = false;
}
