#include "engine/sweep.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "common/progress_log.h"
#include "common/test_images.h"
#include "platform/x32comm/x32comm.h"

namespace {

// The record of the ring images: a grey ramp, every angle and offset 0.
ParamRecord greyRecord() {
  ParamRecord r{};
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

struct Picture {
  int width = 0;
  std::vector<TestRgb> px;
  int grey(int x, int y) const { return px[static_cast<size_t>(y * width + x)].r; }
};

Picture render(const ParamRecord& r, int width, int height) {
  TestBuffer h;
  EXPECT_EQ(RenderSweep(r, describe(width, height), &h.handle, nullptr), kRenderOk);
  return Picture{width, ImagePixels(h.handle)};
}

int g_polls = 0;
int escapeOnThirdPoll() { return ++g_polls == 3 ? 1 : 0; }

}  // namespace

TEST(Sweep, GreyLevelGrowsClockwiseFromTheLeftAndTheAngleTurnsIt) {
  // Position p at the angle 2 pi p turned clockwise from the left: a quarter at the top, a half at
  // the right, three quarters at the bottom; the centre takes 0.
  const Picture p = render(greyRecord(), 41, 41);
  for (auto [x, y, grey] : {std::tuple{20, 0, 64}, {40, 20, 128}, {20, 40, 191}, {20, 20, 0}})
    EXPECT_NEAR(p.grey(x, y), grey, 1) << x << "," << y;
  // Symmetric about the horizontal axis on the right half: p and 1 - p.
  EXPECT_NEAR(p.grey(35, 10) + p.grey(35, 30), 255, 2);
  // A sweep angle of 90 degrees starts a quarter turn later; equal angles agree.
  std::vector<TestRgb> turned;
  for (int angle : {90, -270, 450, 90 + 360 * 1000}) {
    ParamRecord r = greyRecord();
    r.sweepAngle = angle;
    const Picture q = render(r, 41, 41);
    if (turned.empty()) turned = q.px;
    EXPECT_TRUE(std::abs(q.grey(40, 20) - 64) <= 1 && std::abs(q.grey(20, 40) - 128) <= 1 &&
                q.px == turned)
        << angle;
  }
}

// With the centre a quarter down, the seam runs left from between rows 2 and 3: row 2 has just
// passed position 0, row 3 is about to reach it and is blended half-way towards row 2. A steep seam
// (angle 90, centre a quarter right) is walked by rows: the column right of it is blended towards
// the bright column on its left. At angle 240 from the centre of 5 x 9 the seam slants from pixel
// (2, 4) to (3.15, 8): in rows 5 to 7 the bright pixel right of it (231, 244, 252 unblended) takes
// 0.29, 0.58 and 0.87 of the dark one on its left (21).
TEST(Sweep, TheSeamIsSoftenedWhereThePositionWrapsRound) {
  ParamRecord flat = greyRecord(), steep = greyRecord(), slant = greyRecord();
  flat.sweepCentreY = 25;
  steep.sweepAngle = 90;
  steep.sweepCentreX = 25;
  slant.sweepAngle = 240;
  const Picture p = render(flat, 9, 5), q = render(steep, 5, 9), r = render(slant, 5, 9);
  const auto half = [](int v) { return v > 90 && v < 190; };
  for (int k = 0; k <= 3; ++k)
    EXPECT_TRUE(p.grey(k, 2) < 70 && half(p.grey(k, 3)) && q.grey(2, k) > 200 && half(q.grey(3, k)))
        << k;
  EXPECT_GT(p.grey(8, 3), 100);  // right of the centre: no seam
  EXPECT_LT(q.grey(3, 8), 190);
  for (auto [row, grey] : {std::pair{5, 170}, {6, 115}, {7, 52}})
    EXPECT_NEAR(r.grey(3, row), grey, 3) << row;
}

TEST(Sweep, DrawsIntoTheGivenImageOrFailsWithoutLeaking) {
  const int live = buf32LiveCount();
  TestBuffer given(11, 9);
  ASSERT_EQ(RenderSweep(greyRecord(), describe(3, 3), &given.handle, nullptr), kRenderOk);
  EXPECT_EQ(ImagePixels(given.handle), render(greyRecord(), 11, 9).px);

  TestBuffer grey8(4, 4, 0, 8);
  Buf32Handle made = 0, stale = grey8.handle;
  for (auto [d, h] : {std::pair{describe(0, 10), &made},
                      {describe(10, 10, 8), &made},
                      {describe(4, 4), &stale},
                      {describe(4, 4), nullptr}})
    EXPECT_EQ(RenderSweep(greyRecord(), d, h, nullptr), kRenderOutOfMemory);
  EXPECT_EQ(made, 0u);
  EXPECT_EQ(buf32LiveCount(), live + 2);
}

TEST(Sweep, ProgressRunsOnceAndEscapeStopsOnlyWhenAsked) {
  ProgressLog log;
  const ProgressBlock block = log.Block(0, 0, 25);
  TestBuffer h;
  ASSERT_EQ(RenderSweep(greyRecord(), describe(8, 25), &h.handle, &block), kRenderOk);
  EXPECT_EQ(log.ExpectOneRun(0, 25), 25);

  x32SetEscPoll(escapeOnThirdPoll);
  for (int check : {0, 1}) {
    g_polls = 0;
    TestBuffer out(6, 10);
    const ProgressBlock b{check, nullptr, 0, 0, 100};
    EXPECT_EQ(RenderSweep(greyRecord(), describe(6, 10), &out.handle, &b),
              check ? kRenderStopped : kRenderOk);
    // Stopped after two rows: the rest is still black.
    EXPECT_EQ(ImagePixels(out.handle).back() == (TestRgb{0, 0, 0}), check == 1);
  }
  x32SetEscPoll(nullptr);
}
