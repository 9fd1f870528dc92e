// The song title: the player's caption with the player's own name and
// what follows it cut off, or the product name when there is nothing.
#include "titletip/title_tip.h"

#include "host/host_services.h"
#include "plugin/state/plugin_state.h"

#include <cstring>

char titleText[kTitleTextSize] = {};

namespace {

constexpr std::string_view kPlayerName = "Winamp";
// GetWindowTextA's count includes the terminator.
constexpr int kCaptionReadSize = 260;

}  // namespace

std::string_view CutTitle(std::string_view caption) {
    const size_t found = caption.find(kPlayerName);
    if (found == std::string_view::npos) return caption;
    // The first character is kept even when it is a space or a dash.
    int last = static_cast<int>(found) - 1;
    while (last > 0 && (caption[last] == ' ' || caption[last] == '-')) --last;
    return caption.substr(0, static_cast<size_t>(last + 1));
}

void ReadTitle() {
    std::memset(titleText, 0, sizeof titleText);
    if (pluginState.playerWindow) {
        GetWindowTextA(pluginState.playerWindow, titleText, kCaptionReadSize);
        titleText[CutTitle(titleText).size()] = '\0';
    } else if (pluginState.titleTipTimer != 0 && pluginState.hoverTimer == 0) {
        StopTimer(pluginState.titleTipWindow, &pluginState.titleTipTimer);
        ShowWindow(pluginState.titleTipWindow, SW_HIDE);
    }
    if (titleText[0] == '\0') {
        std::memset(titleText, 0, sizeof titleText);
        lstrcpynA(titleText, kProductName, kTitleTextSize);
    }
}
