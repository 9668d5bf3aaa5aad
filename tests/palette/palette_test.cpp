// Palette tables from ramps and their ring rotations, against worked entries.
#include "palette/palette.h"

#include <gtest/gtest.h>

#include <climits>

#include "palette/display_rotation.h"

namespace {

PaletteRamp Ramp(std::initializer_list<RampStop> stops, int count = -1) {
  PaletteRamp r{};
  for (const RampStop& s : stops) r.stops[r.count++] = s;
  r.count = count == -1 ? r.count : count;
  return r;
}

}  // namespace

TEST(PaletteTable, EntriesAreTheWorkedBlendsOfTheRamp) {
  const PaletteRamp wraps = Ramp({{10, 200, 0, 0}, {200, 0, 0, 100}});
  const PaletteRamp edge =
      Ramp({{0, 0, 0, 0}, {128, 255, 0, 0}, {128, 0, 0, 255}, {255, 0, 255, 0}});
  struct Case {
    PaletteRamp ramp;
    int hue, whiteLast, entry;
    Rgb colour;
  };
  for (const Case& c :
       {Case{DefaultRamp(), 0, 1, 128, {128, 128, 128}},
        {Ramp({{0, 0, 0, 0}, {3, 10, 20, 255}}), 0, 1, 2, {6, 13, 170}},  // floored 2/3
        {wraps, 0, 1, 5, {184, 0, 7}},  // 61/66 of the way round from 200 to 10
        {Ramp({{77, 12, 34, 56}}), 0, 0, 255, {255, 255, 255}},
        {edge, 0, 1, 128, {0, 0, 255}},  // the later stop
        {edge, 0, 1, 129, {0, 2, 252}},
        {Ramp({{0, 255, 0, 0}}), 120, 1, 9, {0, 255, 0}},
        {Ramp({{0, 200, 100, 50}}), 360, 1, 9, {200, 100, 50}},
        {Ramp({{0, 0, 240, 120}}), 120, 1, 9, {120, 0, 240}},  // green the largest: hue 150
        {Ramp({{0, 90, 90, 90}}), 200, 1, 9, {90, 90, 90}},
        // Beyond 256 the zero slots are read and close the circle in black; no stop leaves
        // the table as it was.
        {Ramp({{0, 0, 0, 0}, {255, 255, 255, 255}}, 300), 0, 1, 100, {0, 0, 0}},
        {Ramp({{0, 1, 1, 1}}, 0), 0, 1, 17, {7, 8, 9}}}) {
    PaletteTable t{};
    t.entry[17] = Rgb{7, 8, 9};
    BuildPaletteTable(c.hue, c.ramp, t, c.whiteLast);
    const Rgb& e = t.entry[c.entry];
    EXPECT_EQ(e, c.colour) << c.ramp.count << " stops, hue " << c.hue << ", entry " << c.entry
                           << ": " << int(e.red) << " " << int(e.green) << " " << int(e.blue);
  }
  PaletteRamp beyond = Ramp({{0, 255, 0, 0}, {9, 255, 0, 0}}, 1);
  ShiftRampHue(beyond, 120);
  EXPECT_EQ(beyond.stops[0].green + beyond.stops[1].red, 510) << "only the counted stops turn";
}

TEST(PaletteTable, TheRingTurnsTheTableRoundItsCircle) {
  PaletteTable table{};
  for (int i = 0; i < 256; ++i) table.entry[i] = Rgb{uint8_t(i), uint8_t(255 - i), 0};
  // (255 ring + 180) / 359 places; rings out of range still permute the entries.
  const int rings[] = {0, 1, 90, 180, 359, 360, -1, -720, 100000, INT32_MAX, INT32_MIN};
  const int places[] = {0, 1, 64, 128, 255, 0, 0};
  for (size_t k = 0; k < std::size(rings); ++k) {
    PaletteTable t = table;
    RotatePaletteTable(t, rings[k]);
    int seen[256] = {};
    for (const Rgb& e : t.entry) ASSERT_EQ(++seen[e.red], 1) << rings[k];
    for (int i = 0; k < std::size(places) && i < 256; ++i)
      ASSERT_EQ(t.entry[(i + places[k]) % 256].red, i) << rings[k];
  }
  // The on-screen ring keeps its white entry 255 and moves the other 255 by
  // floor((254 ring + 180) / 359) places.
  PaletteColour colours[256], shown[kRingDisplayEntries];
  TableToPaletteColours(table, colours);
  EXPECT_TRUE(colours[0] == (PaletteColour{0, 255, 0, 0}) && colours[255].red == 255);
  for (auto [ring, offset] :
       {std::pair{0, 0}, {1, 1}, {180, 127}, {359, 254}, {360, 0}, {-1, 254}}) {
    RotateDisplayColours(colours, ring, shown);
    for (int i = 0; i < kRingDisplayEntries; ++i)
      ASSERT_EQ(shown[(i + offset) % 255].red, i) << ring;
  }
}
