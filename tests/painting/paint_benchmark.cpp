// How long one full paint of the control takes next to one plain copy of
// the control's size, which is the least any paint must cost. Reports the
// median of each and their ratio. Not part of the test run.
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"
#include "skin/paint.h"
#include "tests/painting/paint_rig.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kWarmUp = 200;
constexpr int kSamples = 5000;

double MedianMicroseconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < kWarmUp; ++i) work();
    std::vector<double> samples(kSamples);
    for (double& sample : samples) {
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&stop);
        sample = 1e6 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    std::nth_element(samples.begin(), samples.begin() + kSamples / 2, samples.end());
    return samples[kSamples / 2];
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
    const HDC target = rig.target();
    const double paint = MedianMicroseconds([&] { PaintControl(target); });
    const double blit = MedianMicroseconds(
        [&] { BitBlt(target, 0, 0, controlWidth, controlHeight, source.dc(), 0, 0, SRCCOPY); });
    std::printf("control %dx%d, %d samples each\n", controlWidth, controlHeight, kSamples);
    std::printf("PaintControl median: %.2f us\n", paint);
    std::printf("BitBlt median:       %.2f us\n", blit);
    std::printf("ratio:               %.1f\n", paint / blit);

    // What each layer costs before it draws a pixel: DrawCell's own context
    // and cell bitmap, made, selected and released.
    const double scratch = MedianMicroseconds([&] {
        HDC dc = CreateCompatibleDC(target);
        HBITMAP bitmap = CreateCompatibleBitmap(target, cellWidth, cellHeight);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    });
    std::printf("one scratch context and cell bitmap: %.2f us\n", scratch);
    return 0;
}
