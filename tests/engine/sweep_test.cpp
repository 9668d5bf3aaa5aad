#include "engine/sweep.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "palette/palette.h"
#include "common/progress_log.h"
#include "common/test_images.h"
#include "platform/x32comm/x32comm.h"

namespace {

const double kPi = 4.0 * std::atan(1.0);

// The record of the ring images: a grey ramp, every angle and offset 0.
ParamRecord greyRecord() {
  ParamRecord r{};
  r.templateIndex = 6;
  r.repeat = 100;
  r.ramp = DefaultRamp();
  return r;
}

Buf32Desc describe(int width, int height, int bits = 24) {
  Buf32Desc d{};
  d.w[kBuf32DescBitsPerPixel] = bits;
  d.w[kBuf32DescWidth] = width;
  d.w[kBuf32DescHeight] = height;
  return d;
}

// A rendered image copied out of its buffer, which is freed.
struct Picture {
  int width = 0, height = 0;
  std::vector<Rgb> px;
  const Rgb& at(int x, int y) const { return px[static_cast<size_t>(y * width + x)]; }
  friend bool operator==(const Picture&, const Picture&) = default;
};

Picture takePicture(Buf32Handle h) {
  Picture p;
  uint32_t w = 0, ht = 0;
  EXPECT_TRUE(buf32GetWHU(h, &w, &ht, nullptr));
  p.width = static_cast<int>(w);
  p.height = static_cast<int>(ht);
  for (const TestRgb& c : ImagePixels(h)) p.px.push_back(Rgb{c.r, c.g, c.b});
  buf32Free(h);
  return p;
}

Picture render(const ParamRecord& r, int width, int height) {
  Buf32Handle h = 0;
  EXPECT_EQ(RenderSweep(0, r, describe(width, height), &h, nullptr), 1);
  return takePicture(h);
}

// Grey level of the sweep before its seam is softened, from the picture's
// definition: the palette position is the angle round the centre (counted
// from the sweep angle), looked up in the grey table.
int sweepGrey(int col, int row, int width, int height, const ParamRecord& r) {
  const double cx = r.sweepCentreX / 100.0, cy = r.sweepCentreY / 100.0;
  const double x = -1.0 - cx + 2.0 * col / (width - 1);
  const double y = -1.0 - cy + 2.0 * row / (height - 1);
  const double phi = (((r.sweepAngle % 360) + 360) % 360) * kPi / 180.0;
  double t = 0.0;
  if (x != 0.0 || y != 0.0) {
    t = (std::atan2(y, x) + kPi - phi) / (2.0 * kPi);
    if (t < 0.0) t += 1.0;
  }
  PaletteTable table{};
  BuildPaletteTable(0, DefaultRamp(), table, 1);
  return SamplePaletteTable(table, t).red;
}

int g_escCalls = 0;
int g_escPressOnCall = 0;
int escapeOnCall() { return ++g_escCalls >= g_escPressOnCall ? 1 : 0; }

class SweepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    c32ResetDLLErrInfo();
    g_escCalls = 0;
    liveBefore_ = buf32LiveCount();
  }
  void TearDown() override {
    x32SetEscPoll(nullptr);
    EXPECT_EQ(buf32LiveCount(), liveBefore_) << "buffers leaked";
  }
  int liveBefore_ = 0;
};

TEST_F(SweepTest, GreyRampGreyLevelIsTheAngleFromTheLeft) {
  const int w = 41, h = 31;
  const Picture p = render(greyRecord(), w, h);
  const double cxp = (w - 1) / 2.0, cyp = (h - 1) / 2.0;
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) {
      const Rgb c = p.at(col, row);
      ASSERT_EQ(c.red, c.green);
      ASSERT_EQ(c.red, c.blue);
      if (col == cxp && row == cyp) continue;
      const double x = -1.0 + 2.0 * col / (w - 1), y = -1.0 + 2.0 * row / (h - 1);
      const double exact = 255.0 * (std::atan2(y, x) + kPi) / (2.0 * kPi);
      const double nearest = std::round(exact);
      if (std::fabs(exact - nearest) < 1e-9)
        EXPECT_NEAR(c.red, nearest, 1.0) << col << "," << row;
      else
        EXPECT_EQ(c.red, static_cast<int>(std::floor(exact))) << col << "," << row;
    }
}

