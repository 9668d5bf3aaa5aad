#include "palette/palette.h"

#include <cmath>
#include <cstring>

#include "platform/x32clr/x32clr.h"

void ShiftRampHue(PaletteRamp& ramp, int hueShift) {
  const int n = UsableStopCount(ramp);
  for (int k = 0; k < n; ++k) {
    RampStop& s = ramp.stops[k];
    const uint8_t rgb[3] = {s.red, s.green, s.blue};
    HsbColor hsb;
    ClrRgbToHsb(rgb, &hsb);
    if (hsb.hue >= kHsbNoHue) continue;
    const auto hue =
        static_cast<uint16_t>(((hsb.hue + static_cast<unsigned>(hueShift)) & 0xFFFFu) % 360u);
    // A stop whose hue does not move keeps its exact colour: whole-degree hues
    // cannot carry every colour through the conversion and back.
    if (hue == hsb.hue) continue;
    hsb.hue = hue;
    uint8_t out[3];
    ClrHsbToRgb(&hsb, out);
    s.red = out[0];
    s.green = out[1];
    s.blue = out[2];
  }
}

namespace {

uint8_t blendChannel(int c1, int c0, int64_t i, int64_t p0, int64_t p1) {
  const double v = (static_cast<double>(c1) * static_cast<double>(i - p0) +
                    static_cast<double>(c0) * static_cast<double>(p1 - i)) /
                   static_cast<double>(p1 - p0);
  return static_cast<uint8_t>(v);
}

Rgb blend(const RampStop& to, const RampStop& from, int64_t i, int64_t p0, int64_t p1) {
  return Rgb{blendChannel(to.red, from.red, i, p0, p1),
             blendChannel(to.green, from.green, i, p0, p1),
             blendChannel(to.blue, from.blue, i, p0, p1)};
}

}  // namespace

void BuildPaletteTable(int hueShift, const PaletteRamp& ramp, PaletteTable& table, int whiteLast) {
  PaletteRamp shifted = ramp;
  ShiftRampHue(shifted, hueShift);
  const int n = UsableStopCount(shifted);
  if (n > 0) {
    // Inner segments between neighbouring stops.
    for (int k = 0; k + 1 < n; ++k) {
      const RampStop& a = shifted.stops[k];
      const RampStop& b = shifted.stops[k + 1];
      const int64_t p0 = a.position, p1 = b.position;
      if (p0 >= p1) continue;
      for (int64_t i = p0; i <= p1; ++i) table.entry[i] = blend(b, a, i, p0, p1);
    }
    // Closing segment: from the last stop round to the first one a turn later.
    const RampStop& first = shifted.stops[0];
    const RampStop& last = shifted.stops[n - 1];
    const int64_t pl = last.position, pf = first.position + 256;
    for (int64_t i = pl; i <= pf; ++i) table.entry[i % 256] = blend(first, last, i, pl, pf);
  }
  if (whiteLast == 0) table.entry[255] = Rgb{255, 255, 255};
}

void RotatePaletteTable(PaletteTable& table, int ring) {
  const int64_t offset = static_cast<int64_t>((255.0 * ring + 180.0) / 359.0);
  PaletteTable old = table;
  for (int64_t i = 0; i < 256; ++i) {
    const int64_t from = (((i - offset) % 256) + 256) % 256;
    table.entry[i] = old.entry[from];
  }
}
