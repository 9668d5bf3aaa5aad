#include "engine/templates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

const TemplateConstants kC = MakeTemplateConstants();
const double kPi = 4.0 * std::atan(1.0);

struct Pair {
  double x, y;
};

Pair apply(int t, double x, double y) {
  Pair r{-7.0, -7.0};
  ApplyTemplate(t, x, y, kC, r.x, r.y);
  return r;
}

double fold(double s) { return s <= 1.0 ? s : 2.0 - s; }

}  // namespace

TEST(Templates, ConstantsAreThirtyThreeDegreesAndPointTwoSeven) {
  EXPECT_NEAR(kC.theta * 180.0 / kPi, 33.0, 1e-12);
  EXPECT_DOUBLE_EQ(kC.k, 0.27);
}

TEST(Templates, TrigonometricTemplatesAtChosenPoints) {
  // Left and right columns of a 2 x 2 identity image.
  EXPECT_EQ(apply(0, 0.0, 0.0).x, 0.0);
  EXPECT_NEAR(apply(0, 1.0, 0.0).x, 0.0, 1e-15);  // sin(pi) is not exactly 0 in any libm
  EXPECT_EQ(apply(0, 0.0, 1.0).y, -1.0);
  // The library functions may differ in the last bits between C libraries
  // (cos(pi/2) is 6.1232e-17 in one, 6.1230e-17 in another).
  Pair t1 = apply(1, 0.5, 0.25);
  EXPECT_NEAR(t1.x, std::sin(kPi * 0.25), 1e-14);
  EXPECT_NEAR(t1.y, std::cos(kPi * 0.5), 1e-14);
  Pair t5 = apply(5, 0.25, 0.75);
  EXPECT_NEAR(t5.x, std::sin(kPi * 0.25) + 0.75, 1e-14);
  EXPECT_NEAR(t5.y, std::cos(kPi * 0.75) + 0.25, 1e-14);
  Pair t9 = apply(9, 0.25, 0.125);
  EXPECT_NEAR(t9.x, std::cos(2 * kPi * 0.25) + 0.125, 1e-14);
  EXPECT_NEAR(t9.y, std::sin(2 * kPi * 0.125) + 0.25, 1e-14);
}

TEST(Templates, LogarithmicTemplates) {
  Pair t2 = apply(2, 0.0, 0.5);
  EXPECT_DOUBLE_EQ(t2.x, std::log(10.0));
  EXPECT_EQ(t2.y, 0.0);
  Pair t8 = apply(8, 1.0, 0.25);
  EXPECT_DOUBLE_EQ(t8.x, std::log(10.0) + 0.25);
  EXPECT_DOUBLE_EQ(t8.y, std::log(1.0 + 9.0 * 0.5) + 1.0);
}

TEST(Templates, RotatedFoldsStayInsideZeroToOne) {
  for (int t : {3, 14}) {
    for (double x = -3.0; x <= 3.0; x += 0.37) {
      for (double y = -3.0; y <= 3.0; y += 0.41) {
        Pair r = apply(t, x, y);
        EXPECT_GE(r.x, 0.0);
        EXPECT_LE(r.x, 1.0);
        EXPECT_GE(r.y, 0.0);
        EXPECT_LE(r.y, 1.0);
      }
    }
  }
  // Template 14 at (0.8, 0.1): u = 0.6, 1 - 2y = 0.8.
  const double u = 0.6, w = 0.8;
  Pair r = apply(14, 0.8, 0.1);
  EXPECT_DOUBLE_EQ(r.x, fold(std::fmod(std::fabs(u * kC.cosTheta + w * kC.sinTheta), 2.0)));
  EXPECT_DOUBLE_EQ(r.y, fold(std::fmod(std::fabs(w * kC.cosTheta - u * kC.sinTheta), 2.0)));
  // Template 3 folds values above 1: at (1, 0), m = 1 - 1 = 0, u = 1.
  Pair r3 = apply(3, 1.0, 0.0);
  EXPECT_DOUBLE_EQ(r3.x, fold(std::fmod(kC.cosTheta, 2.0)));
}

