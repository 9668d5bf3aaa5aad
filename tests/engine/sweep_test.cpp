#include "engine/sweep.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
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
  // Position p at the angle 2 pi p turned clockwise from the left: a quarter at
  // the top, a half at the right, three quarters at the bottom.
  const Picture p = render(greyRecord(), 41, 41);
  EXPECT_NEAR(p.grey(20, 0), 64, 1);
  EXPECT_NEAR(p.grey(40, 20), 128, 1);
  EXPECT_NEAR(p.grey(20, 40), 191, 1);
  EXPECT_EQ(p.grey(20, 20), 0);  // the centre takes position 0
  // Symmetric about the horizontal axis on the right half: p and 1 - p.
  EXPECT_NEAR(p.grey(35, 10) + p.grey(35, 30), 255, 2);

  // A sweep angle of 90 degrees starts a quarter turn later; equal angles agree.
  ParamRecord r = greyRecord();
  r.sweepAngle = 90;
  const Picture turned = render(r, 41, 41);
  EXPECT_NEAR(turned.grey(40, 20), 64, 1);
  EXPECT_NEAR(turned.grey(20, 40), 128, 1);
  for (int angle : {-270, 450, 90 + 360 * 1000})
    EXPECT_EQ(render(
                  [&] {
                    ParamRecord a = greyRecord();
                    a.sweepAngle = angle;
                    return a;
                  }(),
                  41, 41)
                  .px,
              turned.px)
        << angle;
}

TEST(Sweep, TheSeamIsSoftenedWhereThePositionWrapsRound) {
  // With the centre a quarter down, the seam runs left from between rows 2
  // and 3: row 2 has just passed position 0, row 3 is about to reach it and
  // is blended half-way towards the row above.
  ParamRecord r = greyRecord();
  r.sweepCentreY = 25;
  const Picture p = render(r, 9, 5);
  for (int col = 0; col <= 3; ++col) {
    EXPECT_LT(p.grey(col, 2), 70) << col;
    EXPECT_GT(p.grey(col, 3), 90) << col;
    EXPECT_LT(p.grey(col, 3), 190) << col;
  }
  EXPECT_GT(p.grey(8, 3), 100);  // right of the centre: no seam
  // A steep seam (angle 90, centre a quarter right) is walked by rows: the
  // column right of it is blended towards the bright column on its left.
  r = greyRecord();
  r.sweepAngle = 90;
  r.sweepCentreX = 25;
  const Picture steep = render(r, 5, 9);
  for (int row = 0; row <= 3; ++row) {
    EXPECT_GT(steep.grey(2, row), 200) << row;
    EXPECT_GT(steep.grey(3, row), 90) << row;
    EXPECT_LT(steep.grey(3, row), 190) << row;
  }
  EXPECT_LT(steep.grey(3, 8), 190);
}

TEST(Sweep, DrawsIntoTheGivenImageOrFailsWithoutLeaking) {
  const int live = buf32LiveCount();
  TestBuffer given(11, 9);
  ASSERT_EQ(RenderSweep(greyRecord(), describe(3, 3), &given.handle, nullptr), kRenderOk);
  EXPECT_EQ(ImagePixels(given.handle), render(greyRecord(), 11, 9).px);

  TestBuffer grey8(4, 4, 0, 8);
  Buf32Handle stale = grey8.handle;
  Buf32Handle made = 0;
  EXPECT_EQ(RenderSweep(greyRecord(), describe(0, 10), &made, nullptr), kRenderOutOfMemory);
  EXPECT_EQ(RenderSweep(greyRecord(), describe(10, 10, 8), &made, nullptr), kRenderOutOfMemory);
  EXPECT_EQ(made, 0u);
  EXPECT_EQ(RenderSweep(greyRecord(), describe(4, 4), &stale, nullptr), kRenderOutOfMemory);
  EXPECT_EQ(RenderSweep(greyRecord(), describe(4, 4), nullptr, nullptr), kRenderOutOfMemory);
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

TEST(Sweep, AnyRecordWordsRenderWithoutFault) {
  std::mt19937 rng(5);
  for (int i = 0; i < 200; ++i) {
    ParamRecord r{};
    for (int w = 0; w < kRecordWords; ++w) SetRecordWord(r, w, static_cast<int32_t>(rng()));
    if (i % 2) {
      r.sweepCentreX = static_cast<int32_t>(rng() % 500) - 250;
      r.sweepCentreY = static_cast<int32_t>(rng() % 500) - 250;
      r.ramp.count = static_cast<int32_t>(rng() % 300);
    }
    if (i % 5 == 0) r.sweepAngle = i % 2 ? INT_MIN : INT_MAX;
    const int w = 1 + static_cast<int>(rng() % 12), h = 1 + static_cast<int>(rng() % 12);
    TestBuffer dest;
    EXPECT_EQ(RenderSweep(r, describe(w, h), &dest.handle, nullptr), kRenderOk) << i;
  }
}
