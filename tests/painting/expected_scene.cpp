// Building an expected picture and comparing a painted one with it.
#include "tests/painting/expected_scene.h"

#include <algorithm>
#include <sstream>

Scene::Scene(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {
    From(SKIN_NORMAL, RECT{0, 0, width, height});
}

Scene& Scene::From(SkinRole role, RECT area) {
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height_); ++y)
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width_); ++x)
            pixels_[y * width_ + x] = TestSkinPixel(role, x, y);
    return *this;
}

Scene& Scene::Edge(RECT area, UINT edge) {
    DibCanvas canvas(width_, height_);
    std::copy(pixels_.begin(), pixels_.end(), canvas.bits());
    DrawEdge(canvas.dc(), &area, edge, BF_RECT);
    pixels_ = canvas.Read().pixels;
    return *this;
}

::testing::AssertionResult Scene::Matches(const Image& actual) const {
    if (actual.width != width_ || actual.height != height_)
        return ::testing::AssertionFailure() << "painted " << actual.width << "x" << actual.height << ", expected "
                                             << width_ << "x" << height_;
    constexpr int kShown = 8;
    int differing = 0;
    std::ostringstream report;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (actual.At(x, y) == pixels_[y * width_ + x]) continue;
            if (differing++ < kShown)
                report << "\n  (" << x << "," << y << "): got " << DescribePixel(actual.At(x, y)) << ", want "
                       << DescribePixel(pixels_[y * width_ + x]);
        }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ" << report.str();
}