TEST(Templates, TemplateFourPicksTheLargerAxis) {
  // u = 0.8, v = -0.2: A = 0.42 > B = 0.18.
  Pair a = apply(4, 0.9, 0.4);
  EXPECT_DOUBLE_EQ(a.x, std::fmod(0.1 + 0.4 * 0.8, 0.1 + 0.4 * 0.2) + (0.1 + 0.4 * 0.8));
  EXPECT_DOUBLE_EQ(a.y, std::fabs(2 * 0.4 - 1.0));
  // Equal axes take the second branch.
  Pair b = apply(4, 0.25, 0.25);
  EXPECT_DOUBLE_EQ(b.x, std::fmod(0.3, 0.3) + 0.3);
  EXPECT_DOUBLE_EQ(b.y, 0.5);
}

TEST(Templates, PolarTemplatesAreZeroAtTheirCentres) {
  Pair t6 = apply(6, 0.5, 0.5);
  EXPECT_EQ(t6.x, 0.0);
  EXPECT_EQ(t6.y, 0.0);
  Pair t7 = apply(7, 0.73, 0.33);
  EXPECT_EQ(t7.x, 0.0);
  EXPECT_EQ(t7.y, 0.0);
  Pair t13 = apply(13, 0.0, 0.0);
  EXPECT_EQ(t13.x, 0.0);
  EXPECT_EQ(t13.y, 0.0);
  // A negative zero is still the origin.
  Pair t13n = apply(13, -0.0, -0.0);
  EXPECT_EQ(t13n.y, 0.0);
  // Corner of template 6 lies at distance sqrt(0.5): radius 1, angle -3/8 turn.
  Pair c = apply(6, 0.0, 0.0);
  EXPECT_DOUBLE_EQ(c.x, 1.0);
  EXPECT_DOUBLE_EQ(c.y, -0.375);
  Pair t13c = apply(13, 1.0, 1.0);
  EXPECT_DOUBLE_EQ(t13c.x, 1.0);
  EXPECT_DOUBLE_EQ(t13c.y, 0.125);
}

TEST(Templates, LinearAndAbsoluteTemplates) {
  Pair t10 = apply(10, 0.25, 0.5);
  EXPECT_DOUBLE_EQ(t10.x, 2 * 0.5 + 0.27 - 1.0);
  EXPECT_DOUBLE_EQ(t10.y, 0.27 + 1.0 - 0.5);
  Pair t11 = apply(11, 0.1, 0.6);  // a = 0.8, b = 0.2
  EXPECT_DOUBLE_EQ(t11.x, std::fmod(0.8, 1.0));
  EXPECT_DOUBLE_EQ(t11.y, std::fmod(std::fabs(2 * 0.6 - 1.0), 1.0));
  Pair t12 = apply(12, 1.5, -0.25);
  EXPECT_DOUBLE_EQ(t12.x, 1.5 + std::fabs(std::tan(0.5) / std::tan(1.0)));
  EXPECT_DOUBLE_EQ(t12.y, -0.25 - std::fabs(1.0 - std::tan(0.25) / std::tan(1.0)));
}

TEST(Templates, RationalAndPolynomialTemplatesWrapWithTheDividendsSign) {
  Pair t15 = apply(15, 0.5, 0.5);  // a = -1, b = 0, D = 0.1
  EXPECT_DOUBLE_EQ(t15.x, std::fmod(0.0 / 0.1, 2.0));
  EXPECT_EQ(t15.y, 0.0);
  Pair t16 = apply(16, 1.0, 0.0);  // u = 1, v = -1
  EXPECT_EQ(t16.x, 0.0);
  EXPECT_EQ(t16.y, -0.0);
  EXPECT_TRUE(std::signbit(t16.y) || t16.y == 0.0);
  Pair t17 = apply(17, 1.5, 1.0);  // p = 3, q = 2: 3 * -2 + 4 = -2, 2 - 12 = -10
  EXPECT_EQ(t17.x, std::fmod(-2.0, 2.0));
  EXPECT_EQ(t17.y, std::fmod(-10.0, 2.0));
  Pair t18 = apply(18, 2.0, 0.5);
  EXPECT_DOUBLE_EQ(t18.x, std::fmod(3.75, 2.0));
  EXPECT_DOUBLE_EQ(t18.y, 0.0);
  Pair t18n = apply(18, -1.5, 1.0);  // 2.25 - 1 = 1.25; 2 * -1.5 * 1 = -3
  EXPECT_DOUBLE_EQ(t18n.x, 1.25);
  EXPECT_DOUBLE_EQ(t18n.y, -1.0);
}