TEST_F(SweepTest, SeamRunsFromTheCentreToTheLeftEdge) {
  const int w = 41, h = 31, cx = 20, cy = 15;
  const Picture p = render(greyRecord(), w, h);
  for (int col = 0; col < cx; ++col) {
    EXPECT_EQ(p.at(col, cy).red, 255) << col;      // on the seam: a full turn
    EXPECT_LT(p.at(col, cy - 1).red, 40) << col;   // just above: the start
    EXPECT_GT(p.at(col, cy + 1).red, 215) << col;  // just below: the end
  }
  EXPECT_LE(p.at(0, cy - 1).red, 2);
  EXPECT_GE(p.at(0, cy + 1).red, 252);
  for (int col = cx + 1; col < w; ++col) EXPECT_NEAR(p.at(col, cy).red, 127, 1) << col;
  // Clockwise on the screen: the top is a quarter turn, the bottom three.
  EXPECT_NEAR(p.at(cx, 0).red, 63, 1);
  EXPECT_NEAR(p.at(cx, h - 1).red, 191, 1);
}

TEST_F(SweepTest, CentrePixelTakesPositionZero) {
  ParamRecord r = greyRecord();
  r.ramp.count = 2;
  r.ramp.stops[0] = RampStop{0, 10, 20, 30};
  r.ramp.stops[1] = RampStop{255, 200, 100, 50};
  EXPECT_EQ(render(r, 41, 31).at(20, 15), (Rgb{10, 20, 30}));

  // Moved centre: half the half-width right, half the half-height up.
  r.sweepCentreX = 50;
  r.sweepCentreY = -50;
  r.sweepAngle = 77;
  const Picture p = render(r, 41, 41);
  EXPECT_EQ(p.at(30, 10), (Rgb{10, 20, 30}));
  EXPECT_NE(p.at(20, 20), (Rgb{10, 20, 30}));
}

TEST_F(SweepTest, SweepAngleTurnsThePicture) {
  ParamRecord r = greyRecord();
  r.sweepAngle = 90;
  const Picture p = render(r, 41, 41);
  // The start has moved to the top; the left is now three quarters round.
  EXPECT_LE(p.at(21, 5).red, 4);
  EXPECT_GE(p.at(19, 5).red, 250);
  EXPECT_NEAR(p.at(5, 20).red, 191, 1);
  EXPECT_NEAR(p.at(35, 20).red, 63, 1);
}

TEST_F(SweepTest, EqualAnglesDrawTheSamePicture) {
  ParamRecord r = greyRecord();
  r.ramp.count = 3;
  r.ramp.stops[0] = RampStop{0, 250, 10, 10};
  r.ramp.stops[1] = RampStop{90, 10, 250, 10};
  r.ramp.stops[2] = RampStop{200, 10, 10, 250};
  r.sweepCentreX = 17;
  r.sweepCentreY = -33;
  r.sweepAngle = -90;
  const Picture minus90 = render(r, 37, 29);
  r.sweepAngle = 270;
  EXPECT_EQ(render(r, 37, 29), minus90);
  r.sweepAngle = 270 + 360 * 1000;
  EXPECT_EQ(render(r, 37, 29), minus90);
  r.sweepAngle = 271;
  EXPECT_NE(render(r, 37, 29), minus90);
}

TEST_F(SweepTest, SeamBlendsThePixelsBelowItWithTheSeamRow) {
  // Centre a quarter of the half-height down in a 9 x 5 image: the centre
  // pixel lies half-way between rows 2 and 3, so the seam walk gives each
  // pixel of row 3 left of the centre half of the pixel above it.
  ParamRecord r = greyRecord();
  r.sweepCentreY = 25;
  const int w = 9, h = 5;
  const Picture p = render(r, w, h);
  for (int col = 0; col < w; ++col) {
    const int own = sweepGrey(col, 3, w, h, r);
    EXPECT_EQ(p.at(col, 2).red, sweepGrey(col, 2, w, h, r)) << col;
    if (col <= 4) {
      EXPECT_NEAR(p.at(col, 3).red, static_cast<int>(p.at(col, 2).red * 0.5 + own * 0.5), 1) << col;
      EXPECT_LT(p.at(col, 3).red, own - 50) << col;  // the hard edge is softened
    } else {
      EXPECT_EQ(p.at(col, 3).red, own) << col;
    }
  }
}

