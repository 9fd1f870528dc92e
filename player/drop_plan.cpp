// The dropped files' hand-over as values.
#include "player/drop_plan.h"

namespace {

// The text in codePage when it holds every character, without the best
// fit that would quietly turn a character into a look-alike.
bool InCodePage(std::wstring_view text, UINT codePage, std::string* out) {
    if (text.empty()) return false;
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr,
                                         &usedDefault);
    if (size <= 0 || usedDefault) return false;
    out->assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), length, out->data(), size, nullptr, nullptr);
    return true;
}

}  // namespace

NameForPlayer ChooseNameForPlayer(std::wstring_view name, UINT codePage, bool unicodeWindow,
                                  std::wstring_view shortName) {
    NameForPlayer chosen;
    if (InCodePage(name, codePage, &chosen.ansi)) {
        chosen.form = NameForPlayer::Ansi;
    } else if (unicodeWindow) {
        chosen.form = NameForPlayer::Wide;
        chosen.wide.assign(name);
    } else if (InCodePage(shortName, codePage, &chosen.ansi)) {
        chosen.form = NameForPlayer::Ansi;
    }
    return chosen;
}

std::vector<HandOverStep> HandOverSteps(size_t fileCount, bool append) {
    std::vector<HandOverStep> steps;
    if (fileCount == 0) return steps;
    if (!append) steps.push_back({HandOverStep::Ipc, IPC_CLEAR_PLAYLIST, 0, 0});
    for (size_t i = 0; i < fileCount; ++i) steps.push_back({HandOverStep::File, 0, 0, i});
    if (!append) {
        steps.push_back({HandOverStep::Ipc, IPC_SET_PLAYLIST_POSITION, 0, 0});
        steps.push_back({HandOverStep::Ipc, IPC_PLAY_CURRENT, 0, 0});
    }
    return steps;
}
