#include "controls/repeat_bar.h"

#include <cmath>

uint8_t RepeatBarGrey(int x, int width, int repeat, int mirror) {
  // A bar of one column shows the start of the sweep.
  double t = width > 1 ? static_cast<double>(x) / (width - 1) : 0.0;
  if (repeat > 100) {
    t = t * repeat * 0.01;
    const double f = t - std::trunc(t);
    t = (f == 0.0 && t != 0.0) ? 1.0 : f;
  }
  if (mirror != 0) t = 1.0 - std::fabs(2.0 * t - 1.0);
  return static_cast<uint8_t>(std::trunc(t * 255.0 + 0.5));
}

void BuildRepeatBarLine(int width, int repeat, int mirror, uint8_t* line) {
  for (int x = 0; x < width; ++x) {
    const uint8_t grey = RepeatBarGrey(x, width, repeat, mirror);
    line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = grey;
  }
}
