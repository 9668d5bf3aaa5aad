// Palette ramps: colour stops laid round a circle of 256 positions.
#pragma once

#include <cstddef>
#include <cstdint>

struct RampStop {
  uint8_t position;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
static_assert(sizeof(RampStop) == 4);

// 257 words: the stop count, then 256 stop slots (only the first `count` are
// meaningful). Always copied whole.
struct PaletteRamp {
  int32_t count;
  RampStop stops[256];
};
static_assert(sizeof(PaletteRamp) == 1028);
static_assert(offsetof(PaletteRamp, stops) == 4);

// Black at position 0, white at 255: the ramp used wherever none is available.
PaletteRamp DefaultRamp();

// Number of stops that can be read without leaving the ramp: the count
// limited to 0..256.
int UsableStopCount(const PaletteRamp& ramp);
