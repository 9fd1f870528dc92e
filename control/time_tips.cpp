// The time tips' texts, built from the same percentage and seek target as
// a click on the bar, so the tip names the second the click lands on.
#include "control/time_tips.h"

#include "control/control_handlers.h"
#include "player/status_logic.h"
#include "plugin/state/plugin_state.h"

#include <algorithm>
#include <optional>

namespace {

constexpr int32_t kSecondsPerMinute = 60;
constexpr int32_t kSecondsPerHour = 3600;

void AppendNumber(std::string& text, int32_t value) {
    if (value >= 10) AppendNumber(text, value / 10);
    text += static_cast<char>('0' + value % 10);
}

void AppendTwoDigits(std::string& text, int32_t value) {
    if (value < 10) text += '0';
    AppendNumber(text, value);
}

bool PlayingOrPaused(int playerStatus) { return playerStatus == PLAYER_PLAYING || playerStatus == PLAYER_PAUSED; }

}  // namespace

std::string FormatPlayTime(int32_t seconds) {
    const int32_t hours = seconds / kSecondsPerHour;
    const int32_t minutes = seconds / kSecondsPerMinute % kSecondsPerMinute;
    std::string text;
    if (hours > 0) {
        AppendNumber(text, hours);
        text += ':';
        AppendTwoDigits(text, minutes);
    } else {
        AppendNumber(text, minutes);
    }
    text += ':';
    AppendTwoDigits(text, seconds % kSecondsPerMinute);
    return text;
}

std::string PlayTimeTip(int32_t atSec, int32_t lengthSec, int playerStatus) {
    if (lengthSec <= 0 || !PlayingOrPaused(playerStatus)) return std::string();
    // The player rounds its length down, so the last half second of a song
    // would otherwise read past its end.
    return FormatPlayTime(std::clamp(atSec, 0, lengthSec)) + " / " + FormatPlayTime(lengthSec);
}

std::string BarTimeTip(int x, const Geometry& geometry, int32_t lengthSec, int playerStatus) {
    const int percent = BarPercent(x, geometry.sideOffset, geometry.cellWidth);
    const std::optional<int32_t> target = SeekTargetMs(lengthSec, percent);
    if (!target) return std::string();
    return PlayTimeTip(WholeSeconds(*target), lengthSec, playerStatus);
}
