// The player's bitness as the pointer answers need it, learnt on a worker
// and remembered on the host's thread with the window it was learnt for.
#include "player/pointer_answers.h"

#include "plugin/stop_signal.h"

namespace {

struct KnownPlayer {
    HWND window = nullptr;
    DWORD processId = 0;
    PointerAnswers answers = PointerAnswers::Unknown;
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

PointerAnswers KnownPointerAnswers(HWND player) {
    if (player == nullptr || knownPlayer.window != player || knownPlayer.processId != ProcessOf(player))
        return PointerAnswers::Unknown;
    return knownPlayer.answers;
}

void RememberPointerAnswers(HWND player, PointerAnswers answers) {
    if (answers == PointerAnswers::Unknown) return;
    knownPlayer = {player, ProcessOf(player), answers};
}
