// Palette entries as the window system's palette objects hold them, and the
// ring rotation of the on-screen ring views.
#pragma once

#include <cstdint>

#include "palette/palette.h"

// Red, green, blue, flags: the layout of a palette object's entry.
struct PaletteColour {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t flags;
  friend bool operator==(const PaletteColour&, const PaletteColour&) = default;
};
static_assert(sizeof(PaletteColour) == 4);

// Entries of a ring view's palette that take part in the rotation; entry 255
// is the white ground and stays where it is.
inline constexpr int kRingDisplayEntries = 255;

// The 256 entries of a palette object made from `table` (flags 0).
void TableToPaletteColours(const PaletteTable& table, PaletteColour out[256]);

// Places the ring moves the display palette by: floor((254 x ring + 180) / 359),
// 0..254 for rings 0..359.
int DisplayRotationOffset(int ring);

// display[i] = source[(i - offset + 255) mod 255] for i = 0..254.
void RotateDisplayColours(const PaletteColour source[kRingDisplayEntries], int ring,
                          PaletteColour display[kRingDisplayEntries]);
