// The context menu's commands.
#include "control/control_handlers.h"

#include "control/playlist_menu.h"
#include "player/commands.h"
#include "player/launch.h"
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "settings/settings.h"

#include <cstring>

namespace {

// The plug-in's own path, from the record the host lends us; "" when the
// host gave none.
const char* PluginFilePath() {
    const uint8_t* paths = hostContext.modulePaths;
    if (!paths) return "";
    const char* path = nullptr;
    std::memcpy(&path, paths + kModulePathOffset, sizeof path);
    return path ? path : "";
}

void OpenPluginSetup() {
    const SetupRequest request = BuildSetupRequest(PluginFilePath());
    SendMessageA(hostContext.hostWindow, HM_OPEN_SETUP, 0, reinterpret_cast<LPARAM>(request.data()));
}

}  // namespace

SetupRequest BuildSetupRequest(const char* pluginPath) {
    SetupRequest request = {};
    request[0] = HM_OPEN_SETUP_PREFIX;
    // A path longer than the host's buffer is cut; the last byte stays 0.
    const size_t room = request.size() - 2;
    const size_t length = strnlen(pluginPath, room);
    std::memcpy(request.data() + 1, pluginPath, length);
    return request;
}

void OnMenuCommand(UINT id) {
    switch (id) {
    case CMD_PLAYER_PREFERENCES:
        OpenPlayerPreferences();
        break;
    case CMD_RUN_PLAYER:
        // The menu may have been open for a while; the player may be up.
        if (!FindPlayer()) StartLaunch();
        break;
    case CMD_PLUGIN_SETUP:
        OpenPluginSetup();
        break;
    case CMD_TOGGLE_PLAYER_WINDOW:
        TogglePlayerWindow();
        break;
    case CMD_HIDE_ON_MINIMIZE:
        ToggleHideOnMinimize();
        break;
    case CMD_SHUFFLE:
    case CMD_REPEAT:
        ChangePlayerMode(id);
        break;
    default:
        if (id >= CMD_PLAYLIST_FIRST && id <= CMD_PLAYLIST_LAST) PlayPlaylistEntry(id);
        break;
    }
}
