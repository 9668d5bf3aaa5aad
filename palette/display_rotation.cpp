#include "palette/display_rotation.h"

#include <cmath>

void TableToPaletteColours(const PaletteTable& table, PaletteColour out[256]) {
  for (int i = 0; i < 256; ++i)
    out[i] = PaletteColour{table.entry[i].red, table.entry[i].green, table.entry[i].blue, 0};
}

int DisplayRotationOffset(int ring) {
  const double offset = std::floor((254.0 * ring + 180.0) / 359.0);
  return static_cast<int>(offset);
}

void RotateDisplayColours(const PaletteColour source[kRingDisplayEntries], int ring,
                          PaletteColour display[kRingDisplayEntries]) {
  // Rings outside 0..359 still land on a valid entry.
  const int offset = DisplayRotationOffset(ring) % kRingDisplayEntries;
  for (int i = 0; i < kRingDisplayEntries; ++i) {
    const int from =
        ((i - offset) % kRingDisplayEntries + kRingDisplayEntries) % kRingDisplayEntries;
    display[i] = source[from];
  }
}
