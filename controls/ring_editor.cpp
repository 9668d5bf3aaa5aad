#include "controls/ring_editor.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "platform/x32clr/x32clr.h"

namespace {

constexpr double kCircleSideOfD = 0.057692307692307696;  // 3/52
constexpr double kInnerRadius = 0.38461538461538464;     // 5/13
constexpr double kOuterRadius = 0.7692307692307693;      // 10/13
constexpr double kCircleRadius = 0.8846153846153846;     // 23/26

void setColour(RampStop& stop, uint32_t colour) {
  stop.red = PackedRed(colour);
  stop.green = PackedGreen(colour);
  stop.blue = PackedBlue(colour);
}

HsbColor toHsb(uint32_t colour) {
  const uint8_t rgb[3] = {PackedRed(colour), PackedGreen(colour), PackedBlue(colour)};
  HsbColor hsb{};
  ClrRgbToHsb(rgb, &hsb);
  return hsb;
}

uint32_t fromHsb(const HsbColor& hsb) {
  uint8_t rgb[3] = {};
  ClrHsbToRgb(&hsb, rgb);
  return PackColour(rgb[0], rgb[1], rgb[2]);
}

bool isGrey(uint32_t c) {
  return PackedRed(c) == PackedGreen(c) && PackedGreen(c) == PackedBlue(c);
}

}  // namespace

RingEditorGeometry MakeRingEditorGeometry(int clientWidth, int clientHeight) {
  const int d = std::min(clientWidth - 8, clientHeight - 8);
  return RingEditorGeometry{d, d / 2 + 4, d / 2 + 4,
                            static_cast<int>(std::trunc(d * kCircleSideOfD * 0.5))};
}

RingHit HitTestRing(const RingEditorGeometry& g, int x, int y, int ring) {
  constexpr double pi = std::numbers::pi;
  const double dx = x - g.cx;
  const double dy = y - g.cy;
  double theta = std::atan2(dy, dx) + pi - ring * pi / 180.0;
  if (theta < 0) theta += 2.0 * pi;
  int position = static_cast<int>(std::trunc(0.5 + 255.0 * theta / (2.0 * pi)));
  if (position == 255) position = 254;
  const double nx = 2.0 * dx / g.d;
  const double ny = 2.0 * dy / g.d;
  const double rho = std::sqrt(nx * nx + ny * ny);
  const int zone = rho < kInnerRadius ? kRingHole : (rho > kOuterRadius ? kRingOutside : kRingOn);
  return RingHit{zone, position};
}

CtlPoint StopCircleCentre(const RingEditorGeometry& g, int position, int ring) {
  double t = ring / 359.0 + position / 255.0;
  if (t > 1.0) t -= 1.0;
  const double a = 2.0 * std::numbers::pi * t;
  const double radius = (g.d / 2) * kCircleRadius;
  return CtlPoint{static_cast<int>(std::trunc(g.cx - std::cos(a) * radius)),
                  static_cast<int>(std::trunc(g.cy - std::sin(a) * radius))};
}

uint32_t StopColour(const RampStop& stop) { return PackColour(stop.red, stop.green, stop.blue); }

uint32_t ApplyHueShift(uint32_t colour, int hueShift) {
  colour &= 0xFFFFFFu;
  if (isGrey(colour)) return colour;
  HsbColor hsb = toHsb(colour);
  if (hsb.hue < kHsbNoHue) {
    int hue = hsb.hue + hueShift;
    while (hue >= 360) hue -= 360;
    while (hue < 0) hue += 360;  // a negative shift is not expected; kept in range
    hsb.hue = static_cast<uint16_t>(hue);
  }
  return fromHsb(hsb);
}

uint32_t RemoveHueShift(uint32_t shown, int hueShift) {
  shown &= 0xFFFFFFu;
  if (isGrey(shown)) return shown;
  HsbColor hsb = toHsb(shown);
  int hue = static_cast<int>(hsb.hue) - hueShift;
  while (hue < 0) hue += 360;
  hsb.hue = static_cast<uint16_t>(hue % 360);
  return fromHsb(hsb);
}

int FindStop(const PaletteRamp& ramp, int position) {
  const int n = UsableStopCount(ramp);
  for (int i = 0; i < n; ++i)
    if (ramp.stops[i].position == position) return i;
  return -1;
}

int SortStop(PaletteRamp& ramp, int index) {
  const int n = UsableStopCount(ramp);
  if (index < 0 || index >= n) return index;
  const int start = index;
  while (index > 0 && ramp.stops[index - 1].position >= ramp.stops[index].position) {
    std::swap(ramp.stops[index - 1], ramp.stops[index]);
    --index;
  }
  if (index != start) return index;
  while (index + 1 < n && ramp.stops[index + 1].position <= ramp.stops[index].position) {
    std::swap(ramp.stops[index + 1], ramp.stops[index]);
    ++index;
  }
  return index;
}

void RemoveStopAt(PaletteRamp& ramp, int index) {
  const int n = UsableStopCount(ramp);
  if (index < 0 || index >= n) return;
  for (int i = index; i + 1 < n; ++i) ramp.stops[i] = ramp.stops[i + 1];
  ramp.stops[n - 1] = RampStop{};
  ramp.count = n - 1;
}

StopEditResult AddOrRecolourStop(PaletteRamp& ramp, int position, uint32_t colour) {
  const int found = FindStop(ramp, position);
  if (found >= 0) {
    if (StopColour(ramp.stops[found]) == (colour & 0xFFFFFFu)) return {StopEdit::kNone, -1};
    setColour(ramp.stops[found], colour);
    return {StopEdit::kRecoloured, found};
  }
  const int n = UsableStopCount(ramp);
  if (n >= 256 || position < 0 || position > 255) return {StopEdit::kNone, -1};
  ramp.stops[n].position = static_cast<uint8_t>(position);
  setColour(ramp.stops[n], colour);
  ramp.count = n + 1;
  return {StopEdit::kAdded, SortStop(ramp, n)};
}

StopMoveResult MoveStop(PaletteRamp& ramp, int from, int to, uint32_t colour) {
  StopMoveResult result{false, false, -1};
  if (to < 0 || to > 255) return result;
  if (from != to) {
    const int other = FindStop(ramp, to);
    if (other >= 0) {
      RemoveStopAt(ramp, other);
      result.replaced = true;
    }
  }
  const int index = FindStop(ramp, from);
  if (index < 0) return result;
  ramp.stops[index].position = static_cast<uint8_t>(to);
  setColour(ramp.stops[index], colour);
  result.moved = true;
  result.index = SortStop(ramp, index);
  return result;
}

bool DeleteStop(PaletteRamp& ramp, int position) {
  const int index = FindStop(ramp, position);
  if (index < 0) return false;
  RemoveStopAt(ramp, index);
  return true;
}

bool RecolourStop(PaletteRamp& ramp, int position, uint32_t colour) {
  const int index = FindStop(ramp, position);
  if (index < 0) return false;
  setColour(ramp.stops[index], colour);
  return true;
}
