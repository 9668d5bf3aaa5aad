#include "engine/sweep.h"

#include <algorithm>
#include <cmath>

#include "engine/row_workers.h"
#include "engine/templates.h"
#include "palette/palette.h"
#include "platform/x32base/buf32_guards.h"

namespace {

// Normalised coordinate of pixel i of n along one axis: -1 at the first pixel,
// +1 at the last. A single pixel lies at -1.
double unitCoordinate(int i, int n) { return n > 1 ? 2.0 * i / (n - 1) : 0.0; }

// The sweep angle reduced into 0..359 degrees.
int reducedAngle(int32_t degrees) { return ((degrees % 360) + 360) % 360; }

// Where the ray from (cx, cy) at angle `angle` first leaves the square
// [-1, 1] x [-1, 1], in pixels. Edges are tried top, right, bottom, left; an
// edge counts when the ray reaches it going forwards and the crossing lies
// on it. False when the ray meets no edge (a centre outside the square).
bool seamEnd(double cx, double cy, double angle, int width, int height, double& hx, double& hy) {
  const double dx = std::cos(angle), dy = std::sin(angle);
  const double w = width - 1, h = height - 1;
  auto onEdge = [](double v) { return v >= -1.0 && v <= 1.0; };
  if (dy != 0.0) {
    const double s = (-1.0 - cy) / dy;  // top, y = -1
    const double x = cx + s * dx;
    if (s >= 0.0 && onEdge(x)) {
      const double u = (x + 1.0) / 2.0;
      hx = u * w;
      hy = 0.0;
      return true;
    }
  }
  if (dx != 0.0) {
    const double s = (1.0 - cx) / dx;  // right, x = 1
    const double y = cy + s * dy;
    if (s >= 0.0 && onEdge(y)) {
      const double u = (y + 1.0) / 2.0;
      hx = w;
      hy = u * h;
      return true;
    }
  }
  if (dy != 0.0) {
    const double s = (1.0 - cy) / dy;  // bottom, y = 1, measured from the right
    const double x = cx + s * dx;
    if (s >= 0.0 && onEdge(x)) {
      const double u = (1.0 - x) / 2.0;
      hx = (1.0 - u) * w;
      hy = h;
      return true;
    }
  }
  if (dx != 0.0) {
    const double s = (-1.0 - cx) / dx;  // left, x = -1, measured from the bottom
    const double y = cy + s * dy;
    if (s >= 0.0 && onEdge(y)) {
      const double u = (1.0 - y) / 2.0;
      hx = 0.0;
      hy = (1.0 - u) * h;
      return true;
    }
  }
  return false;
}

// Pixel (x, y) := (x, y) blended towards its neighbour (nx, ny) by f.
void blendFromNeighbour(Buf32Handle dest, int x, int y, int nx, int ny, double f) {
  uint8_t* own = buf32PointAddr(dest, x, y);
  const uint8_t* other = buf32PointAddr(dest, nx, ny);
  if (own == nullptr || other == nullptr) return;
  for (int c = 0; c < 3; ++c) own[c] = static_cast<uint8_t>(other[c] * f + own[c] * (1.0 - f));
}

// Softens the hard edge where the position jumps from 1 back to 0: along the
// segment from the centre pixel to the seam's end, each step blends the pixel
// beyond the segment with the one on it, by the segment's fractional part.
// Steps outside the image blend nothing, so the walk is limited to the image.
void walkSeam(Buf32Handle dest, int width, int height, double x0, double y0, double x1, double y1) {
  if (std::fabs(y0 - y1) <= std::fabs(x0 - x1)) {
    if (x1 < x0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    const double first = std::max(std::floor(x0), 0.0);
    const double last = std::min(std::trunc(x1), static_cast<double>(width - 1));
    const double run = x1 - x0;
    for (double xd = first; xd <= last; xd += 1.0) {
      const double p = run != 0.0 ? (xd - x0) * (y1 - y0) / run + y0 : y0;
      // A negative p blends nothing; so does a row k + 1 beyond the last.
      if (!(p >= 0.0) || !(p < height - 1)) continue;
      const int k = static_cast<int>(p);
      const int x = static_cast<int>(xd);
      blendFromNeighbour(dest, x, k + 1, x, k, p - k);
    }
  } else {
    if (y1 < y0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    const double first = std::max(std::floor(y0), 0.0);
    const double last = std::min(std::trunc(y1), static_cast<double>(height - 1));
    const double run = y1 - y0;
    for (double yd = first; yd <= last; yd += 1.0) {
      const double p = (yd - y0) * (x1 - x0) / run + x0;
      if (!(p >= 0.0) || !(p < width - 1)) continue;
      const int k = static_cast<int>(p);
      const int y = static_cast<int>(yd);
      blendFromNeighbour(dest, k + 1, y, k, y, p - k);
    }
  }
}

}  // namespace

RenderStatus RenderSweep(const ParamRecord& record, const Buf32Desc& description,
                         Buf32Handle* destination, const ProgressBlock* block) {
  if (destination == nullptr) return kRenderOutOfMemory;
  bool created = false;
  if (*destination == 0) {
    if (!buf32Alloc(destination, description.w[kBuf32DescBitsPerPixel],
                    description.w[kBuf32DescWidth], description.w[kBuf32DescHeight],
                    description.w[kBuf32DescModel], &description.w[kBuf32DescPalette]))
      return kRenderOutOfMemory;
    created = true;
  }
  const Buf32Handle dest = *destination;
  Buf32Desc info;
  if (!buf32GetInfo(dest, &info) || info.w[kBuf32DescBitsPerPixel] != 24) {
    if (created) {
      buf32Free(dest);
      *destination = 0;
    }
    return kRenderOutOfMemory;
  }
  const int width = info.w[kBuf32DescWidth];
  const int height = info.w[kBuf32DescHeight];

  Buf32Lock lock(dest, kBuf32ReadWrite);
  if (!lock.locked()) return kRenderOutOfMemory;

  PaletteTable table{};
  BuildPaletteTable(record.hueShift, record.ramp, table, 1);
  RotatePaletteTable(table, record.ring);

  RowProgress progress(block != nullptr ? *block : kQuietProgress);
  if (progress.start() != kRenderOk) {
    progress.end();
    return kRenderStopped;
  }
  progress.setTotalRows(height);

  const double cx = record.sweepCentreX / 100.0;
  const double cy = record.sweepCentreY / 100.0;
  const int degrees = reducedAngle(record.sweepAngle);
  const double phi = degrees * tmpl::kPi / 180.0;

  if (buf32PointAddr(dest, width - 1, height - 1) == nullptr) {
    progress.end();
    return kRenderOutOfMemory;
  }
  const RenderStatus status = RowWorkers().run(
      height, width,
      [&](int first, int end) {
        for (int row = first; row < end; ++row) {
          const double y = -1.0 - cy + unitCoordinate(row, height);
          uint8_t* p = buf32PointAddr(dest, 0, row);
          for (int col = 0; col < width; ++col, p += 3) {
            const double x = -1.0 - cx + unitCoordinate(col, width);
            double t = 0.0;
            if (x != 0.0 || y != 0.0) {
              t = (std::atan2(y, x) + tmpl::kPi - phi) / tmpl::kTwoPi;
              if (t < 0.0) t += 1.0;
            }
            const Rgb c = LookupColour(WrapUnit(t), table);
            p[0] = c.red;
            p[1] = c.green;
            p[2] = c.blue;
          }
        }
      },
      &progress);
  if (status != kRenderOk) {
    progress.end();
    return kRenderStopped;
  }

  // The seam lies along the direction where t returns to 0, opposite the
  // sweep angle. The reduced angle gives the same direction as the record's
  // and keeps equal angles (-90 and 270) equal to the last bit.
  double hx = 0.0, hy = 0.0;
  if (seamEnd(cx, cy, tmpl::kPi + degrees * tmpl::kPi / 180.0, width, height, hx, hy)) {
    const double cxp = (width - 1) * (cx + 1.0) / 2.0;
    const double cyp = (height - 1) * (cy + 1.0) / 2.0;
    walkSeam(dest, width, height, cxp, cyp, hx, hy);
  }

  progress.end();
  return kRenderOk;
}
