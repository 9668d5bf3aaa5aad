#include "model/ramp.h"

PaletteRamp DefaultRamp() {
  PaletteRamp ramp{};
  ramp.count = 2;
  ramp.stops[0] = RampStop{0, 0, 0, 0};
  ramp.stops[1] = RampStop{255, 255, 255, 255};
  return ramp;
}

int UsableStopCount(const PaletteRamp& ramp) {
  if (ramp.count <= 0) return 0;
  return ramp.count > 256 ? 256 : ramp.count;
}
