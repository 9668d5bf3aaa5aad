// Buffer conversions (stands in for the platform's x32Cvt library).
#pragma once

#include <cstdint>

#include "platform/x32base/buf32.h"

// A palette produced by a conversion: entries of red, green, blue, flags.
struct Cvt32Palette {
  int32_t count;
  uint8_t entries[256][4];
};

// Conversion parameters (six words).
//   word 0: bits per pixel of the source (24)
//   word 1: method: 0 = grey level (an 8-bit one-channel image whose value is
//           the pixel's grey level), 1 = colour reduction to at most word 4
//           colours with a palette
//   word 4: largest number of colours (colour reduction)
inline constexpr int32_t kCvt32MethodGrey = 0;
inline constexpr int32_t kCvt32MethodReduce = 1;

// Converts a 24-bit image into a new 8-bit image stored at `result`. The
// leading words select the conversion kind (2, 0, 2, 4: 24 to 8 bits); the
// unnamed trailing words are reserved and must be 0. For colour reduction
// `palette` receives a new palette (free it with `cvt32FreePalette`); for the
// grey method it may be null. Non-zero on success; on failure nothing is left
// allocated and `*result` is 0.
int cvt32BufType(int32_t kind, int32_t reserved1, int32_t toType, int32_t fromType, Buf32Handle image,
                 Buf32Handle* result, const int32_t* params, int32_t reserved2,
                 Cvt32Palette** palette, int32_t reserved3, int32_t reserved4);

void cvt32FreePalette(Cvt32Palette* palette);
