#include "palette/display_rotation.h"

#include <gtest/gtest.h>

namespace {

void numbered(PaletteColour out[kRingDisplayEntries]) {
  for (int i = 0; i < kRingDisplayEntries; ++i)
    out[i] = PaletteColour{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0};
}

}  // namespace

TEST(DisplayRotation, OffsetRunsFromZeroTo254AcrossTheRingRange) {
  EXPECT_EQ(DisplayRotationOffset(0), 0);
  EXPECT_EQ(DisplayRotationOffset(1), 1);      // (254 + 180) / 359 = 1.2
  EXPECT_EQ(DisplayRotationOffset(180), 127);  // (45720 + 180) / 359 = 127.8
  EXPECT_EQ(DisplayRotationOffset(359), 254);
  for (int ring = 1; ring < 360; ++ring)
    EXPECT_GE(DisplayRotationOffset(ring), DisplayRotationOffset(ring - 1)) << ring;
}

TEST(DisplayRotation, RotatesTheFirst255EntriesRoundTheirOwnCircle) {
  PaletteColour source[kRingDisplayEntries], display[kRingDisplayEntries];
  numbered(source);
  RotateDisplayColours(source, 0, display);
  for (int i = 0; i < kRingDisplayEntries; ++i) EXPECT_EQ(display[i], source[i]);

  RotateDisplayColours(source, 359, display);  // 254 places
  for (int i = 0; i < kRingDisplayEntries; ++i)
    EXPECT_EQ(display[i].red, (i - 254 + 255) % 255) << i;

  RotateDisplayColours(source, 180, display);  // 127 places
  EXPECT_EQ(display[127].red, 0);
  EXPECT_EQ(display[0].red, 128);
  EXPECT_EQ(display[254].red, 127);
}

TEST(DisplayRotation, RingsOutsideTheRangeStayInsideTheEntries) {
  PaletteColour source[kRingDisplayEntries], display[kRingDisplayEntries];
  numbered(source);
  for (int ring : {-1, -400, 360, 1000, 100000}) {
    RotateDisplayColours(source, ring, display);
    bool seen[kRingDisplayEntries] = {};
    for (const PaletteColour& c : display) seen[c.red] = true;
    for (bool s : seen) EXPECT_TRUE(s) << ring;  // a permutation of the source
  }
}

TEST(DisplayRotation, PaletteColoursOfATableCarryItsEntriesWithoutFlags) {
  PaletteTable table{};
  BuildPaletteTable(0, DefaultRamp(), table, 0);
  PaletteColour colours[256];
  TableToPaletteColours(table, colours);
  for (int i = 0; i < 255; ++i)
    EXPECT_EQ(colours[i], (PaletteColour{uint8_t(i), uint8_t(i), uint8_t(i), 0}));
  EXPECT_EQ(colours[255], (PaletteColour{255, 255, 255, 0}));
}