TEST(Templates, IndicesOutsideTheTableLeaveTheResultAlone) {
  for (int t : {-1, 19, 20, 1000, std::numeric_limits<int>::min()}) {
    Pair r = apply(t, 0.3, 0.6);
    EXPECT_EQ(r.x, -7.0) << t;
    EXPECT_EQ(r.y, -7.0) << t;
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
      Pair p = apply(t, cx[i], cy[i]);
      EXPECT_EQ(std::memcmp(&p.x, &rx[i], 8), 0) << "template " << t << " pixel " << i;
      EXPECT_EQ(std::memcmp(&p.y, &ry[i], 8), 0) << "template " << t << " pixel " << i;
    }
  }
}

TEST(SampleNumbers, CombineTheFourMapsAsTabled) {
  const double rx = 0.5, ry = -0.25, cx = 0.75, cy = 0.125;
  EXPECT_EQ(CombineMaps(1, rx, ry, cx, cy), 0.5);
  EXPECT_EQ(CombineMaps(2, rx, ry, cx, cy), -0.25);
  EXPECT_EQ(CombineMaps(3, rx, ry, cx, cy), -0.125);
  EXPECT_EQ(CombineMaps(4, rx, ry, cx, cy), 0.75);
  EXPECT_EQ(CombineMaps(5, rx, ry, cx, cy), 0.125);
  EXPECT_DOUBLE_EQ(CombineMaps(6, rx, ry, cx, cy), std::sqrt(0.3125));
  EXPECT_EQ(CombineMaps(7, rx, ry, cx, cy), 0.75);
  EXPECT_EQ(CombineMaps(8, rx, ry, cx, cy), 0.125);
  EXPECT_EQ(CombineMaps(9, rx, ry, cx, cy), 0.09375);
  EXPECT_EQ(CombineMaps(10, rx, ry, cx, cy), 0.625);
  EXPECT_EQ(CombineMaps(11, rx, ry, cx, cy), 0.4375);
  EXPECT_DOUBLE_EQ(CombineMaps(12, rx, ry, cx, cy), std::sqrt(0.578125));
  for (int n : {0, 13, -1, 99}) EXPECT_EQ(CombineMaps(n, rx, ry, cx, cy), -0.125) << n;
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
  // Deterministic pseudo-random sweep.
  uint64_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double v = (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * 2000.0;
    ASSERT_EQ(WrapUnit(v), slow(v)) << v;
  }
}

TEST(Shaping, HugeValuesWrapInConstantTime) {
  EXPECT_EQ(WrapUnit(1e300), 1.0);
  EXPECT_EQ(WrapUnit(-1e300), 0.0);
  EXPECT_EQ(WrapUnit(std::numeric_limits<double>::infinity()), 1.0);
  EXPECT_EQ(WrapUnit(-std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_TRUE(std::isnan(WrapUnit(std::nan(""))));
}

TEST(Shaping, RepeatAndMirror) {
  EXPECT_EQ(ShapeValue(1.0, 0, 1.0), 1.0);
  EXPECT_EQ(ShapeValue(2.0, 0, 1.0), 1.0);
  EXPECT_EQ(ShapeValue(-0.25, 0, 1.0), 0.75);
  EXPECT_DOUBLE_EQ(ShapeValue(0.5, 0, 250 * 0.01), 0.25);
  EXPECT_DOUBLE_EQ(ShapeValue(1.5, 0, 50 * 0.01), 0.75);
  EXPECT_EQ(ShapeValue(0.0, 1, 1.0), 0.0);
  EXPECT_EQ(ShapeValue(1.0, 1, 1.0), 0.0);
  EXPECT_EQ(ShapeValue(0.5, 1, 1.0), 1.0);
  // Only a mirror flag of exactly 1 mirrors.
  EXPECT_EQ(ShapeValue(0.25, 2, 1.0), 0.25);
  EXPECT_EQ(100 * 0.01, 1.0);
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
