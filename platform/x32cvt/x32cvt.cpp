#include "platform/x32cvt/x32cvt.h"

#include <cstddef>
#include <new>
#include <vector>

namespace {

// Grey level of a pixel; exact for greys (red = green = blue).
uint8_t greyLevel(const uint8_t* p) {
  return static_cast<uint8_t>((299u * p[0] + 587u * p[1] + 114u * p[2] + 500u) / 1000u);
}

int convertGrey(Buf32Handle src, Buf32Handle dst, int width, int height) {
  std::vector<uint8_t> in(static_cast<size_t>(width) * 3);
  std::vector<uint8_t> out(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y) {
    if (!buf32Line(src, y, kBuf32Read, in.data())) return 0;
    for (int x = 0; x < width; ++x) out[static_cast<size_t>(x)] = greyLevel(&in[3 * static_cast<size_t>(x)]);
    if (!buf32Line(dst, y, kBuf32Write, out.data())) return 0;
  }
  return 1;
}

}  // namespace

// Colour reduction lives in its own file; declared here for the dispatcher.
int cvt32ReduceColours(Buf32Handle src, Buf32Handle dst, int width, int height, int maxColours,
                       Cvt32Palette* palette);

int cvt32BufType(int32_t kind, int32_t, int32_t toType, int32_t fromType, Buf32Handle image,
                 Buf32Handle* result, const int32_t* params, int32_t, Cvt32Palette** palette, int32_t,
                 int32_t) {
  if (result == nullptr) return 0;
  *result = 0;
  if (palette != nullptr) *palette = nullptr;
  if (kind != 2 || toType != 2 || fromType != 4 || params == nullptr || params[0] != 24) return 0;
  Buf32Desc desc;
  if (!buf32GetInfo(image, &desc) || desc.w[kBuf32DescBitsPerPixel] != 24) return 0;
  const int width = desc.w[kBuf32DescWidth];
  const int height = desc.w[kBuf32DescHeight];

  Buf32Handle out = 0;
  if (!buf32Alloc(&out, 8, width, height, desc.w[kBuf32DescModel], nullptr)) return 0;
  int ok = 0;
  if (buf32Lock(image, kBuf32Read, nullptr)) {
    if (buf32Lock(out, kBuf32Write, nullptr)) {
      if (params[1] == kCvt32MethodGrey) {
        ok = convertGrey(image, out, width, height);
      } else if (params[1] == kCvt32MethodReduce && palette != nullptr) {
        auto* pal = new (std::nothrow) Cvt32Palette{};
        if (pal != nullptr) {
          ok = cvt32ReduceColours(image, out, width, height, params[4], pal);
          if (ok)
            *palette = pal;
          else
            delete pal;
        }
      }
      buf32Unlock(out);
    }
    buf32Unlock(image);
  }
  if (!ok) {
    buf32Free(out);
    return 0;
  }
  *result = out;
  return 1;
}

void cvt32FreePalette(Cvt32Palette* palette) { delete palette; }
