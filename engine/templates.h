// Per-pixel mathematics of the texture engine: the 19 pattern templates, the
// sample numbers that combine the coordinate maps into one value, and the
// shaping of that value into a palette colour.
#pragma once

#include <cmath>
#include <cstdint>

#include "palette/palette.h"

inline constexpr int kTemplateCount = 19;

// The two constants of the templates, set at the start of every render.
struct TemplateConstants {
  double theta;  // 33 degrees
  double cosTheta;
  double sinTheta;
  double k;
};
TemplateConstants MakeTemplateConstants();

namespace tmpl {

inline const double kPi = 4.0 * std::atan(1.0);
inline const double kTwoPi = 2.0 * kPi;
inline const double kSqrtHalf = std::sqrt(0.5);
inline const double kSqrtTwo = std::sqrt(2.0);
inline const double kTanOne = std::tan(1.0);

inline double fold(double s) { return s <= 1.0 ? s : 2.0 - s; }

// Angle of (dx, dy) as a fraction of a turn; 0 at the centre itself.
inline double turn(double dy, double dx) {
  return (dx == 0.0 && dy == 0.0) ? 0.0 : std::atan2(dy, dx) / kTwoPi;
}

// Template t (0-based) applied to one current pair. Indices outside 0..18
// leave the result pair untouched.
template <int T>
inline void apply(double x, double y, const TemplateConstants& c, double& rx, double& ry) {
  if constexpr (T == 0) {
    rx = std::sin(kPi * x);
    ry = std::cos(kPi * y);
  } else if constexpr (T == 1) {
    rx = std::sin(kPi * y);
    ry = std::cos(kPi * x);
  } else if constexpr (T == 2) {
    const double u = 2.0 * x - 1.0, v = 2.0 * y - 1.0;
    rx = std::log(1.0 + 9.0 * std::fabs(u));
    ry = std::log(1.0 + 9.0 * std::fabs(v));
  } else if constexpr (T == 3) {
    const double u = 2.0 * x - 1.0, w = 1.0 - 2.0 * y;
    const double m = u * u - w;
    rx = fold(std::fmod(std::fabs(u * c.cosTheta + m * c.sinTheta), 2.0));
    ry = fold(std::fmod(std::fabs(w * c.sinTheta - m * c.cosTheta), 2.0));
  } else if constexpr (T == 4) {
    const double u = 2.0 * x - 1.0, v = 2.0 * y - 1.0;
    const double a = 0.1 + 0.4 * std::fabs(u), b = 0.1 + 0.4 * std::fabs(v);
    if (a > b) {
      rx = std::fmod(a, b) + a;
      ry = std::fabs(v);
    } else {
      rx = std::fmod(b, a) + b;
      ry = std::fabs(u);
    }
  } else if constexpr (T == 5) {
    rx = std::sin(kPi * x) + y;
    ry = std::cos(kPi * y) + x;
  } else if constexpr (T == 6) {
    const double dx = x - 0.5, dy = y - 0.5;
    rx = std::sqrt(dx * dx + dy * dy) / kSqrtHalf;
    ry = turn(dy, dx);
  } else if constexpr (T == 7) {
    const double dx = x - 0.73, dy = y - 0.33;
    rx = turn(dy, dx);
    ry = std::sqrt(dx * dx + dy * dy) / kSqrtHalf;
  } else if constexpr (T == 8) {
    const double u = 2.0 * x - 1.0, v = 2.0 * y - 1.0;
    rx = std::log(1.0 + 9.0 * std::fabs(u)) + y;
    ry = std::log(1.0 + 9.0 * std::fabs(v)) + x;
  } else if constexpr (T == 9) {
    rx = std::cos(kTwoPi * x) + y;
    ry = std::sin(kTwoPi * y) + x;
  } else if constexpr (T == 10) {
    rx = 2.0 * y + c.k - 1.0;
    ry = c.k + 1.0 - 2.0 * x;
  } else if constexpr (T == 11) {
    const double a = std::fabs(2.0 * x - 1.0), b = std::fabs(2.0 * y - 1.0);
    if (b >= a) {
      rx = std::fmod(b, 1.0);
      ry = std::fmod(a, 1.0);
    } else {
      rx = std::fmod(a, 1.0);
      ry = std::fmod(b, 1.0);
    }
  } else if constexpr (T == 12) {
    rx = x + std::fabs(std::tan(std::fmod(std::fabs(x), 1.0)) / kTanOne);
    ry = y - std::fabs(1.0 - std::tan(std::fmod(std::fabs(y), 1.0)) / kTanOne);
  } else if constexpr (T == 13) {
    rx = std::sqrt(x * x + y * y) / kSqrtTwo;
    ry = turn(y, x);
  } else if constexpr (T == 14) {
    const double u = 2.0 * x - 1.0, w = 1.0 - 2.0 * y;
    rx = fold(std::fmod(std::fabs(u * c.cosTheta + w * c.sinTheta), 2.0));
    ry = fold(std::fmod(std::fabs(w * c.cosTheta - u * c.sinTheta), 2.0));
  } else if constexpr (T == 15) {
    const double a = 2.0 * x - 2.0, b = 2.0 * y - 1.0;
    const double d = (a + 1.0) * (a + 1.0) + b * b + 0.1;
    rx = std::fmod((a * a + b * b - 1.0) / d, 2.0);
    ry = std::fmod(2.0 * b / d, 2.0);
  } else if constexpr (T == 16) {
    const double u = 2.0 * x - 1.0, v = 2.0 * y - 1.0;
    rx = std::fmod(u * u - v * v, 2.0);
    ry = std::fmod(2.0 * u * v, 2.0);
  } else if constexpr (T == 17) {
    const double p = 2.0 * x, q = 2.0 * y;
    rx = std::fmod(p * (1.0 - p) + q * q, 2.0);
    ry = std::fmod(q - 2.0 * p * q, 2.0);
  } else if constexpr (T == 18) {
    rx = std::fmod(x * x - y * y, 2.0);
    ry = std::fmod(2.0 * x * y, 2.0);
  }
}

}  // namespace tmpl

