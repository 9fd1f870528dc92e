// The status poll's pure decisions.
#include "player/status_logic.h"

#include "host/host_services.h"
#include "plugin/state/plugin_state.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int32_t kAnswerStopped = 0;
constexpr int32_t kAnswerPlaying = 1;
constexpr int32_t kAnswerPaused = 3;
// A position is asked a little after its tick is taken, and a player's
// clock runs on its own.
constexpr int64_t kStartedOverSlackMs = 250;

}  // namespace

StatusReading ReadStatus(int32_t positionMs, int32_t stateAnswer, int32_t lastPositionMs, bool positionKnown) {
    StatusReading reading{stateAnswer, positionKnown && positionMs == lastPositionMs, positionMs};
    if (stateAnswer == kAnswerStopped) reading.positionUnchanged = false;
    reading.answer = StateShown(stateAnswer, reading.positionUnchanged);
    return reading;
}

int32_t StateShown(int32_t stateAnswer, bool positionUnchanged) {
    return stateAnswer == kAnswerPlaying && positionUnchanged ? kAnswerPaused : stateAnswer;
}

int32_t MapPlayStatus(int32_t answer) {
    switch (answer) {
        case kAnswerStopped: return PLAYER_STOPPED;
        case kAnswerPlaying: return PLAYER_PLAYING;
        case kAnswerPaused: return PLAYER_PAUSED;
        default: return answer;
    }
}

int32_t WholeSeconds(int32_t positionMs) { return RoundHalfAway(positionMs / 1000.0L); }

int32_t PositionPercent(int32_t positionMs, int32_t lengthSec) {
    if (lengthSec <= 0) return 0;
    const int seconds = WholeSeconds(positionMs);
    const int percent = RoundHalfAway(static_cast<long double>(seconds) / lengthSec * 100.0L);
    // The player rounds its length down, so the last half second of a track
    // would read 101.
    return std::clamp(percent, 0, 100);
}

std::optional<int32_t> SeekTargetMs(int32_t lengthSec, int32_t percent) {
    if (lengthSec <= 0 || percent < 0) return std::nullopt;
    const int64_t target = static_cast<int64_t>(lengthSec) * percent * 10;
    return static_cast<int32_t>(std::min<int64_t>(target, std::numeric_limits<int32_t>::max()));
}

bool SongMayHaveChanged(const SongReading& before, const SongReading& now) {
    if (now.entry != before.entry) return true;
    const int64_t sinceBefore = static_cast<uint32_t>(now.askedAt - before.askedAt);
    return now.positionMs < before.positionMs && now.positionMs <= sinceBefore + kStartedOverSlackMs;
}
