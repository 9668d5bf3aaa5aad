// The ring view's layout: a raised frame, a sunken frame three pixels inside
// it, and the ring image inside that.
#pragma once

#include <cstddef>
#include <cstdint>

#include "controls/bevel.h"

struct RingViewSize {
  int width;
  int height;
};

// The size of the ring image the view shows: client width - 8 by client
// height - 10, fixed when the view is created.
RingViewSize RingViewImageSize(int clientWidth, int clientHeight);

// The sunken frame and the image area inside it.
CtlRect RingViewSunkenRect(const CtlRect& client);
CtlRect RingViewImageRect(const CtlRect& client);

// Fills the 8-bit pixels drawn in the image area (`areaWidth` x
// `areaHeight`, rows top down, `area` holding that many bytes): the image's
// rows where the image reaches, the ground index 255 elsewhere. `row(y)` gives
// row y of the image (`imageWidth` bytes) or null for none.
template <typename RowFn>
void FillRingViewPixels(uint8_t* area, int areaWidth, int areaHeight, int imageWidth,
                        int imageHeight, RowFn row) {
  if (areaWidth <= 0 || areaHeight <= 0) return;
  const size_t w = static_cast<size_t>(areaWidth);
  const int copy = areaWidth < imageWidth ? areaWidth : imageWidth;
  for (int y = 0; y < areaHeight; ++y) {
    uint8_t* dst = area + static_cast<size_t>(y) * w;
    const uint8_t* src = y < imageHeight ? row(y) : nullptr;
    int x = 0;
    if (src != nullptr)
      for (; x < copy; ++x) dst[x] = src[x];
    for (; x < areaWidth; ++x) dst[x] = 255;
  }
}
