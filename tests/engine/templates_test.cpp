#include "engine/templates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

const TemplateConstants kC = MakeTemplateConstants();
const double kPi = 4.0 * std::atan(1.0);

double fold(double s) { return s <= 1.0 ? s : 2.0 - s; }

}  // namespace

// One or two chosen points per template with the values worked out by hand;
// the library functions may differ in the last bits between C libraries.
TEST(Templates, EveryTemplateGivesItsValuesAtChosenPoints) {
  EXPECT_NEAR(kC.theta * 180.0 / kPi, 33.0, 1e-12);
  EXPECT_DOUBLE_EQ(kC.k, 0.27);
  const double u14 = 0.6, w14 = 0.8;  // template 14 at (0.8, 0.1)
  struct Case {
    int t;
    double x, y, rx, ry;
  };
  const Case cases[] = {
      {0, 0.0, 1.0, 0.0, -1.0},
      {0, 1.0, 0.0, 0.0, 1.0},
      {1, 0.5, 0.25, std::sin(kPi * 0.25), 0.0},
      {2, 0.0, 0.5, std::log(10.0), 0.0},
      {3, 1.0, 0.0, fold(std::fmod(kC.cosTheta, 2.0)), fold(std::fmod(kC.sinTheta, 2.0))},
      {4, 0.9, 0.4, std::fmod(0.42, 0.18) + 0.42, 0.2},  // u = 0.8, v = -0.2: A > B
      {4, 0.25, 0.25, 0.3, 0.5},                         // equal axes: second branch
      {5, 0.25, 0.75, std::sin(kPi * 0.25) + 0.75, std::cos(kPi * 0.75) + 0.25},
      {6, 0.5, 0.5, 0.0, 0.0},
      {6, 0.0, 0.0, 1.0, -0.375},  // corner: radius 1, angle -3/8 turn
      {7, 0.73, 0.33, 0.0, 0.0},
      {8, 1.0, 0.25, std::log(10.0) + 0.25, std::log(5.5) + 1.0},
      {9, 0.25, 0.125, 0.125, std::sin(kPi * 0.25) + 0.25},
      {10, 0.25, 0.5, 0.27, 0.77},
      {11, 0.1, 0.6, 0.8, 0.2},
      {12, 1.5, -0.25, 1.5 + std::tan(0.5) / std::tan(1.0),
       -0.25 - std::fabs(1.0 - std::tan(0.25) / std::tan(1.0))},
      {13, 0.0, 0.0, 0.0, 0.0},
      {13, -0.0, -0.0, 0.0, 0.0},  // a negative zero is still the origin
      {13, 1.0, 1.0, 1.0, 0.125},
      {14, 0.8, 0.1, fold(std::fmod(std::fabs(u14 * kC.cosTheta + w14 * kC.sinTheta), 2.0)),
       fold(std::fmod(std::fabs(w14 * kC.cosTheta - u14 * kC.sinTheta), 2.0))},
      {15, 0.5, 0.5, 0.0, 0.0},     // a = -1, b = 0
      {16, 1.0, 0.0, 0.0, 0.0},     // u = 1, v = -1
      {17, 1.5, 1.0, 0.0, -0.0},    // fmod(-2, 2), fmod(-10, 2)
      {18, 2.0, 0.5, 1.75, 0.0},    // fmod(3.75, 2)
      {18, -1.5, 1.0, 1.25, -1.0},  // the remainder keeps the dividend's sign
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "template " << c.t << " at " << c.x << "," << c.y);
    double rx = -7.0, ry = -7.0;
    ApplyTemplate(c.t, c.x, c.y, kC, rx, ry);
    EXPECT_NEAR(rx, c.rx, 1e-14);
    EXPECT_NEAR(ry, c.ry, 1e-14);
  }
  // Template 3 and 14 fold every value into [0, 1].
  for (int t : {3, 14})
    for (double x = -3.0; x <= 3.0; x += 0.37)
      for (double y = -3.0; y <= 3.0; y += 0.41) {
        double rx = -7.0, ry = -7.0;
        ApplyTemplate(t, x, y, kC, rx, ry);
        ASSERT_TRUE(rx >= 0.0 && rx <= 1.0 && ry >= 0.0 && ry <= 1.0) << t << " " << x << "," << y;
      }
  // Indices outside the table leave the result alone.
  for (int t : {-1, 19, 1000, std::numeric_limits<int>::min()}) {
    double rx = -7.0, ry = -7.0;
    ApplyTemplate(t, 0.3, 0.6, kC, rx, ry);
    EXPECT_EQ(rx, -7.0) << t;
    EXPECT_EQ(ry, -7.0) << t;
  }
}

