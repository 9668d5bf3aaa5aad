#include "engine/templates.h"

#include <gtest/gtest.h>

#include <array>
#include <complex>
#include <limits>
#include <random>
#include <vector>

namespace {

using Z = std::complex<double>;
const TemplateConstants kC = MakeTemplateConstants();
const double kTurn = 8.0 * std::atan(1.0);

Z at(int t, double x, double y) {
  double rx = -7.0, ry = -7.0;
  ApplyTemplate(t, x, y, kC, rx, ry);
  return {rx, ry};
}

// Worked with a calculator: cos and sin of 33 degrees, ln 10, tan 0.5 / tan 1,
// tan 0.25 / tan 1, 0.6 cos 33 + 0.8 sin 33, 0.8 cos 33 - 0.6 sin 33; 0.42 mod 0.18 =
// 0.06; a remainder keeps the sign of its dividend.
TEST(Templates, WorkedPoints) {
  const struct {
    int t;
    double x, y;
    Z want;
  } cases[] = {// clang-format off
      {2, 0.0, 0.5, {2.302585092994046, 0}}, {3, 1, 0, {0.838670567945424, 0.544639035015027}},
      {4, 0.9, 0.4, {0.48, 0.2}}, {4, 0.25, 0.25, {0.3, 0.5}}, {10, 0.25, 0.5, {0.27, 0.77}},
      {12, 1.5, -0.25, {1.8507767947952376, -1.086046837845487}}, {13, -0.0, -0.0, {0, 0}},
      {14, 0.8, 0.1, {0.9389135687792761, 0.34415303334732306}}, {15, 1, 0.5, {-1 / 1.1, 0}},
      {17, 1.5, 1, {0, 0}}, {18, 2, 0.5, {1.75, 0}}, {18, -1.5, 1, {1.25, -1}}};
  // clang-format on
  for (const auto& c : cases)
    EXPECT_LT(std::abs(at(c.t, c.x, c.y) - c.want), 1e-14) << c.t << " " << c.x;
}

// Identities of the formulas, each as (result, what it must equal), over points near 0;
// 15 is (z - 1) / (z + 1) softened near -1, 17 is 1/4 minus a square.
TEST(Templates, KeepTheIdentitiesOfTheirFormulas) {
  const auto polar = [](Z r, double scale) {
    return std::polar(r.real() * scale, kTurn * r.imag());
  };
  const auto swap = [](Z r) { return Z{r.imag(), r.real()}; };
  for (double x = -0.45; x < 0.5; x += 0.113)
    for (double y = -0.47; y < 0.5; y += 0.097) {
      const Z z{x, y}, z15{x + 0.2, y}, s15 = std::norm(z15 + 1.0);
      const double a = std::fabs(2 * x), b = std::fabs(2 * y);
      const std::pair<Z, Z> ids[] = {
          {at(0, -x, -y), -std::conj(at(0, x, y))},  // 0: odd in x, even in y
          {at(0, x + 2, y - 2), at(0, x, y)},        // 0: period 2
          {at(1, x, y), at(0, y, x)},                // 1: 0 swapped
          {at(5, x, y), at(0, x, y) + swap(z)},      // 5: 0 plus (y, x)
          {at(8, x, y), at(2, x, y) + swap(z)},      // 8: 2 plus (y, x)
          {at(9, x, y) - swap(z), {at(0, 0, 2 * x).imag(), at(0, 2 * y, 0).real()}},  // 0 doubled
          {polar(at(6, x, y), std::sqrt(0.5)), z - Z{0.5, 0.5}},  // 6: polar about the centre
          {polar(swap(at(7, x, y)), std::sqrt(0.5)), z - Z{0.73, 0.33}},  // 7: about (.73, .33)
          {polar(at(13, x, y), std::sqrt(2.0)), z},                       // 13: about the origin
          {at(10, x + 0.5, y + 0.25), at(10, x, y) + Z{0.5, -1}},        // 10: moves with the point
          {at(11, x + 0.5, y + 0.5), {std::max(a, b), std::min(a, b)}},  // 11: larger, smaller
          {at(12, x + 1.5, y + 1.5), at(12, x + 0.5, y + 0.5) + Z{1, 1}},  // 12: unit step
          {std::norm(at(14, 0.5 + x / 2, 0.5 + y / 2)), std::norm(z)},     // 14: keeps the length
          {at(15, 1.1 + x / 2, 0.5 + y / 2), (z15 - 1.0) / (z15 + 1.0) * s15 / (s15 + 0.1)},
          {at(16, 0.5 + x / 2, 0.5 + y / 2), z * z},  // 16: squares (2x - 1, 2y - 1)
          {at(17, (x + 0.5) / 2, y / 2), 0.25 - z * z},
          {at(18, x, y), z * z}};
      for (size_t i = 0; i < std::size(ids); ++i)
        EXPECT_LT(std::abs(ids[i].first - ids[i].second), 1e-12) << "identity " << i << " at " << z;
    }
}

TEST(Templates, FoldIntoTheUnitSquareAndIgnoreUnknownIndices) {
  for (double x = -3.0; x <= 3.0; x += 0.37)
    for (double y = -3.0; y <= 3.0; y += 0.41)
      for (const Z r : {at(3, x, y), at(14, x, y)})
        ASSERT_TRUE(r.real() >= 0 && r.real() <= 1 && r.imag() >= 0 && r.imag() <= 1) << x << y;
  for (int t : {-1, 19, std::numeric_limits<int>::min()}) EXPECT_EQ(at(t, 0.3, 0.6), Z(-7, -7));
}

// Against repeated subtraction and addition; the infinities go to the ends, NaN stays.
TEST(Shaping, WrapMatchesRepeatedSubtractionAndAddition) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> any(-1000.0, 1000.0);
  std::vector<double> values{0.0, 1.0, 2.0, -1.0, -1e-20, 1.0 + 1e-15, 1e6 + .5, -3.0 + 1e-13};
  while (values.size() < 20000) values.push_back(any(rng));
  for (double v : values) {
    double s = v;
    while (s > 1.0) s -= 1.0;
    while (s < 0.0) s += 1.0;
    ASSERT_EQ(WrapUnit(v), s) << v;
  }
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(WrapUnit(1e300) == 1 && WrapUnit(-1e300) == 0 && WrapUnit(inf) == 1 &&
              WrapUnit(-inf) == 0 && std::isnan(WrapUnit(std::nan(""))));
}