// Template t over one pixel: (x, y) is the current pair, the result pair is
// written to (rx, ry). An index outside 0..18 leaves (rx, ry) as they are.
void ApplyTemplate(int t, double x, double y, const TemplateConstants& c, double& rx, double& ry);

// Template t over a run of n pixels (one row): reads the current maps, writes
// the result maps.
void ApplyTemplateRow(int t, const double* curX, const double* curY, double* resX, double* resY,
                      int64_t n, const TemplateConstants& c);

// Sample number n combining the four map values of one pixel.
inline double CombineMaps(int n, double resX, double resY, double curX, double curY) {
  switch (n) {
    case 1: return resX;
    case 2: return resY;
    case 4: return std::fabs(resX - resY);
    case 5: return (resX + resY) * 0.5;
    case 6: return std::sqrt(resX * resX + resY * resY);
    case 7: return curX;
    case 8: return curY;
    case 9: return curX * curY;
    case 10: return std::fabs(curX - curY);
    case 11: return (curX + curY) * 0.5;
    case 12: return std::sqrt(curX * curX + curY * curY);
    default: return resX * resY;
  }
}

// Whole-number parts without a libm call, for the per-pixel shaping. Exact for
// every finite |s| < 2^53 (callers make sure of that range).
inline double TruncSmall(double s) { return static_cast<double>(static_cast<int64_t>(s)); }
inline double CeilSmall(double s) {
  const auto i = static_cast<int64_t>(s);
  return static_cast<double>(static_cast<double>(i) < s ? i + 1 : i);
}

// Wraps s into (0, 1] from above and [0, 1) from below, exactly as repeatedly
// subtracting or adding 1 would, in constant time. Values in [0, 1] stay.
inline double WrapUnit(double s) {
  // Beyond 2^53 every double is an even integer and the repeated subtraction
  // or addition would never end; the limit it approaches is 1 from above and
  // 0 from below.
  constexpr double kExactLimit = 9007199254740992.0;  // 2^53
  if (s > 1.0) {
    if (s >= kExactLimit) return 1.0;
    // k = ceil(s) - 1 subtractions; every one of them is exact.
    const double k = CeilSmall(s) - 1.0;
    return s - k;
  }
  if (s < 0.0) {
    if (s <= -kExactLimit) return 0.0;
    // k = ceil(-s) additions; all but the last are exact, the last one rounds
    // exactly as it would at the end of the loop.
    const double k = CeilSmall(-s);
    return (s + (k - 1.0)) + 1.0;
  }
  return s;  // [0, 1] and NaN
}

// Value to palette position: repeat factor r (record repeat x 0.01), then the
// wrap, the repeat fraction and the mirror.
inline double ShapeValue(double v, int mirror, double r) {
  double s = r < 1.0 ? v * r : v;
  s = WrapUnit(s);
  if (r > 1.0) {
    s = s * r;
    // s lies in [0, r] here; a NaN stays NaN either way.
    s = s - (s < 9007199254740992.0 ? TruncSmall(s) : std::trunc(s));
  }
  if (mirror == 1) s = 1.0 - std::fabs(2.0 * s - 1.0);
  return s;
}

inline Rgb LookupColour(double s, const PaletteTable& table) {
  return SamplePaletteTable(table, s);
}