TEST_F(SweepTest, SteepSeamWalksByRows) {
  // Angle 90 puts the seam straight up from a centre a quarter of the
  // half-width to the right: each row's pixel right of the seam column takes
  // half of the seam column.
  ParamRecord r = greyRecord();
  r.sweepAngle = 90;
  r.sweepCentreX = 25;
  const int w = 5, h = 9;
  const Picture p = render(r, w, h);
  for (int row = 0; row < h; ++row) {
    const int own = sweepGrey(3, row, w, h, r);
    if (row <= 4) {
      EXPECT_NEAR(p.at(3, row).red, static_cast<int>(p.at(2, row).red * 0.5 + own * 0.5), 1) << row;
      EXPECT_GT(p.at(3, row).red, own + 50) << row;  // the hard edge is softened
    } else {
      EXPECT_EQ(p.at(3, row).red, own) << row;
    }
  }
}

TEST_F(SweepTest, HueShiftAndRingColourTheSweep) {
  ParamRecord r = greyRecord();
  r.ramp.count = 1;
  r.ramp.stops[0] = RampStop{0, 255, 0, 0};
  r.hueShift = 120;
  const Picture p = render(r, 9, 9);
  for (const Rgb& c : p.px) EXPECT_EQ(c, (Rgb{0, 255, 0}));

  // Ring 90 turns the grey table up by 64 places: where the sweep starts
  // (index 2 at the far left, just above the seam) it shows grey 194, and
  // at the right (index 127) grey 63.
  ParamRecord g = greyRecord();
  g.ring = 90;
  const Picture turned = render(g, 41, 31);
  EXPECT_NEAR(turned.at(0, 14).red, 194, 1);
  EXPECT_NEAR(turned.at(40, 15).red, 63, 1);
}

TEST_F(SweepTest, MakesTheDestinationFromTheDescriptionOrDrawsIntoTheGivenOne) {
  Buf32Handle h = 0;
  Buf32Desc d = describe(13, 7);
  d.w[kBuf32DescModel] = 42;
  ASSERT_EQ(RenderSweep(0, greyRecord(), d, &h, nullptr), 1);
  Buf32Desc info;
  ASSERT_TRUE(buf32GetInfo(h, &info));
  EXPECT_EQ(info.w[kBuf32DescBitsPerPixel], 24);
  EXPECT_EQ(info.w[kBuf32DescModel], 42);
  const Picture made = takePicture(h);
  EXPECT_EQ(made.width, 13);
  EXPECT_EQ(made.height, 7);
  EXPECT_EQ(made.at(0, 0).red, sweepGrey(0, 0, 13, 7, greyRecord()));

  ASSERT_TRUE(buf32Alloc(&h, 24, 11, 9, 0, nullptr));
  const Buf32Handle given = h;
  const int live = buf32LiveCount();
  // The description is only for making a destination; a given one keeps its size.
  ASSERT_EQ(RenderSweep(0, greyRecord(), describe(500, 500), &h, nullptr), 1);
  EXPECT_EQ(h, given);
  EXPECT_EQ(buf32LiveCount(), live);
  const Picture p = takePicture(h);
  EXPECT_EQ(p.width, 11);
  EXPECT_EQ(p.at(10, 4).red, sweepGrey(10, 4, 11, 9, greyRecord()));
}

TEST_F(SweepTest, UnusableDestinationsFailWithOutOfMemory) {
  Buf32Handle h = 0;
  EXPECT_EQ(RenderSweep(0, greyRecord(), describe(0, 10), &h, nullptr), 0);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 1001);

  c32ResetDLLErrInfo();
  EXPECT_EQ(RenderSweep(0, greyRecord(), describe(10, 10, 8), &h, nullptr), 0);
  EXPECT_EQ(h, 0u);  // the 8-bit image it made cannot take the sweep and is gone
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 1001);

  c32ResetDLLErrInfo();
  Buf32Handle stale = 0;
  ASSERT_TRUE(buf32Alloc(&stale, 24, 4, 4, 0, nullptr));
  buf32Free(stale);
  EXPECT_EQ(RenderSweep(0, greyRecord(), describe(4, 4), &stale, nullptr), 0);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 1001);

  c32ResetDLLErrInfo();
  EXPECT_EQ(RenderSweep(0, greyRecord(), describe(4, 4), nullptr, nullptr), 0);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 1001);
}

