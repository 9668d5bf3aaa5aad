// The hue bar: a strip of the colour wheel, hue 0 at the left to 359 at the
// right, inside a one-pixel frame, with a marker column at the current hue.
#pragma once

#include <cstdint>

inline constexpr int kHueMax = 359;

// The strip is the client area less the frame: width - 2 by height - 2.
inline constexpr int HueStripSide(int clientSide) { return clientSide - 2; }

// The hue under client column x of a strip `stripWidth` wide:
// trunc((x - 1) * 359 / (stripWidth - 1) + 0.5). Not clamped: columns
// outside the strip give hues outside 0..359.
int HueFromX(int x, int stripWidth);
int ClampHue(int hue);

// The client column of the marker for a hue: trunc(0.5 + (W - 1) * hue / 359) + 1.
int HueMarkerColumn(int hue, int stripWidth);

// The hue shown by strip column x (0-based): trunc(0.5 + x * 359 / (W - 1)) mod 360.
int HueStripColumnHue(int x, int stripWidth);
// One row of the strip: `stripWidth` pixels red, green, blue at full
// saturation and brightness.
void BuildHueStripLine(int stripWidth, uint8_t* line);

// Arrow keys on the bar. Left and Right step the hue within 0..359 (nothing
// happens at the ends); Up and Down report the hue unchanged.
enum class HueKey { kLeft, kRight, kUp, kDown, kOther };
struct HueKeyOutcome {
  int hue;
  bool notify;
};
HueKeyOutcome HueAfterKey(int hue, HueKey key);
