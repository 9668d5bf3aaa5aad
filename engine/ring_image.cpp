#include "engine/ring_image.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "engine/sweep.h"
#include "engine/templates.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32cvt/x32cvt.h"
#include "model/param_record.h"

namespace {

// Normalised coordinate of pixel i of n: -1 at the first, +1 at the last; a
// single pixel lies at -1.
double unitCoordinate(int i, int n) { return -1.0 + (n > 1 ? 2.0 * i / (n - 1) : 0.0); }

// The per-column x and x squared of one image, computed once for all rows.
struct ColumnCoordinates {
  std::unique_ptr<double[]> x;
  std::unique_ptr<double[]> x2;

  bool make(int width) {
    x.reset(new (std::nothrow) double[static_cast<size_t>(width)]);
    x2.reset(new (std::nothrow) double[static_cast<size_t>(width)]);
    if (!x || !x2) return false;
    for (int col = 0; col < width; ++col) {
      x[col] = unitCoordinate(col, width);
      x2[col] = x[col] * x[col];
    }
    return true;
  }
};

bool onGround(double r2) { return r2 <= kRingInner2 || r2 >= kRingOuter2; }

// Width and height of a valid image of the given depth; false otherwise.
bool imageOfDepth(Buf32Handle image, int bitsPerPixel, int& width, int& height) {
  Buf32Desc info;
  if (!buf32GetInfo(image, &info) || info.w[kBuf32DescBitsPerPixel] != bitsPerPixel) return false;
  width = info.w[kBuf32DescWidth];
  height = info.w[kBuf32DescHeight];
  return width > 0 && height > 0;
}

void put(uint8_t* p, const Rgb& c) {
  p[0] = c.red;
  p[1] = c.green;
  p[2] = c.blue;
}

}  // namespace

int MakeRingIndexImage(int width, int height, Buf32Handle* out) {
  if (out == nullptr) return 0;
  *out = 0;

  // A grey ramp and nothing else: the grey level of the sweep is the index.
  ParamRecord record{};
  record.templateIndex = 6;
  record.repeat = 100;
  record.setting6 = 100;
  record.setting7 = 100;
  record.ramp = DefaultRamp();

  Buf32Desc description{};
  description.w[kBuf32DescBitsPerPixel] = 24;
  description.w[kBuf32DescWidth] = width;
  description.w[kBuf32DescHeight] = height;

  Buf32Owner colour;
  if (RenderSweep(record, description, &colour.handle, nullptr) != kRenderOk) return 0;

  const int32_t params[6] = {24, kCvt32MethodGrey, 0, 0, 256, 0};
  Buf32Owner grey;
  if (!cvt32BufType(2, 0, 2, 4, colour.get(), &grey.handle, params, 0, nullptr, 0, 0)) return 0;
  if (!MaskRingImage(grey.get())) return 0;
  *out = grey.release();
  return 1;
}

int MaskRingImage(Buf32Handle image) {
  int width = 0, height = 0;
  if (!imageOfDepth(image, 8, width, height)) return 0;
  ColumnCoordinates columns;
  if (!columns.make(width)) return 0;
  Buf32Lock lock(image, kBuf32ReadWrite);
  if (!lock.locked()) return 0;

  for (int row = 0; row < height; ++row) {
    const double y = unitCoordinate(row, height);
    const double y2 = y * y;
    for (int col = 0; col < width; ++col) {
      uint8_t* p = buf32PointAddr(image, col, row);
      if (*p == kRingGround) *p = kRingGround - 1;
      if (onGround(columns.x2[col] + y2)) *p = kRingGround;
    }
  }
  return 1;
}

int DrawRampThumbnail(Buf32Handle image, const PaletteTable& table, int interpolate,
                      const PaletteRamp& ramp, int ring) {
  int width = 0, height = 0;
  if (!imageOfDepth(image, 24, width, height)) return 0;
  ColumnCoordinates columns;
  if (!columns.make(width)) return 0;
  Buf32Lock lock(image, kBuf32Write);
  if (!lock.locked()) return 0;

  // The ring: the table round the circle, white inside and outside.
  const Rgb white{255, 255, 255};
  for (int row = 0; row < height; ++row) {
    const double y = unitCoordinate(row, height);
    const double y2 = y * y;
    for (int col = 0; col < width; ++col) {
      uint8_t* p = buf32PointAddr(image, col, row);
      if (onGround(columns.x2[col] + y2)) {
        put(p, white);
        continue;
      }
      const double t = 255.0 * (std::atan2(y, columns.x[col]) + tmpl::kPi) / tmpl::kTwoPi;
      const int i = std::clamp(static_cast<int>(std::floor(t)), 0, 255);
      const Rgb& a = table.entry[i];
      if (!interpolate) {
        put(p, a);
        continue;
      }
      const Rgb& b = table.entry[std::min(i + 1, 255)];
      const double f = t - i;
      put(p, Rgb{static_cast<uint8_t>(std::floor(b.red * f + a.red * (1.0 - f))),
                 static_cast<uint8_t>(std::floor(b.green * f + a.green * (1.0 - f))),
                 static_cast<uint8_t>(std::floor(b.blue * f + a.blue * (1.0 - f)))});
    }
  }

  // One dot per stop, just outside the ring where the ring shows the stop.
  const int stops = UsableStopCount(ramp);
  const double w = width - 1, h = height - 1;
  for (int k = 0; k < stops; ++k) {
    const double a = tmpl::kTwoPi * (ramp.stops[k].position + ring * kRingToPlaces) / 255.0;
    // A stop turned past the end of the circle takes the last entry's colour:
    // the fraction is clamped, not wrapped, though its dot goes round.
    const Rgb colour = SamplePaletteTable(table, a / tmpl::kTwoPi);
    const double cx = -kMarkerCentreRadius * std::cos(a);
    const double cy = -kMarkerCentreRadius * std::sin(a);
    const int col0 =
        std::max(0, static_cast<int>(std::floor(w * (cx - kMarkerRadius + 1.0) / 2.0)));
    const int col1 =
        std::min(width - 1, static_cast<int>(std::ceil(w * (cx + kMarkerRadius + 1.0) / 2.0)));
    const int row0 =
        std::max(0, static_cast<int>(std::floor(h * (cy - kMarkerRadius + 1.0) / 2.0)));
    const int row1 =
        std::min(height - 1, static_cast<int>(std::ceil(h * (cy + kMarkerRadius + 1.0) / 2.0)));
    for (int row = row0; row <= row1; ++row) {
      const double dy = unitCoordinate(row, height) - cy;
      for (int col = col0; col <= col1; ++col) {
        const double dx = columns.x[col] - cx;
        if (std::sqrt(dx * dx + dy * dy) <= kMarkerRadius)
          put(buf32PointAddr(image, col, row), colour);
      }
    }
  }
  return 1;
}
