// The context menu's wait for the player's answers. The host's thread
// sends nothing to the player: the menu's worker asks for shuffle, repeat
// and the playlist, and the menu opens when its answers come back, at the
// point it was asked for. A right-click asks at the button's press, so
// that by its release, which asks for the menu, the answers are mostly in. The worker does one job at a time, asking or
// setting, so a menu asked for while a change is still out is asked for
// once the change has ended. A right-click goes on to the host's taskbar
// only once the menu has closed, as it would had the menu opened at once:
// a host that answers it with a menu of its own must not show two.
#include "control/control_handlers.h"

#include "player/player_link.h"
#include "player/playlist.h"
#include "plugin/library_hold.h"
#include "plugin/state/plugin_state.h"
#include "plugin/stop_signal.h"

#include <memory>

namespace {

constexpr PlayerModes kUnanswered = {ModeAnswer::Unanswered, ModeAnswer::Unanswered};
// Answers asked at a press serve the menu of a release within this time;
// a button held longer is asked again.
constexpr DWORD kPressAnswersFreshMs = 1000;

// What the worker answered for a press before any menu was asked for. Its
// playlist is copied out of the worker's job, which a worker whose wait
// fails takes with it, into pressPlaylist.
struct PressAnswers {
    bool ready = false;
    HWND player = nullptr;
    DWORD at = 0;
    PlayerModes modes = {ModeAnswer::Unanswered, ModeAnswer::Unanswered};
};

// The menu's way from a right-click to the items it shows; forgotten at
// every stop.
struct MenuFlow {
    // Right-clicks whose menu waits for the player's answers; each goes on
    // to the taskbar once the menu has closed.
    int clicksWaiting = 0;
    LPARAM point = 0;      // where it opens: WM_CONTEXTMENU's lParam
    bool asking = false;   // the worker asks, rather than sets
    PlayerModes shown = kUnanswered;  // what the last menu showed
    bool askedAtPress = false;  // the job out was handed at a press
    PressAnswers pressAnswers;
};
MenuFlow menuFlow;
// On the heap: a static one would cost the library its size on disk.
std::unique_ptr<PlaylistPart> pressPlaylist;
const ForgottenAtStop menuFlowForgotten([] {
    menuFlow = MenuFlow{};
    pressPlaylist.reset();
});

// The default procedure hands a child's WM_CONTEXTMENU to its parent, the
// host's taskbar, which may run a menu of its own: false when the plug-in
// was stopped meanwhile.
bool PassRightClickOn(LPARAM screenPoint) {
    const ShellCallHold hold;
    const HWND control = pluginState.controlWindow;
    DefWindowProcA(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), screenPoint);
    return !hold.StopCame();
}

bool ShowMenu(LPARAM screenPoint, PlayerModes modes, const PlaylistPart* playlist) {
    menuFlow.shown = modes;
    return OpenContextMenu(screenPoint, modes, playlist);
}

// Opens the menu, then lets every right-click that waited for it go on.
void OpenMenuForWaitingClicks(PlayerModes modes, const PlaylistPart* playlist = nullptr) {
    const int waiting = menuFlow.clicksWaiting;
    const LPARAM point = menuFlow.point;
    menuFlow.clicksWaiting = 0;
    // Files being handed to the player own it, and show no menu.
    if (!pluginState.dropBusy && !ShowMenu(point, modes, playlist)) return;
    for (int i = 0; i < waiting; ++i)
        if (!PassRightClickOn(point)) return;
}

// Hands the worker the questions; what a press's answers pointed at is the
// old job's and goes with it.
bool StartQuestions() {
    menuFlow.pressAnswers = PressAnswers{};
    menuFlow.asking = true;
    return StartModeQuestions(pluginState.playerWindow);
}

void AskForMenu() {
    if (StartQuestions()) return;
    // Nothing can ask: as a player that does not answer.
    OpenMenuForWaitingClicks(kUnanswered);
}

// Opens the menu at once with the answers a press asked for, when they are
// there, recent and for the player there is now.
bool OpenWithPressAnswers() {
    const PressAnswers answers = menuFlow.pressAnswers;
    menuFlow.pressAnswers = PressAnswers{};
    if (!answers.ready || answers.player != pluginState.playerWindow ||
        GetTickCount() - answers.at > kPressAnswersFreshMs)
        return false;
    OpenMenuForWaitingClicks(answers.modes, pressPlaylist.get());
    return true;
}

// Right-clicks wait only while the worker has a job: one lost with a
// worker whose wait failed never answers, and would leave the menu deaf.
void ForgetAJobLostWithItsWorker() {
    if ((menuFlow.clicksWaiting > 0 || menuFlow.askedAtPress) && !ModesWorkerBusy()) {
        menuFlow.clicksWaiting = 0;
        menuFlow.askedAtPress = false;
    }
}

}  // namespace

void OnRightButtonDown() {
    ForgetAJobLostWithItsWorker();
    if (pluginState.dropBusy || menuFlow.clicksWaiting > 0 || ModesWorkerBusy() || !FindPlayer()) return;
    menuFlow.askedAtPress = StartQuestions();
}

void OnContextMenu(LPARAM screenPoint) {
    if (pluginState.dropBusy) {
        PassRightClickOn(screenPoint);
        return;
    }
    if (!FindPlayer()) {
        if (ShowMenu(screenPoint, kUnanswered, nullptr)) PassRightClickOn(screenPoint);
        return;
    }
    ForgetAJobLostWithItsWorker();
    // A second request while one waits moves it to the newer point.
    menuFlow.point = screenPoint;
    if (menuFlow.clicksWaiting++ > 0) return;
    if (ModesWorkerBusy() || OpenWithPressAnswers()) return;
    AskForMenu();
}

void FinishModes(WPARAM poster, LPARAM packedModes) {
    const PlaylistPart* playlist = FinishModesJob(poster);
    if (!playlist) return;
    const bool askedAtPress = menuFlow.askedAtPress;
    menuFlow.askedAtPress = false;
    if (menuFlow.clicksWaiting == 0) {
        if (askedAtPress) {
            menuFlow.pressAnswers = {true, pluginState.playerWindow, GetTickCount(), UnpackModes(packedModes)};
            pressPlaylist = std::make_unique<PlaylistPart>(*playlist);
        }
        return;
    }
    if (!menuFlow.asking) {
        AskForMenu();
        return;
    }
    OpenMenuForWaitingClicks(UnpackModes(packedModes), playlist);
}

void ChangePlayerMode(UINT id) {
    const ModeAnswer answer = id == CMD_SHUFFLE ? menuFlow.shown.shuffle : menuFlow.shown.repeat;
    if (answer == ModeAnswer::Unanswered || ModesWorkerBusy()) return;
    menuFlow.pressAnswers = PressAnswers{};
    StartModeChange(pluginState.playerWindow, id == CMD_SHUFFLE ? SET_SHUFFLE : SET_REPEAT,
                    answer == ModeAnswer::Off);
    menuFlow.asking = false;
}
