// The module's drawn resources: the mirror button image and the hue bar's
// drag cursor.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int kMirrorWidth = 18;
inline constexpr int kMirrorHeight = 14;
inline constexpr int kCursorSide = 32;

// A 4-bit BMP file (16-colour table) of the mirror symbol: two triangles
// facing an axis, on the button face colour.
std::vector<uint8_t> MirrorBitmapFile();
// A cursor file: 32 x 32, two colours, a left-right drag arrow through a
// vertical bar, hot spot at its centre.
std::vector<uint8_t> HueDragCursorFile();
