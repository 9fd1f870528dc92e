// The soak's events: one table of kinds with their weights, one small
// function each. Events that would take the player away, or stop the
// plug-in, wait while a drop is still expected at the player. Cover events
// name the soak's music files (soak_cover_files.h) to the player.
#include "testbed/soak/soak.h"

#include "testbed/common/files.h"
#include "testbed/player/player_sim_client.h"
#include "testbed/player/player_sim_protocol.h"
#include "testbed/shell/scene_runner.h"
#include "testbed/shell/scene_script.h"

#include <array>
#include <string>

namespace {

constexpr UINT kMenuItems[] = {1026, 1027, 1029, 1031};  // none opens a box of ours
constexpr WPARAM kPlayerNext = 40048;
constexpr WPARAM kPlayerPrevious = 40044;
constexpr int kBarCell = -1;
constexpr int kEmptyPlace = -2;
constexpr int kOnOffCell = 0;

HWND Player() { return FindPlayerSimWindow(); }

bool PlayerAwake(const Soak& soak) {
    return Player() != nullptr && static_cast<LONG>(GetTickCount() - soak.playerAwakeAt) >= 0;
}

// A client point on a cell, on the position bar or on the empty margin.
POINT TargetPoint(Soak& soak, int target) {
    RECT rect = {};
    GetWindowRect(SoakControl(soak), &rect);
    if (target == kBarCell) return {soak.Uniform(7, 46), 1};
    if (target == kEmptyPlace) return {soak.Uniform(0, 5), soak.Uniform(3, 20)};
    const POINT screen = CellPoint(rect, target);
    return {screen.x - rect.left, screen.y - rect.top};
}

int RandomTarget(Soak& soak) {
    const int pick = soak.Uniform(kEmptyPlace, 9);
    // On/Off closes a running player: not while a drop is on its way to it.
    return pick == kOnOffCell && DropPending(soak) ? kEmptyPlace : pick;
}

void PressShift(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_SHIFT;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void PointAt(Soak& soak, POINT client) {
    HWND control = SoakControl(soak);
    ClientToScreen(control, &client);
    SetCursorPos(client.x, client.y);
}

void MovePointer(Soak& soak) {
    HWND control = SoakControl(soak);
    if (!control || soak.Chance(20)) {
        SetCursorPos(soak.Uniform(300, 700), soak.Uniform(100, 400));
        return;
    }
    PointAt(soak, TargetPoint(soak, RandomTarget(soak)));
}

void Click(Soak& soak) {
    HWND control = SoakControl(soak);
    if (!control) return;
    const POINT point = TargetPoint(soak, RandomTarget(soak));
    PointAt(soak, point);
    RunShell(soak, 20);
    // After the move: a pointer move lets Shift go.
    const bool shift = soak.Chance(20);
    if (shift) PressShift(0);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    RunShell(soak, soak.Uniform(0, 150));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    RunShell(soak, 30);
    if (shift) PressShift(KEYEVENTF_KEYUP);
}

void DoubleClick(Soak& soak) {
    if (HWND control = SoakControl(soak)) {
        const POINT point = TargetPoint(soak, kEmptyPlace);
        PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    }
}

void MiddleClick(Soak& soak) {
    if (HWND control = SoakControl(soak)) PostMessageA(control, WM_MBUTTONUP, 0, 0);
}

void Wheel(Soak& soak) {
    HWND control = SoakControl(soak);
    if (!control) return;
    static constexpr std::array<short, 6> kDeltas = {120, -120, 60, -60, 240, -360};
    const short delta = kDeltas[soak.Uniform(0, kDeltas.size() - 1)];
    RECT rect;
    GetWindowRect(control, &rect);
    PostMessageA(control, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(rect.left + 20, rect.top + 10));
}

std::string DroppedName(Soak& soak, int index) {
    std::string name = "C:\\Soak\\" + std::to_string(++soak.dropCount) + "-" + std::to_string(index);
    switch (soak.Uniform(0, 3)) {
    case 0: name += " with spaces"; break;
    case 1: name += " \xcf\xe5\xf1\xed\xff"; break;  // Russian, code page 1251
    case 2: name += "\\" + std::string(soak.Uniform(250, 300), 'n'); break;  // past the old 260 bound
    default: break;
    }
    return name + ".mp3";
}

void Drop(Soak& soak) {
    HWND control = SoakControl(soak);
    if (!control) return;
    std::vector<std::string> names;
    for (int i = soak.Uniform(1, 3); i > 0; --i) names.push_back(DroppedName(soak, i));
    // Files dropped on a player that is running and awake must reach it.
    if (PlayerAwake(soak)) soak.drops.push_back({names, GetTickCount() + 20000, soak.event});
    HGLOBAL list = MakeDropList(names, {20, 10});
    if (list && !PostMessageA(control, WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0)) GlobalFree(list);
}

void MenuCommand(Soak& soak) {
    if (HWND control = SoakControl(soak)) {
        PostMessageA(control, WM_COMMAND, kMenuItems[soak.Uniform(0, std::size(kMenuItems) - 1)], 0);
    }
}

void RestartPlugin(Soak& soak) {
    if (DropPending(soak)) return;
    StopSoakPlugin(soak);
    RunShell(soak, soak.Uniform(0, 300));
    StartSoakPlugin(soak);
}

// The next player, started by the soak or by the plug-in, comes with a
// caption of its own now and then: in another script, or scrolling.
void ChoosePlayerCaption(Soak& soak) {
    PlayerSimOptions options;
    options.logPath = soak.simLogPath;
    switch (soak.Uniform(0, 5)) {
    case 0: options.utf8Caption = "1. \xD0\x9B\xD0\xB5\xD0\xBD\xD0\xB0 - \xCE\x91\xCF\x83\xCE\xB7 - Winamp"; break;
    case 1: options.scrollMs = soak.Uniform(50, 400); break;
    case 2: options.commandDelayMs = soak.Uniform(20, 200); break;
    default: break;
    }
    const std::string path = soak.scratchDir + "\\player.ini";
    WriteWholeFile(path, FormatPlayerSimConfig(options, soak.simLogPath));
    SetEnvironmentVariableA(player_sim::kConfigEnvVar, path.c_str());
}

void StartPlayer(Soak& soak) {
    if (Player()) return;
    ChoosePlayerCaption(soak);
    if (HANDLE process = LaunchPlayerSim("")) CloseHandle(process);
}

void QuitPlayer(Soak& soak) {
    if (!DropPending(soak) && Player()) PostMessageA(Player(), WM_CLOSE, 0, 0);
}

void KillPlayer(Soak& soak) {
    HWND player = Player();
    if (DropPending(soak) || !player) return;
    DWORD id = 0;
    GetWindowThreadProcessId(player, &id);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
        TerminateProcess(process, 9);
        CloseHandle(process);
    }
}

void HangPlayer(Soak& soak) {
    if (DropPending(soak) || !PlayerAwake(soak)) return;
    const int hangMs = soak.Uniform(200, 3000);
    if (!SendPlayerSimControl(Player(), "hang " + std::to_string(hangMs))) return;
    // The hang starts with the player's next query; ask one now.
    PostMessageA(Player(), WM_USER, 0, 104);
    soak.playerAwakeAt = GetTickCount() + static_cast<DWORD>(hangMs) + 200;
}

// Tells the player something, unless it hangs (the soak would hang with it).
void TellPlayer(Soak& soak, const std::string& command) {
    if (PlayerAwake(soak)) SendPlayerSimControl(Player(), command);
}

void SlowPlayer(Soak& soak) { TellPlayer(soak, "delay " + std::to_string(soak.Chance(50) ? 0 : soak.Uniform(1, 300))); }

void ChangeTrack(Soak& soak) {
    if (HWND player = Player()) PostMessageA(player, WM_COMMAND, soak.Chance(70) ? kPlayerNext : kPlayerPrevious, 0);
}

void ChangePlayerState(Soak& soak) {
    static constexpr const char* kStates[] = {"state playing", "state paused", "state stopped"};
    TellPlayer(soak, kStates[soak.Uniform(0, 2)]);
}

void StreamOrTrack(Soak& soak) { TellPlayer(soak, soak.Chance(50) ? "length -1" : "length 200"); }

void ChangeCaption(Soak& soak) {
    switch (soak.Uniform(0, 3)) {
    case 0: TellPlayer(soak, "caption A caption without the player's name"); break;
    case 1: TellPlayer(soak, "caption " + std::string(soak.Uniform(200, 600), 'w') + " - Winamp"); break;
    case 2: TellPlayer(soak, "positions " + std::string(soak.Chance(50) ? "off" : "on")); break;
    default: TellPlayer(soak, "caption-auto"); break;
    }
}

const CoverName& RandomCover(Soak& soak) {
    const std::vector<CoverName>& names = soak.covers.names;
    const CoverName& name = names[static_cast<size_t>(soak.Uniform(0, static_cast<int>(names.size()) - 1))];
    soak.lastCoverNamed = name.label;
    ++soak.coverNamings;
    return name;
}

// A title of its own for every naming, so that the plug-in sees a new song.
std::string CoverTitle(const Soak& soak, const CoverName& name) {
    return "Cover " + std::to_string(soak.event) + " - " + name.label;
}

// A few of the files as the whole playlist, for track changes to walk
// through and for songs to come back while their covers are kept.
void CoverPlaylist(Soak& soak, bool unicode) {
    std::vector<PlayerSimTrack> tracks;
    for (int i = soak.Uniform(2, 5); i > 0; --i) {
        const CoverName& name = RandomCover(soak);
        // A playlist entry's empty file would read as none at all.
        if (!name.path.empty())
            tracks.push_back({CoverTitle(soak, name), 200, CoverNameForPlayer(soak.scratchDir, name, unicode)});
    }
    SendPlayerSimPlaylist(Player(), tracks);
}

// The player's current entry names one of the soak's music files, then
// takes a new title, so that the plug-in looks for that file's cover.
void ChangeCover(Soak& soak) {
    if (soak.covers.names.empty() || !PlayerAwake(soak)) return;
    // The player takes names in UTF-8 on a Unicode window.
    const bool unicode = IsWindowUnicode(Player()) != FALSE;
    if (soak.Chance(15)) {
        CoverPlaylist(soak, unicode);
        return;
    }
    const CoverName& name = RandomCover(soak);
    TellPlayer(soak, "file " + CoverNameForPlayer(soak.scratchDir, name, unicode));
    TellPlayer(soak, "title " + CoverTitle(soak, name));
}

void Idle(Soak& soak) { RunShell(soak, soak.Uniform(100, 600)); }

struct EventKind {
    const char* name;
    int weight;
    void (*run)(Soak&);
};

constexpr EventKind kEventKinds[] = {
    {"pointer move", 16, MovePointer},   {"click", 18, Click},
    {"double click", 3, DoubleClick},    {"middle click", 3, MiddleClick},
    {"wheel", 6, Wheel},                 {"drop", 5, Drop},
    {"menu command", 3, MenuCommand},    {"stop and start", 1, RestartPlugin},
    {"player start", 4, StartPlayer},    {"player quits", 1, QuitPlayer},
    {"player killed", 1, KillPlayer},    {"player hangs", 2, HangPlayer},
    {"slow answers", 2, SlowPlayer},     {"track change", 4, ChangeTrack},
    {"player state", 4, ChangePlayerState}, {"stream", 1, StreamOrTrack},
    {"caption", 2, ChangeCaption},       {"idle", 6, Idle},
    {"cover", 5, ChangeCover},
};

}  // namespace

void RunRandomEvent(Soak& soak) {
    int total = 0;
    for (const EventKind& kind : kEventKinds) total += kind.weight;
    int pick = soak.Uniform(1, total);
    for (const EventKind& kind : kEventKinds) {
        pick -= kind.weight;
        if (pick > 0) continue;
        soak.eventKind = kind.name;
        kind.run(soak);
        break;
    }
    RunShell(soak, soak.Uniform(10, 80));
}
