#include "engine/templates.h"

#include <array>
#include <utility>

TemplateConstants MakeTemplateConstants() {
  TemplateConstants c;
  c.theta = 0.7333333333333334 * tmpl::kPi / 4.0;
  c.cosTheta = std::cos(c.theta);
  c.sinTheta = std::sin(c.theta);
  c.k = 0.27;
  return c;
}

namespace {

template <int T>
void row(const double* cx, const double* cy, double* rx, double* ry, int64_t n,
         const TemplateConstants& c) {
  for (int64_t i = 0; i < n; ++i) tmpl::apply<T>(cx[i], cy[i], c, rx[i], ry[i]);
}

using RowFn = void (*)(const double*, const double*, double*, double*, int64_t,
                       const TemplateConstants&);

template <int... Ts>
constexpr auto makeRowTable(std::integer_sequence<int, Ts...>) {
  return std::array<RowFn, sizeof...(Ts)>{&row<Ts>...};
}

constexpr auto kRows = makeRowTable(std::make_integer_sequence<int, kTemplateCount>{});

}  // namespace

void ApplyTemplateRow(int t, const double* curX, const double* curY, double* resX, double* resY,
                      int64_t n, const TemplateConstants& c) {
  if (t < 0 || t >= kTemplateCount) return;
  kRows[static_cast<size_t>(t)](curX, curY, resX, resY, n, c);
}

void ApplyTemplate(int t, double x, double y, const TemplateConstants& c, double& rx, double& ry) {
  ApplyTemplateRow(t, &x, &y, &rx, &ry, 1, c);
}

double WrapUnit(double s) {
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
