// The dropped files' hand-over as values.
#include "player/drop_plan.h"

namespace {

// The text in codePage when it holds every character, without the best
// fit that would quietly turn a character into a look-alike.
// UTF-8 holds every character, and WideCharToMultiByte refuses both the
// best-fit flag and the default-character report for it: there only a
// broken UTF-16 name (a lone surrogate) has no form.
bool InCodePage(std::wstring_view text, UINT codePage, std::string* out) {
    if (text.empty()) return false;
    const int length = static_cast<int>(text.size());
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr,
                                         utf8 ? nullptr : &usedDefault);
    if (size <= 0 || usedDefault) return false;
    out->assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, out->data(), size, nullptr, nullptr);
    return true;
}

// A short name is the system's own spelling, and it spells extensions in
// capitals; players that pick their decoder by extension compare it with
// lower-case ones and would list the file but never play it. The file
// system ignores the case, so the same file opens.
std::wstring WithLowerCaseExtension(std::wstring_view shortName) {
    std::wstring name(shortName);
    const size_t dot = name.find_last_of(L"\\/.");
    if (dot == std::wstring::npos || name[dot] != L'.') return name;
    for (size_t i = dot + 1; i < name.size(); ++i) {
        if (name[i] >= L'A' && name[i] <= L'Z') name[i] = static_cast<wchar_t>(name[i] - L'A' + L'a');
    }
    return name;
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
    } else if (InCodePage(WithLowerCaseExtension(shortName), codePage, &chosen.ansi)) {
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