TEST(Templates, RowPassEqualsPixelByPixel) {
  double cx[7], cy[7], rx[7], ry[7];
  for (int i = 0; i < 7; ++i) {
    cx[i] = -1.0 + 0.41 * i;
    cy[i] = 2.0 - 0.53 * i;
  }
  for (int t = 0; t < kTemplateCount; ++t) {
    ApplyTemplateRow(t, cx, cy, rx, ry, 7, kC);
    for (int i = 0; i < 7; ++i) {
      double px = 0, py = 0;
      ApplyTemplate(t, cx[i], cy[i], kC, px, py);
      EXPECT_EQ(std::memcmp(&px, &rx[i], 8), 0) << "template " << t << " pixel " << i;
      EXPECT_EQ(std::memcmp(&py, &ry[i], 8), 0) << "template " << t << " pixel " << i;
    }
  }
}

TEST(SampleNumbers, CombineTheFourMapsAsTabled) {
  const double expected[13] = {-0.125,
                               0.5,
                               -0.25,
                               -0.125,
                               0.75,
                               0.125,
                               std::sqrt(0.3125),
                               0.75,
                               0.125,
                               0.09375,
                               0.625,
                               0.4375,
                               std::sqrt(0.578125)};
  for (int n = 1; n <= 12; ++n)
    EXPECT_DOUBLE_EQ(CombineMaps(n, 0.5, -0.25, 0.75, 0.125), expected[n]) << n;
  for (int n : {0, 13, -1, 99}) EXPECT_EQ(CombineMaps(n, 0.5, -0.25, 0.75, 0.125), -0.125) << n;
}

TEST(Shaping, WrapMatchesRepeatedSubtractionAndAddition) {
  auto slow = [](double s) {
    while (s > 1.0) s -= 1.0;
    while (s < 0.0) s += 1.0;
    return s;
  };
  const double values[] = {0.0,         1.0,       2.0,    -0.25,   -1.0,    -1e-20,
                           1.0 + 1e-15, 3.75,      -7.125, 123.456, -98.765, 1e6 + .5,
                           -1e6 - .3,   0.9999999, 5.0,    -5.0,    1e-300,  -3.0 + 1e-13};
  for (double v : values) EXPECT_EQ(WrapUnit(v), slow(v)) << v;
  uint64_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double v = (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * 2000.0;
    ASSERT_EQ(WrapUnit(v), slow(v)) << v;
  }
  // Huge values wrap to the limits in constant time.
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(WrapUnit(1e300), 1.0);
  EXPECT_EQ(WrapUnit(-1e300), 0.0);
  EXPECT_EQ(WrapUnit(inf), 1.0);
  EXPECT_EQ(WrapUnit(-inf), 0.0);
  EXPECT_TRUE(std::isnan(WrapUnit(std::nan(""))));
}

TEST(Shaping, RepeatAndMirror) {
  struct Case {
    double v;
    int mirror;
    double r, expected;
  };
  for (const Case& c : {Case{1.0, 0, 1.0, 1.0}, Case{2.0, 0, 1.0, 1.0}, Case{-0.25, 0, 1.0, 0.75},
                        Case{0.5, 0, 2.5, 0.25}, Case{1.5, 0, 0.5, 0.75}, Case{0.0, 1, 1.0, 0.0},
                        Case{1.0, 1, 1.0, 0.0}, Case{0.5, 1, 1.0, 1.0},
                        Case{0.25, 2, 1.0, 0.25}})  // only a mirror flag of exactly 1 mirrors
    EXPECT_DOUBLE_EQ(ShapeValue(c.v, c.mirror, c.r), c.expected) << c.v << " " << c.mirror;
}

TEST(Lookup, InterpolatesClampsAndTreatsNanAsZero) {
  PaletteTable table{};
  for (int i = 0; i < 256; ++i) table.entry[i] = Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
  EXPECT_EQ(LookupColour(0.0, table), (Rgb{0, 255, 0}));
  EXPECT_EQ(LookupColour(1.0, table), (Rgb{255, 0, 127}));
  EXPECT_EQ(LookupColour(7.0, table), (Rgb{255, 0, 127}));
  EXPECT_EQ(LookupColour(-3.0, table), (Rgb{0, 255, 0}));
  EXPECT_EQ(LookupColour(std::nan(""), table), (Rgb{0, 255, 0}));
  // 255 * 0.5 = 127.5: halfway between entries 127 and 128, truncated.
  EXPECT_EQ(LookupColour(0.5, table), (Rgb{127, 127, 63}));
}
