// The hue bar: hue under the mouse, the marker column, the strip colours and
// the arrow keys.
#include "controls/hue_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(HueBar, EndsOfTheStripAreHueZeroAndMax) {
  for (int w : {2, 48, 50, 100, 360, 720}) {
    SCOPED_TRACE(w);
    EXPECT_EQ(HueFromX(1, w), 0);
    EXPECT_EQ(HueFromX(w, w), 359);
    EXPECT_EQ(HueMarkerColumn(0, w), 1);
    EXPECT_EQ(HueMarkerColumn(359, w), w);
  }
  EXPECT_EQ(HueStripSide(52), 50);
}

TEST(HueBar, OneColumnPerHueMapsExactly) {
  // A strip of 360 columns: column x + 1 shows hue x.
  for (int h = 0; h <= 359; ++h) {
    EXPECT_EQ(HueMarkerColumn(h, 360), h + 1);
    EXPECT_EQ(HueFromX(h + 1, 360), h);
  }
}

TEST(HueBar, TheMarkerSitsWhereTheMouseGivesItsHue) {
  const int w = 48;
  int previous = 0;
  for (int h = 0; h <= 359; ++h) {
    const int column = HueMarkerColumn(h, w);
    ASSERT_GE(column, 1);
    ASSERT_LE(column, w);
    EXPECT_GE(column, previous);
    previous = column;
    // The hue read back at the marker is within half a column of it.
    EXPECT_LE(std::abs(HueFromX(column, w) - h), 4) << h;
  }
  // Clicks on the strip give hues within 0..359, past the ends they leave it.
  EXPECT_EQ(HueFromX(24, w), static_cast<int>(23 * 359.0 / 47 + 0.5));
  EXPECT_LT(HueFromX(-5, w), 0);
  EXPECT_GT(HueFromX(w + 5, w), 359);
  EXPECT_EQ(ClampHue(HueFromX(-5, w)), 0);
  EXPECT_EQ(ClampHue(HueFromX(w + 5, w)), 359);
  EXPECT_EQ(ClampHue(200), 200);
}

TEST(HueBar, StripRunsRoundTheColourWheel) {
  const int w = 360;
  std::vector<uint8_t> line(3 * w);
  BuildHueStripLine(w, line.data());
  auto px = [&](int x) { return std::vector<int>{line[3 * x], line[3 * x + 1], line[3 * x + 2]}; };
  EXPECT_EQ(px(0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(px(60), (std::vector<int>{255, 255, 0}));
  EXPECT_EQ(px(120), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(px(240), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(HueStripColumnHue(359, w), 359);
  // Every column is fully saturated and bright: one channel 255, one 0.
  for (int x = 0; x < w; ++x) {
    const auto p = px(x);
    EXPECT_EQ(std::max({p[0], p[1], p[2]}), 255) << x;
    EXPECT_EQ(std::min({p[0], p[1], p[2]}), 0) << x;
  }
  // A narrow strip spreads the wheel over its columns.
  EXPECT_EQ(HueStripColumnHue(0, 48), 0);
  EXPECT_EQ(HueStripColumnHue(47, 48), 359);
  EXPECT_EQ(HueStripColumnHue(24, 48), static_cast<int>(0.5 + 24 * 359.0 / 47));
}

TEST(HueBar, ArrowKeysStepWithinTheRange) {
  struct Case {
    int hue;
    HueKey key;
    int after;
    bool notify;
  };
  for (const Case c : {Case{10, HueKey::kLeft, 9, true}, Case{10, HueKey::kRight, 11, true},
                       Case{0, HueKey::kLeft, 0, false}, Case{359, HueKey::kRight, 359, false},
                       Case{77, HueKey::kUp, 77, true}, Case{77, HueKey::kDown, 77, true},
                       Case{77, HueKey::kOther, 77, false}}) {
    const auto r = HueAfterKey(c.hue, c.key);
    EXPECT_EQ(r.notify, c.notify) << c.hue << " " << static_cast<int>(c.key);
    if (c.notify || c.key != HueKey::kOther) {
      EXPECT_EQ(r.hue, c.after) << c.hue << " " << static_cast<int>(c.key);
    }
  }
}
