// The hue bar: hue under the mouse, the marker column, the strip colours and the arrow keys.
#include "controls/hue_bar.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

TEST(HueBar, ColumnsAndHuesMapBothWaysRoundingToTheNearest) {
  for (int h = 0; h <= 359; ++h) {  // 360 columns: column h + 1 shows hue h
    EXPECT_EQ(HueMarkerColumn(h, 360), h + 1);
    EXPECT_EQ(HueFromX(h + 1, 360), h);
  }
  // 48 columns are 47 steps of 7.638 degrees: column 24 is 175.68, hue 4 is 0.52 steps and hue
  // 3 0.39; past the ends the hue leaves 0..359 (-45.8 + 0.5 truncated); one column is hue 0.
  const std::array<int, 3> fromX[] = {{1, 720, 0},   {720, 720, 359}, {24, 48, 176}, {2, 48, 8},
                                      {-5, 48, -45}, {53, 48, 397},   {5, 1, 0}};
  for (auto [x, w, hue] : fromX) EXPECT_EQ(HueFromX(x, w), hue) << x << " of " << w;
  const std::array<int, 3> marker[] = {{359, 2, 2}, {4, 48, 2}, {3, 48, 1}, {200, 1, 1}};
  for (auto [hue, w, x] : marker) EXPECT_EQ(HueMarkerColumn(hue, w), x) << hue << " of " << w;
  EXPECT_EQ(HueStripColumnHue(24, 48) * 1000 + HueStripColumnHue(47, 48), 183359);
  EXPECT_EQ(HueStripSide(52), 50);
  EXPECT_EQ(ClampHue(-45) * 1000 + ClampHue(397) + ClampHue(200) * 1000000, 200000359);
}

TEST(HueBar, StripRunsRoundTheColourWheelAndArrowsStepWithinTheRange) {
  std::vector<uint8_t> line(3 * 360);
  BuildHueStripLine(360, line.data());
  // Columns 0, 120, 180 and 300: red, green, cyan, magenta.
  for (auto [x, rgb] : {std::pair{0, 0xFF0000}, {120, 0xFF00}, {180, 0xFFFF}, {300, 0xFF00FF}})
    EXPECT_EQ(line[3 * x] << 16 | line[3 * x + 1] << 8 | line[3 * x + 2], rgb) << x;
  // Left and right step, up and down only report.
  const struct {
    int hue;
    HueKey key;
    int after;
    bool notify;
  } cases[] = {{1, HueKey::kLeft, 0, true},   {10, HueKey::kRight, 11, true},
               {0, HueKey::kLeft, 0, false},   {359, HueKey::kRight, 359, false},
               {77, HueKey::kUp, 77, true},    {77, HueKey::kDown, 77, true},
               {77, HueKey::kOther, 77, false}};
  for (const auto& c : cases) {
    const HueKeyOutcome r = HueAfterKey(c.hue, c.key);
    EXPECT_TRUE(r.hue == c.after && r.notify == c.notify) << c.hue << " " << int(c.key);
  }
}
