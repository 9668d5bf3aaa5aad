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
