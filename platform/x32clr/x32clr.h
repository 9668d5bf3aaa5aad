// Colour conversion (stands in for the platform's x32Clr library).
#pragma once

#include <cstdint>

// Hue in degrees 0..359 (360 or more: a grey, which has no hue), saturation
// and brightness 0..255.
struct HsbColor {
  uint16_t hue;
  uint16_t saturation;
  uint16_t brightness;
};
static_assert(sizeof(HsbColor) == 6);

inline constexpr uint16_t kHsbNoHue = 360;

// `rgb` is three bytes red, green, blue. Pure primaries and secondaries convert
// exactly both ways; greys report hue 360.
void ClrRgbToHsb(const uint8_t* rgb, HsbColor* hsb);
void ClrHsbToRgb(const HsbColor* hsb, uint8_t* rgb);
