// How long one full paint of the control takes next to one plain copy of
// the control's size into the same target, which is the least any paint
// must cost. Two paints are timed: one that repeats the last look (what a
// repaint with nothing changed costs) and one that must compose a new look
// (the status blink flips before each, as the poll does every second).
// Samples of the paints and of the copy alternate, so both see the same
// machine. Not part of the test run.
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"
#include "skin/paint.h"
#include "tests/painting/paint_rig.h"
#include "bench/bench_figures.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kWarmUp = 200;
constexpr int kSamples = 5000;
// Calls per sample: one call is close to the timer's resolution.
constexpr int kBatch = 10;
constexpr double kBoundRatio = 10;

double TimeOneCall(const std::function<void()>& work) {
    const LARGE_INTEGER start = PerformanceNow();
    for (int i = 0; i < kBatch; ++i) work();
    return MicrosecondsBetween(start, PerformanceNow()) / kBatch;
}

struct Medians {
    double repeated, composed, blit;
};

Medians Measure(HDC target, HDC source) {
    const auto repeat = [&] { PaintControl(target); };
    const auto compose = [&] {
        pluginState.blinkPhase = !pluginState.blinkPhase;
        PaintControl(target);
    };
    const auto blit = [&] { BitBlt(target, 0, 0, controlWidth, controlHeight, source, 0, 0, SRCCOPY); };
    for (int i = 0; i < kWarmUp; ++i) {
        repeat();
        compose();
        blit();
    }
    std::vector<double> repeated, composed, blits;
    for (int i = 0; i < kSamples; ++i) {
        repeated.push_back(TimeOneCall(repeat));
        blits.push_back(TimeOneCall(blit));
        composed.push_back(TimeOneCall(compose));
    }
    return {Median(repeated), Median(composed), Median(blits)};
}

}  // namespace

int main() {
    UseGeometry(0, 3, false);  // the settings' defaults
    ResetPaintState();
    PaintRig rig;
    if (!rig.ready()) {
        std::fprintf(stderr, "cannot set up the control's stand-in window\n");
        return 1;
    }
    // Playing, pointer on Play, status symbol shown: the most layers a
    // paint draws with all five skins present.
    pluginState.playerStatus = PLAYER_PLAYING;
    positionPercent = 50;
    pluginState.blinkPhase = true;
    pluginState.hotItem = 1;
    pluginState.hoverTimer = TIMER_HOVER;

    DibCanvas source(controlWidth, controlHeight);
    const Medians m = Measure(rig.target(), source.dc());
    std::printf("control %dx%d, %d samples of %d calls each, medians per call: repeated paint %.2f us, composing paint %.2f us,"
                " BitBlt %.2f us\n",
                controlWidth, controlHeight, kSamples, kBatch, m.repeated, m.composed, m.blit);
    const std::string bound = Printed("<= %.0fx", kBoundRatio);
    PrintFigure("paint, look unchanged / BitBlt (median)", Printed("%.1fx", m.repeated / m.blit), bound,
                m.repeated <= kBoundRatio * m.blit);
    PrintFigure("paint, new look / BitBlt (median)", Printed("%.1fx", m.composed / m.blit), bound,
                m.composed <= kBoundRatio * m.blit);
    PrintFigure("paint, look unchanged (median)", Printed("%.2f us", m.repeated));
    PrintFigure("paint, new look (median)", Printed("%.2f us", m.composed));
    PrintFigure("BitBlt of the control (median)", Printed("%.2f us", m.blit));
    return 0;
}
