// The hue bar: hue under the mouse, the marker column, the strip colours and
// the arrow keys.
#include "controls/hue_bar.h"

#include <gtest/gtest.h>

#include <vector>

TEST(HueBar, StripEndsAreHueZeroAndMaxAndOneColumnPerHueMapsExactly) {
  for (int w : {2, 48, 360, 720}) {
    EXPECT_EQ(HueFromX(1, w), 0) << w;
    EXPECT_EQ(HueFromX(w, w), 359) << w;
    EXPECT_EQ(HueMarkerColumn(0, w), 1) << w;
    EXPECT_EQ(HueMarkerColumn(359, w), w) << w;
  }
  for (int h = 0; h <= 359; ++h) {  // 360 columns: column h + 1 shows hue h
    EXPECT_EQ(HueMarkerColumn(h, 360), h + 1);
    EXPECT_EQ(HueFromX(h + 1, 360), h);
  }
  EXPECT_EQ(HueStripSide(52), 50);
  EXPECT_EQ(HueFromX(5, 1), 0);  // a strip of one column has hue 0 only
  EXPECT_EQ(HueMarkerColumn(200, 1), 1);
}

TEST(HueBar, NarrowStripRoundsToTheNearestHueAndColumn) {
  // 48 columns, 47 steps of 359/47 = 7.638 degrees.
  EXPECT_EQ(HueFromX(24, 48), 176);           // 23 steps: 175.68
  EXPECT_EQ(HueFromX(2, 48), 8);              // 7.64
  EXPECT_EQ(HueMarkerColumn(4, 48), 2);       // 0.52 steps rounds up
  EXPECT_EQ(HueMarkerColumn(3, 48), 1);       // 0.39 steps rounds down
  EXPECT_EQ(HueStripColumnHue(24, 48), 183);  // 24 steps: 183.3
  EXPECT_EQ(HueStripColumnHue(47, 48), 359);
  // Past the ends the hue leaves 0..359 until clamped.
  EXPECT_EQ(HueFromX(-5, 48), -45);  // -45.8 + 0.5 truncated
  EXPECT_EQ(HueFromX(53, 48), 397);
  EXPECT_EQ(ClampHue(-45) + ClampHue(397) + ClampHue(200), 0 + 359 + 200);
}

TEST(HueBar, StripRunsRoundTheColourWheel) {
  std::vector<uint8_t> line(3 * 360);
  BuildHueStripLine(360, line.data());
  // Columns 0, 120, 180 and 300: red, green, cyan, magenta.
  EXPECT_EQ(std::vector<uint8_t>(line.begin(), line.begin() + 3),
            (std::vector<uint8_t>{255, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(&line[360], &line[363]), (std::vector<uint8_t>{0, 255, 0}));
  EXPECT_EQ(std::vector<uint8_t>(&line[540], &line[543]), (std::vector<uint8_t>{0, 255, 255}));
  EXPECT_EQ(std::vector<uint8_t>(&line[900], &line[903]), (std::vector<uint8_t>{255, 0, 255}));
}

TEST(HueBar, LeftAndRightStepWithinTheRangeUpAndDownOnlyReport) {
  const struct {
    int hue;
    HueKey key;
    int after;
    bool notify;
  } cases[] = {{10, HueKey::kLeft, 9, true},   {10, HueKey::kRight, 11, true},
               {0, HueKey::kLeft, 0, false},   {359, HueKey::kRight, 359, false},
               {77, HueKey::kUp, 77, true},    {77, HueKey::kDown, 77, true},
               {77, HueKey::kOther, 77, false}};
  for (const auto& c : cases) {
    const HueKeyOutcome r = HueAfterKey(c.hue, c.key);
    EXPECT_EQ(r.hue, c.after) << c.hue << " key " << static_cast<int>(c.key);
    EXPECT_EQ(r.notify, c.notify) << c.hue << " key " << static_cast<int>(c.key);
  }
}
