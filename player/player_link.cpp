// Finding the player's window, keeping its path, and the once-a-second
// poll that turns its answers into the control's status, position bar and
// blinking. The queries run on the host's thread, so each is bounded: a
// player that stops answering costs the taskbar half a second per poll.
#include "player/player_link.h"

#include "host/host_services.h"
#include "player/bounded_send.h"
#include "player/player_path.h"
#include "player/process_image.h"
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"
#include "settings/setting_keys.h"
#include "settings/settings.h"

int32_t songLengthSec = 0;
int32_t songPositionSec = 0;
int32_t positionPercent = 0;

namespace {

// Whether the player has answered a position other than 0 since its window
// was found. One that never does (some answer 0 and ignore the seek) would
// otherwise look paused at every poll, and Pause would only ever send Play.
bool positionReported = false;

std::optional<int32_t> AskPlayer(WPARAM what, LPARAM query) {
    return SendToPlayerBounded(pluginState.playerWindow, PLAYER_QUERY, what, query);
}

void InvalidateControl() { InvalidateRect(pluginState.controlWindow, nullptr, FALSE); }

// Until the host's context is copied at start there is no store to write
// to; the next poll learns the path again and writes it then.
bool HostStoreKnown() { return hostContext.configId != 0; }

// Length and percentage while a track is loaded. False when the player
// stopped answering; what was not answered keeps its last value.
bool RefreshPosition() {
    const std::optional<int32_t> length = AskPlayer(LENGTH_SECONDS, QUERY_POSITION_OR_LENGTH);
    if (!length) return false;
    songLengthSec = *length;
    const std::optional<int32_t> position = AskPlayer(POSITION_MS, QUERY_POSITION_OR_LENGTH);
    if (!position) return false;
    songPositionSec = WholeSeconds(*position);
    // While the button is held the bar shows where the press points.
    if (!pluginState.buttonDown) positionPercent = PositionPercent(*position, songLengthSec);
    return true;
}

// False when the player did not answer; the poll then keeps what it knew.
bool RefreshStatus() {
    const std::optional<int32_t> answer = QueryPlayStatus();
    if (!answer) return false;
    pluginState.playerStatus = MapPlayStatus(*answer);
    if (pluginState.playerStatus == PLAYER_STOPPED || pluginState.playerStatus == PLAYER_NOT_RUNNING) {
        positionPercent = -1;
        return true;
    }
    return RefreshPosition();
}

void PollOnce() {
    if (FindPlayer()) {
        const bool answered = RefreshStatus();
        pluginState.blinkPhase = !pluginState.blinkPhase;
        InvalidateControl();
        // A player that just failed to answer is left alone until it answers
        // again; the hide itself is queued, never waited for.
        const HWND player = pluginState.playerWindow;
        if (answered && pluginState.hideOnMinimize && IsIconic(player)) ShowWindowAsync(player, SW_HIDE);
    } else {
        pluginState.buttonDown = false;
        pluginState.playerStatus = PLAYER_NOT_RUNNING;
        pluginState.blinkPhase = false;
    }
    if (pluginState.drawnPlayerStatus != pluginState.playerStatus) {
        pluginState.drawnPlayerStatus = pluginState.playerStatus;
        InvalidateControl();
    }
    if (pluginState.drawnButtonDown != pluginState.buttonDown) {
        pluginState.drawnButtonDown = pluginState.buttonDown;
        InvalidateControl();
    }
}

}  // namespace

bool FindPlayer() {
    const HWND player = FindWindowA(kPlayerWindowClass, nullptr);
    if (player != pluginState.playerWindow) positionReported = false;
    pluginState.playerWindow = player;
    if (player == nullptr) return false;

    char stored[kPlayerPathSize];
    CopyPlayerPath(stored, sizeof stored);
    if (FileExists(stored)) return true;

    char learned[kPlayerPathSize] = {};
    LearnPlayerPath(player, learned, sizeof learned);
    PublishPlayerPath(learned);
    if (HostStoreKnown() && FileExists(learned)) {
        WriteSetting(hostContext, kSettingsSection, kSettingKeys[SETTING_WINAMP_PATH].key, learned);
    }
    return true;
}

std::optional<int32_t> QueryPlayStatus() {
    if (pluginState.playerWindow == nullptr) return PLAYER_NOT_RUNNING;
    const std::optional<int32_t> position = AskPlayer(POSITION_MS, QUERY_POSITION_OR_LENGTH);
    if (!position) return std::nullopt;
    const std::optional<int32_t> state = AskPlayer(0, QUERY_PLAY_STATE);
    if (!state) return std::nullopt;
    if (*position != 0) positionReported = true;
    const StatusReading reading = ReadStatus(*position, *state, pluginState.lastPositionMs, positionReported);
    pluginState.positionUnchanged = reading.positionUnchanged;
    pluginState.lastPositionMs = reading.lastPositionMs;
    return reading.answer;
}

void CALLBACK PollPlayer(HWND, UINT, UINT_PTR, DWORD) {
    PollOnce();
}
