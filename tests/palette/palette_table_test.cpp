#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "palette/palette.h"
#include "platform/x32clr/x32clr.h"

namespace {

PaletteRamp ramp(std::initializer_list<RampStop> stops) {
  PaletteRamp r{};
  for (const RampStop& s : stops) r.stops[r.count++] = s;
  return r;
}

PaletteTable build(const PaletteRamp& r, int hue = 0, int whiteLast = 1) {
  PaletteTable t{};
  BuildPaletteTable(hue, r, t, whiteLast);
  return t;
}

}  // namespace

TEST(PaletteTable, DefaultRampIsAGreyScaleWithEntry255White) {
  for (int whiteLast : {0, 1}) {
    const PaletteTable t = build(DefaultRamp(), 0, whiteLast);
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(t.entry[i], (Rgb{uint8_t(i), uint8_t(i), uint8_t(i)})) << i;
  }
}

TEST(PaletteTable, InnerSegmentsBlendWithFloor) {
  const PaletteTable t = build(ramp({{0, 0, 0, 0}, {3, 10, 20, 255}, {255, 10, 20, 255}}));
  EXPECT_EQ(t.entry[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(t.entry[1], (Rgb{3, 6, 85}));  // 10/3, 20/3, 255/3 floored
  EXPECT_EQ(t.entry[2], (Rgb{6, 13, 170}));
  EXPECT_EQ(t.entry[3], (Rgb{10, 20, 255}));
  EXPECT_EQ(t.entry[200], (Rgb{10, 20, 255}));
}

TEST(PaletteTable, EntriesBelowTheFirstStopContinueTheClosingBlend) {
  const PaletteTable t = build(ramp({{10, 200, 0, 0}, {200, 0, 0, 100}}));
  // Closing segment from 200 (blue) round to 266 (= 10, red), span 66.
  EXPECT_EQ(t.entry[200], (Rgb{0, 0, 100}));
  EXPECT_EQ(t.entry[10], (Rgb{200, 0, 0}));
  const int i = 256 + 5;  // entry 5
  EXPECT_EQ(t.entry[5].red, uint8_t((200.0 * (i - 200) + 0.0 * (266 - i)) / 66));
  EXPECT_EQ(t.entry[5].blue, uint8_t((0.0 * (i - 200) + 100.0 * (266 - i)) / 66));
  EXPECT_NE(t.entry[0], t.entry[9]);  // not a flat colour
}

TEST(PaletteTable, OneStopFillsEverythingAndWhiteLastStillApplies) {
  const PaletteRamp r = ramp({{77, 12, 34, 56}});
  const PaletteTable t = build(r);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(t.entry[i], (Rgb{12, 34, 56})) << i;
  EXPECT_EQ(build(r, 0, 0).entry[255], (Rgb{255, 255, 255}));
}

TEST(PaletteTable, TwoStopsAtOnePositionMakeAHardEdgeWithTheLaterColour) {
  const PaletteTable t =
      build(ramp({{0, 0, 0, 0}, {128, 255, 0, 0}, {128, 0, 0, 255}, {255, 0, 255, 0}}));
  EXPECT_EQ(t.entry[127].red, 253);
  EXPECT_EQ(t.entry[128], (Rgb{0, 0, 255}));
  EXPECT_EQ(t.entry[129].blue, 252);  // 255 * 126 / 127
}

TEST(PaletteTable, RampsWithoutUsableStopsLeaveTheTableAndNeverOverrun) {
  for (int count : {0, -5, 300, INT32_MAX}) {
    PaletteRamp r = DefaultRamp();
    r.count = count;
    PaletteTable t{};
    t.entry[17] = Rgb{1, 2, 3};
    BuildPaletteTable(0, r, t, 1);
    if (count <= 0) {
      EXPECT_EQ(t.entry[17], (Rgb{1, 2, 3}));
    }
  }
}

TEST(PaletteTable, HueShiftTurnsColoursAndKeepsGreys) {
  const PaletteTable red = build(ramp({{0, 255, 0, 0}}), 120);
  EXPECT_EQ(red.entry[0], (Rgb{0, 255, 0}));
  const PaletteTable blue = build(ramp({{0, 255, 0, 0}}), 240);
  EXPECT_EQ(blue.entry[0], (Rgb{0, 0, 255}));
  const PaletteTable grey = build(ramp({{0, 90, 90, 90}}), 200);
  EXPECT_EQ(grey.entry[0], (Rgb{90, 90, 90}));
  // The caller's ramp is not changed.
  PaletteRamp r = ramp({{0, 255, 0, 0}});
  build(r, 120);
  EXPECT_EQ(r.stops[0].red, 255);
}

TEST(PaletteTable, RingRotatesByTheScaledOffset) {
  PaletteTable base{};
  for (int i = 0; i < 256; ++i) base.entry[i] = Rgb{uint8_t(i), 0, 0};
  PaletteTable t = base;
  RotatePaletteTable(t, 0);
  EXPECT_EQ(std::memcmp(&t, &base, sizeof t), 0);
  t = base;
  RotatePaletteTable(t, 359);  // offset 255
  for (int i = 0; i < 256; ++i) ASSERT_EQ(t.entry[i].red, (i - 255 + 256) % 256);
  t = base;
  RotatePaletteTable(t, 90);  // (22950 + 180) / 359 = 64.4 -> 64
  EXPECT_EQ(t.entry[64].red, 0);
  EXPECT_EQ(t.entry[0].red, 192);
  // Out-of-range rings still rotate within the table.
  for (int ring : {-1, -720, 100000, INT32_MAX, INT32_MIN}) {
    t = base;
    RotatePaletteTable(t, ring);
    int seen[256] = {};
    for (int i = 0; i < 256; ++i) seen[t.entry[i].red]++;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(seen[i], 1) << ring;
  }
}

TEST(ColourConversion, PrimariesRoundTripExactlyAndGreysHaveNoHue) {
  const uint8_t colours[][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255}, {255, 255, 0},
                                {0, 255, 255}, {255, 0, 255}, {0, 0, 0},   {255, 255, 255}};
  for (const auto& c : colours) {
    HsbColor hsb;
    ClrRgbToHsb(c, &hsb);
    uint8_t back[3];
    ClrHsbToRgb(&hsb, back);
    EXPECT_EQ(back[0], c[0]);
    EXPECT_EQ(back[1], c[1]);
    EXPECT_EQ(back[2], c[2]);
  }
  const uint8_t grey[3] = {128, 128, 128};
  HsbColor hsb;
  ClrRgbToHsb(grey, &hsb);
  EXPECT_GE(hsb.hue, 360);
  EXPECT_EQ(hsb.brightness, 128);
  const uint8_t green[3] = {0, 255, 0};
  ClrRgbToHsb(green, &hsb);
  EXPECT_EQ(hsb.hue, 120);
  EXPECT_EQ(hsb.saturation, 255);
}

TEST(ColourConversion, EveryColourComesBackWithinOneStep) {
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 17)
      for (int b = 0; b < 256; b += 13) {
        const uint8_t c[3] = {uint8_t(r), uint8_t(g), uint8_t(b)};
        HsbColor hsb;
        ClrRgbToHsb(c, &hsb);
        uint8_t back[3];
        ClrHsbToRgb(&hsb, back);
        for (int k = 0; k < 3; ++k) ASSERT_NEAR(back[k], c[k], 3) << r << "," << g << "," << b;
      }
}
