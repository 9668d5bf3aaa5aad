#include "platform/x32clr/x32clr.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t toByte(double v) {
  const double r = std::floor(v + 0.5);
  return static_cast<uint8_t>(std::clamp(r, 0.0, 255.0));
}

}  // namespace

void ClrRgbToHsb(const uint8_t* rgb, HsbColor* hsb) {
  const int r = rgb[0], g = rgb[1], b = rgb[2];
  const int mx = std::max({r, g, b});
  const int mn = std::min({r, g, b});
  const int delta = mx - mn;
  hsb->brightness = static_cast<uint16_t>(mx);
  if (delta == 0) {
    hsb->hue = kHsbNoHue;
    hsb->saturation = 0;
    return;
  }
  hsb->saturation = static_cast<uint16_t>((delta * 255 + mx / 2) / mx);
  double h;
  if (mx == r)
    h = 60.0 * (g - b) / delta;
  else if (mx == g)
    h = 60.0 * (b - r) / delta + 120.0;
  else
    h = 60.0 * (r - g) / delta + 240.0;
  int hue = static_cast<int>(std::floor(h + 0.5));
  hue = ((hue % 360) + 360) % 360;
  hsb->hue = static_cast<uint16_t>(hue);
}

void ClrHsbToRgb(const HsbColor* hsb, uint8_t* rgb) {
  const double v = std::min<int>(hsb->brightness, 255);
  const double s = std::min<int>(hsb->saturation, 255) / 255.0;
  if (hsb->hue >= kHsbNoHue || s == 0.0) {
    rgb[0] = rgb[1] = rgb[2] = toByte(v);
    return;
  }
  const double h = hsb->hue / 60.0;
  const int sector = static_cast<int>(std::floor(h));
  const double f = h - sector;
  const double p = v * (1.0 - s);
  const double q = v * (1.0 - s * f);
  const double t = v * (1.0 - s * (1.0 - f));
  double r, g, b;
  switch (sector) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
  }
  rgb[0] = toByte(r);
  rgb[1] = toByte(g);
  rgb[2] = toByte(b);
}
