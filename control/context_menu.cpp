// The control's context menu: what it offers depends on whether the player
// runs, what it answered about shuffle and repeat, and whether a stored
// path could start it; "Setup Plug-in" is always there.
#include "control/control_handlers.h"

#include "control/playlist_menu.h"
#include "player/commands.h"
#include "player/player_link.h"
#include "plugin/library_hold.h"
#include "plugin/state/plugin_state.h"

#include <windowsx.h>

namespace {

constexpr LocalText kHidePlayer = {"Hide Winamp", "\xD1\xE2\xE5\xF0\xED\xF3\xF2\xFC Winamp"};  // Свернуть Winamp
constexpr LocalText kShowPlayer = {"Show Winamp", "\xCF\xEE\xEA\xE0\xE7\xE0\xF2\xFC Winamp"};  // Показать Winamp
// Скрыть при сворачивании
constexpr LocalText kHideOnMinimize = {
    "Hide on minimize", "\xD1\xEA\xF0\xFB\xF2\xFC \xEF\xF0\xE8 \xF1\xE2\xEE\xF0\xE0\xF7\xE8\xE2\xE0\xED\xE8\xE8"};
// Случайный порядок
constexpr LocalText kShuffle = {"Shuffle", "\xD1\xEB\xF3\xF7\xE0\xE9\xED\xFB\xE9 \xEF\xEE\xF0\xFF\xE4\xEE\xEA"};
constexpr LocalText kRepeat = {"Repeat", "\xCF\xEE\xE2\xF2\xEE\xF0"};  // Повтор
// Список воспроизведения
constexpr LocalText kPlaylist = {
    "Playlist", "\xD1\xEF\xE8\xF1\xEE\xEA \xE2\xEE\xF1\xEF\xF0\xEE\xE8\xE7\xE2\xE5\xE4\xE5\xED\xE8\xFF"};
// Настройка Winamp
constexpr LocalText kPlayerPreferences = {"Winamp preferences",
                                          "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 Winamp"};
constexpr LocalText kRunPlayer = {"Run Winamp", "\xC7\xE0\xEF\xF3\xF1\xF2\xE8\xF2\xFC Winamp"};  // Запустить Winamp
// Настройка плагина
constexpr LocalText kPluginSetup = {"Setup Plug-in",
                                    "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 \xEF\xEB\xE0\xE3\xE8\xED\xE0"};

void Add(MenuShape& shape, const MenuEntry& entry) {
    if (shape.count < static_cast<int>(shape.entries.size())) shape.entries[shape.count++] = entry;
}

void Add(MenuShape& shape, UINT id, const char* text, bool checked = false) {
    Add(shape, MenuEntry{id, text, checked, false});
}

// A mode the player did not answer for cannot be changed from here: the
// change is the opposite of what the menu shows.
void AddMode(MenuShape& shape, UINT id, const char* text, ModeAnswer answer) {
    Add(shape, MenuEntry{id, text, answer == ModeAnswer::On, answer == ModeAnswer::Unanswered});
}

bool PathIsUsable() {
    char path[kPlayerPathSize] = {};
    CopyPlayerPath(path, kPlayerPathSize);
    return path[0] != '\0' && FileExists(path);
}

MenuFacts GatherFacts(PlayerModes modes) {
    MenuFacts facts = {};
    facts.modes = modes;
    facts.playerRuns = FindPlayer();
    // The label says what TogglePlayerWindow is about to do.
    facts.playerShown = facts.playerRuns && !PlayerWindowNeedsRestore();
    facts.hideOnMinimize = pluginState.hideOnMinimize;
    facts.pathUsable = PathIsUsable();
    return facts;
}

void AppendEntries(HMENU menu, const MenuShape& shape, const PlaylistPart* playlist) {
    for (int i = 0; i < shape.count; ++i) {
        const MenuEntry& entry = shape.entries[i];
        if (entry.id == CMD_PLAYLIST)
            AppendPlaylistMenu(menu, entry.text, !entry.grayed, playlist);
        else if (entry.id == kSeparator)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(menu, MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED) | (entry.grayed ? MF_GRAYED : 0),
                        entry.id, entry.text);
    }
}

}  // namespace

MenuShape ContextMenuShape(const MenuFacts& facts, Language language) {
    MenuShape shape = {};
    if (facts.playerRuns) {
        Add(shape, CMD_TOGGLE_PLAYER_WINDOW, TextIn(language, facts.playerShown ? kHidePlayer : kShowPlayer));
        Add(shape, CMD_HIDE_ON_MINIMIZE, TextIn(language, kHideOnMinimize), facts.hideOnMinimize);
        AddMode(shape, CMD_SHUFFLE, TextIn(language, kShuffle), facts.modes.shuffle);
        AddMode(shape, CMD_REPEAT, TextIn(language, kRepeat), facts.modes.repeat);
        Add(shape, MenuEntry{CMD_PLAYLIST, TextIn(language, kPlaylist), false, !facts.playlistShown});
        Add(shape, kSeparator, nullptr);
        Add(shape, CMD_PLAYER_PREFERENCES, TextIn(language, kPlayerPreferences));
    } else if (facts.pathUsable) {
        Add(shape, CMD_RUN_PLAYER, TextIn(language, kRunPlayer));
    }
    if (facts.playerRuns || facts.pathUsable) Add(shape, kSeparator, nullptr);
    Add(shape, CMD_PLUGIN_SETUP, TextIn(language, kPluginSetup));
    return shape;
}

bool OpenContextMenu(LPARAM screenPoint, PlayerModes modes, const PlaylistPart* playlist) {
    HWND control = pluginState.controlWindow;
    // Keep the menu off the taskbar.
    TPMPARAMS params = {};
    params.cbSize = sizeof params;
    GetWindowRect(hostContext.taskbarWindow, &params.rcExclude);
    SetFocus(control);

    HMENU menu = CreatePopupMenu();
    if (!menu) return true;
    MenuFacts facts = GatherFacts(modes);
    facts.playlistShown = playlist && playlist->answered;
    const MenuShape shape = ContextMenuShape(facts, uiLanguage);
    AppendEntries(menu, shape, playlist);
    // The chosen item comes back as WM_COMMAND. The host may stop and
    // unload the plug-in from inside the menu's loop.
    const ShellCallHold hold;
    TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint), control,
                     &params);
    DestroyMenu(menu);
    return !hold.StopCame();
}
