// Display information (part of the image buffer and display service).
#pragma once

#include <cstdint>

// What the service knows about the display: its size in pixels and, when the
// system reports it, its physical size in millimetres (0 when unknown).
struct Disp32DevInfo {
  int32_t horzPixels;
  int32_t vertPixels;
  int32_t horzMillimetres;
  int32_t vertMillimetres;
  int32_t bitsPerPixel;
};

// Fills `info`; 0 for a null address. On Windows the values come from the
// screen's device context; a build without a display reports zeros, and callers
// fall back to their own defaults for the unknown sizes.
int disp32GetDevInfo(Disp32DevInfo* info);
