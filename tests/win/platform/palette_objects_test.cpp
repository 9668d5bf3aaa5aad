// Palette objects of the ring views, against the portable tables and rotation.
#include "palette/win/palette_objects.h"

#include <gtest/gtest.h>

#include <vector>

#include "palette/display_rotation.h"
#include "platform/x32base/win/disp32.h"

namespace {

std::vector<PaletteColour> entries(HPALETTE p) {
  WORD n = 0;
  GetObjectA(p, sizeof n, &n);
  std::vector<PaletteColour> e(n);
  GetPaletteEntries(p, 0, n, reinterpret_cast<PALETTEENTRY*>(e.data()));
  return e;
}

}  // namespace

TEST(PaletteObjects, TableRecordAndRampPalettesHoldTheTableWithWhiteLast) {
  ParamRecord record = DefaultRecordForHost();
  record.ramp.count = 2;
  record.ramp.stops[0] = RampStop{0, 255, 0, 0};
  record.ramp.stops[1] = RampStop{200, 0, 0, 255};
  record.hueShift = 120;
  PaletteTable table{};
  BuildPaletteTable(120, record.ramp, table, 0);
  PaletteColour expected[256];
  TableToPaletteColours(table, expected);
  const HPALETTE made[] = {CreateTablePalette(table), CreateRecordPalette(record),
                           CreateRampPalette(record.ramp, 120)};
  for (HPALETTE p : made) {
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(entries(p), std::vector<PaletteColour>(expected, expected + 256));
    DeleteObject(p);
  }
  EXPECT_EQ(expected[0], (PaletteColour{0, 255, 0, 0}));  // red turned to green
  EXPECT_EQ(expected[255], (PaletteColour{255, 255, 255, 0}));
}

TEST(PaletteObjects, DisplayPaletteTurnsTheRingAndKeepsItsWhiteGround) {
  HPALETTE source = CreateRampPalette(DefaultRamp(), 0);
  HPALETTE display = disp32PalDuplicate(source);
  ASSERT_NE(display, nullptr);
  PALETTEENTRY marker{1, 2, 3, 0};
  SetPaletteEntries(display, 255, 1, &marker);
  const std::vector<PaletteColour> from = entries(source);
  for (int ring : {0, 1, 90, 359}) {
    SCOPED_TRACE(ring);
    RotateDisplayPalette(ring, source, display);
    PaletteColour turned[256];
    RotateDisplayColours(from.data(), ring, turned);
    turned[255] = PaletteColour{1, 2, 3, 0};  // entry 255 is never touched
    EXPECT_EQ(entries(display), std::vector<PaletteColour>(turned, turned + 256));
  }
  const std::vector<PaletteColour> before = entries(display);
  RotateDisplayPalette(10, nullptr, display);  // nothing to read: nothing changes
  EXPECT_EQ(entries(display), before);
  DeleteObject(source);
  DeleteObject(display);
}
