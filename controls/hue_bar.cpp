#include "controls/hue_bar.h"

#include <cmath>

#include "platform/x32clr/x32clr.h"

int HueFromX(int x, int stripWidth) {
  if (stripWidth < 2) return 0;
  return static_cast<int>(std::trunc((x - 1) * 359.0 / (stripWidth - 1) + 0.5));
}

int ClampHue(int hue) { return hue < 0 ? 0 : (hue > kHueMax ? kHueMax : hue); }

int HueMarkerColumn(int hue, int stripWidth) {
  if (stripWidth < 2) return 1;
  return static_cast<int>(std::trunc(0.5 + (stripWidth - 1) * static_cast<double>(hue) / 359.0)) +
         1;
}

int HueStripColumnHue(int x, int stripWidth) {
  if (stripWidth < 2) return 0;
  return static_cast<int>(std::trunc(0.5 + x * 359.0 / (stripWidth - 1))) % 360;
}

void BuildHueStripLine(int stripWidth, uint8_t* line) {
  for (int x = 0; x < stripWidth; ++x) {
    const HsbColor hsb{static_cast<uint16_t>(HueStripColumnHue(x, stripWidth)), 255, 255};
    ClrHsbToRgb(&hsb, line + 3 * x);
  }
}

HueKeyOutcome HueAfterKey(int hue, HueKey key) {
  switch (key) {
    case HueKey::kLeft: return hue > 0 ? HueKeyOutcome{hue - 1, true} : HueKeyOutcome{hue, false};
    case HueKey::kRight:
      return hue < kHueMax ? HueKeyOutcome{hue + 1, true} : HueKeyOutcome{hue, false};
    case HueKey::kUp:
    case HueKey::kDown: return {hue, true};
    case HueKey::kOther: break;
  }
  return {hue, false};
}
