// Colour reduction of a 24-bit image to at most 256 colours.
//
// Images with few colours keep them exactly; others are mapped onto a fixed
// 6 x 7 x 6 colour cube.
#include <algorithm>
#include <map>
#include <vector>

#include "platform/x32cvt/x32cvt.h"

int cvt32ReduceColours(Buf32Handle src, Buf32Handle dst, int width, int height, int maxColours,
                       Cvt32Palette* palette) {
  maxColours = std::clamp(maxColours, 2, 256);
  const size_t w = static_cast<size_t>(width);
  std::vector<uint8_t> in(w * 3);
  std::vector<uint8_t> out(w);

  // First pass: the exact colours, while there are few enough.
  std::map<uint32_t, int> exact;
  for (int y = 0; y < height && static_cast<int>(exact.size()) <= maxColours; ++y) {
    if (!buf32Line(src, y, kBuf32Read, in.data())) return 0;
    for (size_t x = 0; x < w; ++x)
      exact.emplace(in[3 * x] | (in[3 * x + 1] << 8) | (in[3 * x + 2] << 16), 0);
  }
  const bool useExact = static_cast<int>(exact.size()) <= maxColours;
  if (useExact) {
    int i = 0;
    for (auto& [rgb, index] : exact) {
      index = i;
      palette->entries[i][0] = static_cast<uint8_t>(rgb);
      palette->entries[i][1] = static_cast<uint8_t>(rgb >> 8);
      palette->entries[i][2] = static_cast<uint8_t>(rgb >> 16);
      palette->entries[i][3] = 0;
      ++i;
    }
    palette->count = i;
  } else {
    int i = 0;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 7; ++g)
        for (int b = 0; b < 6; ++b, ++i) {
          palette->entries[i][0] = static_cast<uint8_t>(r * 255 / 5);
          palette->entries[i][1] = static_cast<uint8_t>(g * 255 / 6);
          palette->entries[i][2] = static_cast<uint8_t>(b * 255 / 5);
          palette->entries[i][3] = 0;
        }
    palette->count = i;
  }
  for (int y = 0; y < height; ++y) {
    if (!buf32Line(src, y, kBuf32Read, in.data())) return 0;
    for (size_t x = 0; x < w; ++x) {
      const uint8_t* p = &in[3 * x];
      if (useExact) {
        out[x] = static_cast<uint8_t>(exact[p[0] | (p[1] << 8) | (p[2] << 16)]);
      } else {
        const int r = (p[0] * 5 + 127) / 255, g = (p[1] * 6 + 127) / 255, b = (p[2] * 5 + 127) / 255;
        out[x] = static_cast<uint8_t>((r * 7 + g) * 6 + b);
      }
    }
    if (!buf32Line(dst, y, kBuf32Write, out.data())) return 0;
  }
  return 1;
}
