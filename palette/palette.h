// Palette tables built from ramps, hue shift and ring rotation.
#pragma once

#include <cstdint>

#include "model/ramp.h"

struct Rgb {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
static_assert(sizeof(Rgb) == 3);

// 256 entries of red, green, blue; entry i is the colour at circle position i.
struct PaletteTable {
  Rgb entry[256];
};
static_assert(sizeof(PaletteTable) == 768);

// Turns every stop's hue by `hueShift` degrees; greys and positions stay.
void ShiftRampHue(PaletteRamp& ramp, int hueShift);

// Fills `table` from the ramp with its hue shifted (the caller's ramp is not
// changed). With `whiteLast` 0 entry 255 becomes white (the ground of the ring
// views). A ramp without stops leaves the table as it was.
void BuildPaletteTable(int hueShift, const PaletteRamp& ramp, PaletteTable& table, int whiteLast);

// Turns the table round its circle by the ring angle (degrees; 359 gives 255
// places).
void RotatePaletteTable(PaletteTable& table, int ring);

// The colour at fraction t (0..1) of the table, interpolated between
// neighbouring entries; t outside 0..1 is clamped and NaN gives entry 0.
// Runs once per pixel, so it lives here to be inlined.
inline Rgb SamplePaletteTable(const PaletteTable& table, double t) {
  double v = 255.0 * t;
  if (!(v >= 0.0)) v = 0.0;  // also catches NaN
  if (v > 255.0) v = 255.0;
  const int i = static_cast<int>(v);
  const double f = v - i;
  const double g = 1.0 - f;
  const Rgb& a = table.entry[i];
  const Rgb& b = table.entry[i + 1 > 255 ? 255 : i + 1];
  return Rgb{static_cast<uint8_t>(b.red * f + a.red * g),
             static_cast<uint8_t>(b.green * f + a.green * g),
             static_cast<uint8_t>(b.blue * f + a.blue * g)};
}
