// The song title: the player's caption, read back into one piece when the
// player scrolls it, with the player's own name and what follows it cut
// off, or the product name when there is nothing. A title that the system's
// code page cannot hold is also kept in UTF-16.
#include "titletip/title_tip.h"

#include "host/host_services.h"
#include "plugin/state/plugin_state.h"

#include <cstring>

char titleText[kTitleTextSize] = {};
wchar_t wideTitleText[kTitleTextSize] = {};

namespace {

// GetWindowTextA/W's count includes the terminator.
constexpr int kCaptionReadSize = 260;

template <class Char>
struct CaptionWords;
template <>
struct CaptionWords<char> {
    static constexpr std::string_view player = "Winamp";
    static constexpr std::string_view scrollMarker = "- Winamp ***";
    static constexpr std::string_view stars = "***";
};
template <>
struct CaptionWords<wchar_t> {
    static constexpr std::wstring_view player = L"Winamp";
    static constexpr std::wstring_view scrollMarker = L"- Winamp ***";
    static constexpr std::wstring_view stars = L"***";
};

template <class Char>
std::basic_string_view<Char> Cut(std::basic_string_view<Char> caption) {
    const size_t found = caption.find(CaptionWords<Char>::player);
    if (found == std::basic_string_view<Char>::npos) return caption;
    // The first character is kept even when it is a space or a dash.
    int last = static_cast<int>(found) - 1;
    while (last > 0 && (caption[last] == Char(' ') || caption[last] == Char('-'))) --last;
    return caption.substr(0, static_cast<size_t>(last + 1));
}

template <class Char>
std::basic_string<Char> Restore(std::basic_string_view<Char> caption) {
    using Text = std::basic_string<Char>;
    const size_t length = caption.size();
    // Read as a circle: the caption twice holds every rotation in one piece.
    const Text twice = Text(caption) + Text(caption);
    const size_t marker = twice.find(CaptionWords<Char>::scrollMarker);
    if (marker == Text::npos || marker >= length) return Text(caption);
    size_t start = marker + CaptionWords<Char>::scrollMarker.size();
    size_t separator = CaptionWords<Char>::stars.size();
    if (twice[start % length] == Char(' ')) {
        ++start;
        ++separator;
    }
    start %= length;
    return twice.substr(start, length - separator);
}

template <class Char>
std::basic_string<Char> Title(std::basic_string_view<Char> caption) {
    const std::basic_string<Char> whole = Restore(caption);
    return std::basic_string<Char>(Cut(std::basic_string_view<Char>(whole)));
}

// The title in UTF-16 when the player's window is Unicode and the code page
// loses a character of it; empty otherwise, and then the ANSI title stands.
std::wstring ReadWideTitle(HWND player) {
    if (!IsWindowUnicode(player)) return std::wstring();
    wchar_t caption[kCaptionReadSize] = {};
    GetWindowTextW(player, caption, kCaptionReadSize);
    std::wstring title = TitleOfCaption(std::wstring_view(caption));
    if (!NeedsWideTitle(title, GetACP())) return std::wstring();
    return title;
}

}  // namespace

std::string_view CutTitle(std::string_view caption) { return Cut(caption); }
std::wstring_view CutTitle(std::wstring_view caption) { return Cut(caption); }
std::string RestoreScrolledCaption(std::string_view caption) { return Restore(caption); }
std::wstring RestoreScrolledCaption(std::wstring_view caption) { return Restore(caption); }
std::string TitleOfCaption(std::string_view caption) { return Title(caption); }
std::wstring TitleOfCaption(std::wstring_view caption) { return Title(caption); }

bool NeedsWideTitle(std::wstring_view title, UINT codePage) {
    if (title.empty()) return false;
    BOOL usedDefault = FALSE;
    // Without WC_NO_BEST_FIT_CHARS "é" would quietly become "e" on a
    // Cyrillic system and count as fitting. A code page that refuses the
    // question (UTF-8) holds every character.
    const int written = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, title.data(),
                                            static_cast<int>(title.size()), nullptr, 0, nullptr, &usedDefault);
    return written > 0 && usedDefault;
}

void ReadTitle() {
    std::memset(titleText, 0, sizeof titleText);
    std::memset(wideTitleText, 0, sizeof wideTitleText);
    if (pluginState.playerWindow) {
        const std::wstring wide = ReadWideTitle(pluginState.playerWindow);
        if (wide.empty()) {
            char caption[kCaptionReadSize] = {};
            GetWindowTextA(pluginState.playerWindow, caption, kCaptionReadSize);
            lstrcpynA(titleText, TitleOfCaption(std::string_view(caption)).c_str(), kTitleTextSize);
        } else {
            lstrcpynW(wideTitleText, wide.c_str(), kTitleTextSize);
            // The ANSI twin, as GetWindowTextA would give it, keeps the
            // emptiness tests working and follows every change of the title.
            WideCharToMultiByte(CP_ACP, 0, wideTitleText, -1, titleText, kTitleTextSize - 1, nullptr, nullptr);
        }
    } else if (pluginState.titleTipTimer != 0 && pluginState.hoverTimer == 0) {
        StopTimer(pluginState.titleTipWindow, &pluginState.titleTipTimer);
        ShowWindow(pluginState.titleTipWindow, SW_HIDE);
    }
    if (titleText[0] == '\0') {
        std::memset(titleText, 0, sizeof titleText);
        std::memset(wideTitleText, 0, sizeof wideTitleText);
        lstrcpynA(titleText, kProductName, kTitleTextSize);
    }
}
