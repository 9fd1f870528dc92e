// The context menu's wait for the player's shuffle and repeat. The host's
// thread sends nothing to the player: a worker asks, and the menu opens
// when its answers come back, at the point it was asked for. The worker
// does one job at a time, asking or setting, so a menu asked for while a
// change is still out is asked for once the change has ended.
#include "control/control_handlers.h"

#include "player/player_link.h"
#include "plugin/state/plugin_state.h"

namespace {

const PlayerModes kUnanswered = {ModeAnswer::Unanswered, ModeAnswer::Unanswered};

void AskForMenu() {
    PluginState& s = pluginState;
    s.modesAsking = true;
    if (StartModeQuestions(s.playerWindow)) return;
    // Nothing can ask: as a player that does not answer.
    s.menuWanted = false;
    OpenContextMenu(s.menuPoint, kUnanswered);
}

}  // namespace

void OnContextMenu(LPARAM screenPoint) {
    PluginState& s = pluginState;
    if (!FindPlayer()) {
        OpenContextMenu(screenPoint, kUnanswered);
        return;
    }
    // A second request while one waits moves it to the newer point.
    s.menuPoint = static_cast<int32_t>(screenPoint);
    if (s.menuWanted) return;
    s.menuWanted = true;
    if (s.modesThread == nullptr) AskForMenu();
}

void FinishModes(WPARAM poster, LPARAM packedModes) {
    PluginState& s = pluginState;
    const PlaylistPart* playlist = FinishModesJob(poster);
    if (!playlist) return;
    if (!s.menuWanted) return;
    if (!s.modesAsking) {
        AskForMenu();
        return;
    }
    s.menuWanted = false;
    // Files being handed to the player own it, and show no menu.
    if (!s.dropBusy) OpenContextMenu(s.menuPoint, UnpackModes(packedModes), playlist);
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
