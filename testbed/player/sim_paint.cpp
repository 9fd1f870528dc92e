// Drawing the stand-in player's face.
#include "testbed/player/sim_paint.h"

#include <cstdio>
#include <string>

#include "testbed/player/sim_values.h"

namespace player_sim {
namespace {

constexpr COLORREF kBackground = RGB(20, 24, 32);
constexpr COLORREF kCaptionColour = RGB(120, 230, 140);
constexpr COLORREF kTransportColour = RGB(200, 200, 210);
constexpr int kMargin = 6;
constexpr int kTransportHeight = 20;

// Puts the previous object back when the scope ends.
class SelectionGuard {
 public:
  SelectionGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectionGuard() { SelectObject(dc_, previous_); }
  SelectionGuard(const SelectionGuard&) = delete;
  SelectionGuard& operator=(const SelectionGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

SelectionGuard SelectIn(HDC dc, HGDIOBJ object) { return SelectionGuard(dc, object); }

std::string FormatClock(int seconds) {
  char text[16];
  snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return text;
}

// "Playing  1:02 / 3:20   vol 200"; a stream's length shows as "--:--".
std::string DescribeTransport(const PlayerModel& model, uint32_t now) {
  const char* state = model.state == PlayState::Playing  ? "Playing"
                      : model.state == PlayState::Paused ? "Paused"
                                                         : "Stopped";
  const int length = CurrentLengthSec(model);
  return std::string(state) + "  " + FormatClock(PositionMs(model, now) / 1000) + " / " +
         (length < 0 ? std::string("--:--") : FormatClock(length)) + "   vol " + std::to_string(model.volume);
}

}  // namespace

void PaintPlayer(HDC dc, const RECT& area, const PlayerRuntime& runtime, uint32_t now) {
  SetDCBrushColor(dc, kBackground);
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  auto font = SelectIn(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);

  RECT captionArea = {area.left + kMargin, area.top + kMargin, area.right - kMargin,
                      area.bottom - kMargin - kTransportHeight};
  const std::string caption = CurrentCaption(runtime);
  SetTextColor(dc, kCaptionColour);
  constexpr UINT kCaptionFormat = DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;
  if (runtime.unicodeWindow) {
    const std::wstring wide = WideFromUtf8(caption);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &captionArea, kCaptionFormat);
  } else {
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &captionArea, kCaptionFormat);
  }

  RECT transportArea = {area.left + kMargin, area.bottom - kMargin - kTransportHeight, area.right - kMargin,
                        area.bottom - kMargin};
  const std::string transport = DescribeTransport(runtime.model, now);
  SetTextColor(dc, kTransportColour);
  DrawTextA(dc, transport.c_str(), static_cast<int>(transport.size()), &transportArea,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace player_sim
