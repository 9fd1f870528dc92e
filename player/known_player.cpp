// What is known of one player window: its bitness, learnt on a worker, and
// what its answers showed, remembered on the host's thread with the window
// they were learnt for.
#include "player/known_player.h"

#include "plugin/stop_signal.h"

namespace {

struct KnownPlayer {
    HWND window = nullptr;
    DWORD processId = 0;
    PlayerFacts facts;
};
KnownPlayer knownPlayer;
const ForgottenAtStop knownPlayerForgotten([] { knownPlayer = KnownPlayer{}; });

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

bool UnderWow64(HANDLE process, bool* wow64) {
    BOOL answer = FALSE;
    if (!IsWow64Process(process, &answer)) return false;
    *wow64 = answer != FALSE;
    return true;
}

}  // namespace

PointerAnswers LearnPointerAnswers(HWND player) {
    bool self = false;
    if (!UnderWow64(GetCurrentProcess(), &self)) return PointerAnswers::Unknown;
    // On a 32-bit system every process is 32-bit: nothing to ask the player.
    if (!self) return PointerAnswers::Readable;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ProcessOf(player));
    if (!process) return PointerAnswers::Unknown;
    bool playerWow64 = false;
    const bool asked = UnderWow64(process, &playerWow64);
    CloseHandle(process);
    return asked ? PointerAnswersFor(self, playerWow64) : PointerAnswers::Unknown;
}

PlayerFacts KnownFacts(HWND player) {
    if (player == nullptr || knownPlayer.window != player || knownPlayer.processId != ProcessOf(player)) return {};
    return knownPlayer.facts;
}

// What was known of another window goes: the window has changed hands.
PlayerFacts& FactsToLearn(HWND player) {
    const DWORD processId = ProcessOf(player);
    if (knownPlayer.window != player || knownPlayer.processId != processId) knownPlayer = {player, processId, {}};
    return knownPlayer.facts;
}

void RememberPointerAnswers(HWND player, PointerAnswers answers) {
    if (answers != PointerAnswers::Unknown) FactsToLearn(player).pointers = answers;
}

void RememberNarrowTitles(HWND player) { FactsToLearn(player).narrowTitles = true; }