// res = (0.5, -0.25), cur = (0.75, 0.125): sample numbers outside 1..12 multiply. Shaping:
// only a mirror flag of 1 mirrors. Lookup: the ends clamp, NaN reads entry 0, 0.5 is 127.5
// truncated.
TEST(Shaping, SampleNumbersRepeatMirrorAndLookup) {
  // clang-format off
  const double combined[] = {-0.125, 0.5, -0.25, -0.125, 0.75, 0.125, 0.5590169943749475,
                             0.75, 0.125, 0.09375, 0.625, 0.4375, 0.7603453162872774, -0.125};
  // clang-format on
  for (int n = 0; n <= 13; ++n)
    EXPECT_DOUBLE_EQ(CombineMaps(n, 0.5, -0.25, 0.75, 0.125), combined[n]) << n;
  const std::array<double, 4> shapes[] = {
      // value, mirror, repeat, palette position
      {2, 0, 1, 1}, {-0.25, 0, 1, 0.75}, {0.5, 0, 2.5, 0.25}, {1.5, 0, 0.5, 0.75},
      {1, 1, 1, 0}, {0.5, 1, 1, 1},      {0.25, 2, 1, 0.25}};
  for (auto [v, mirror, r, want] : shapes)
    EXPECT_DOUBLE_EQ(ShapeValue(v, static_cast<int>(mirror), r), want) << v << " " << mirror;
  PaletteTable table{};
  for (int i = 0; i < 256; ++i) table.entry[i] = Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
  // clang-format off
  for (auto [s, rgb] : {std::pair{1.0, Rgb{255, 0, 127}}, {7.0, Rgb{255, 0, 127}},
       {-3.0, Rgb{0, 255, 0}}, {std::nan(""), Rgb{0, 255, 0}}, {0.5, Rgb{127, 127, 63}}})
    // clang-format on
    EXPECT_EQ(LookupColour(s, table), rgb) << s;
}

}  // namespace