TEST_F(SweepTest, ReportsProgressFromStartToEnd) {
  ProgressLog log;
  const ProgressBlock block = log.Block(0, 10, 60);
  Buf32Handle h = 0;
  ASSERT_EQ(RenderSweep(0, greyRecord(), describe(8, 25), &h, &block), 1);
  buf32Free(h);
  EXPECT_EQ(log.ExpectOneRun(10, 60), 60);  // the last row reaches the end of the range
}

TEST_F(SweepTest, EscapeStopsTheRenderPartlyDrawnOnlyWhenTheBlockAsksForIt) {
  // The poll is asked once at the start and once after each row.
  struct Case {
    int pressOnCall, escapeCheck, result, rowsDrawn;
  };
  for (const Case c : {Case{4, 1, 0, 3}, Case{1, 1, 0, 0}, Case{1, 0, 1, 10}}) {
    SCOPED_TRACE(testing::Message() << c.pressOnCall << " " << c.escapeCheck);
    g_escCalls = 0;
    g_escPressOnCall = c.pressOnCall;
    ProgressLog log;
    c32ResetDLLErrInfo();
    x32SetEscPoll(escapeOnCall);
    ParamRecord r = greyRecord();
    r.ramp.count = 1;
    r.ramp.stops[0] = RampStop{0, 200, 100, 50};
    const ProgressBlock block = log.Block(c.escapeCheck, 0, 100);
    Buf32Handle h = 0;
    ASSERT_EQ(RenderSweep(0, r, describe(6, 10), &h, &block), c.result);
    EXPECT_EQ(c32GetDLLErrInfo(nullptr), c.result ? 0 : 5200);
    ASSERT_NE(h, 0u);  // a partly drawn destination stays with the caller
    const Picture p = takePicture(h);
    for (int row = 0; row < 10; ++row)
      EXPECT_EQ(p.at(3, row), row < c.rowsDrawn ? (Rgb{200, 100, 50}) : (Rgb{0, 0, 0})) << row;
    ASSERT_FALSE(log.calls.empty());
    EXPECT_EQ(log.calls.back().first, kProgressEnd) << "the run ends even when stopped";
    if (!c.escapeCheck) {
      EXPECT_EQ(g_escCalls, 0);
    }
  }
  Buf32Handle h = 0;  // without a block there is no Escape check either
  EXPECT_EQ(RenderSweep(0, greyRecord(), describe(6, 6), &h, nullptr), 1);
  buf32Free(h);
}

TEST_F(SweepTest, AnyRecordWordsAndRampsRenderWithoutFault) {
  const int32_t extremes[] = {INT_MIN, -100000, -201, -100, -99, -1,    0,
                              1,       99,      100,  101,  200, 12345, INT_MAX};
  ParamRecord r = greyRecord();
  for (int32_t a : extremes)
    for (int32_t cx : extremes)
      for (int32_t cy : {INT_MIN, -150, 0, 50, INT_MAX}) {
        r.sweepAngle = a;
        r.sweepCentreX = cx;
        r.sweepCentreY = cy;
        Buf32Handle h = 0;
        ASSERT_EQ(RenderSweep(0, r, describe(7, 5), &h, nullptr), 1) << a << " " << cx << " " << cy;
        buf32Free(h);
      }
  r = greyRecord();
  for (int32_t count : {INT_MIN, -1, 0}) {
    r.ramp.count = count;
    for (const Rgb& c : render(r, 5, 5).px) EXPECT_EQ(c, (Rgb{0, 0, 0}));  // no stops, no colour
  }
  std::mt19937 rng(2024);
  for (int i = 0; i < 200; ++i) {
    auto* words = reinterpret_cast<uint32_t*>(&r);
    for (int k = 0; k < kRecordWords; ++k) words[k] = rng();
    if (i % 2) r.ramp.count = std::array<int32_t, 6>{1, 2, 255, 256, 257, INT_MAX}[i % 6];
    const int w = 1 + static_cast<int>(rng() % 9), h = 1 + static_cast<int>(rng() % 7);
    Buf32Handle dest = 0;
    EXPECT_EQ(RenderSweep(static_cast<intptr_t>(rng()), r, describe(w, h), &dest, nullptr), 1);
    buf32Free(dest);
  }
}

}  // namespace
