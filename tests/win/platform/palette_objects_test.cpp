// Palette objects of the ring views.
#include "palette/win/palette_objects.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/x32base/win/disp32.h"

namespace {

std::vector<PALETTEENTRY> entries(HPALETTE p) {
  WORD n = 0;
  GetObjectA(p, sizeof n, &n);
  std::vector<PALETTEENTRY> e(n);
  GetPaletteEntries(p, 0, n, e.data());
  return e;
}

PaletteRamp redToBlue() {
  PaletteRamp ramp{};
  ramp.count = 2;
  ramp.stops[0] = RampStop{0, 255, 0, 0};
  ramp.stops[1] = RampStop{200, 0, 0, 255};
  return ramp;
}

}  // namespace

TEST(PaletteObjects, TablePaletteHas256EntriesOfTheTableWithoutFlags) {
  PaletteTable table{};
  for (int i = 0; i < 256; ++i) table.entry[i] = Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
  HPALETTE p = CreateTablePalette(table);
  ASSERT_NE(p, nullptr);
  const auto e = entries(p);
  ASSERT_EQ(e.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(e[i].peRed, i);
    EXPECT_EQ(e[i].peGreen, 255 - i);
    EXPECT_EQ(e[i].peBlue, i / 2);
    EXPECT_EQ(e[i].peFlags, 0);
  }
  DeleteObject(p);
}

TEST(PaletteObjects, RecordAndRampPalettesAreTheHueShiftedTableWithWhiteLast) {
  ParamRecord record = DefaultRecordForHost();
  record.ramp = redToBlue();
  record.hueShift = 120;
  PaletteTable table{};
  BuildPaletteTable(120, record.ramp, table, 0);
  HPALETTE fromRecord = CreateRecordPalette(record);
  HPALETTE fromRamp = CreateRampPalette(record.ramp, 120);
  ASSERT_NE(fromRecord, nullptr);
  ASSERT_NE(fromRamp, nullptr);
  const auto a = entries(fromRecord), b = entries(fromRamp);
  ASSERT_EQ(a.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(a[i].peRed, table.entry[i].red) << i;
    EXPECT_EQ(a[i].peGreen, table.entry[i].green) << i;
    EXPECT_EQ(a[i].peBlue, table.entry[i].blue) << i;
    EXPECT_EQ(b[i].peRed, a[i].peRed);
    EXPECT_EQ(b[i].peGreen, a[i].peGreen);
    EXPECT_EQ(b[i].peBlue, a[i].peBlue);
  }
  EXPECT_EQ(a[0].peGreen, 255);  // red turned to green
  EXPECT_EQ(a[255].peRed, 255);
  EXPECT_EQ(a[255].peGreen, 255);
  EXPECT_EQ(a[255].peBlue, 255);
  DeleteObject(fromRecord);
  DeleteObject(fromRamp);
}

TEST(PaletteObjects, DisplayPaletteTurnsTheRingAndKeepsItsWhiteGround) {
  HPALETTE source = CreateRampPalette(DefaultRamp(), 0);  // entry i = grey i, 255 white
  HPALETTE display = disp32PalDuplicate(source);
  ASSERT_NE(display, nullptr);
  PALETTEENTRY marker{1, 2, 3, 0};
  SetPaletteEntries(display, 255, 1, &marker);
  for (int ring : {0, 1, 90, 359}) {
    RotateDisplayPalette(ring, source, display);
    const int offset = static_cast<int>((254.0 * ring + 180.0) / 359.0);
    const auto e = entries(display);
    for (int i = 0; i < 255; ++i)
      EXPECT_EQ(e[i].peRed, (i - offset + 255) % 255) << ring << " " << i;
    EXPECT_EQ(e[255].peRed, 1);  // entry 255 is never touched
    EXPECT_EQ(e[255].peBlue, 3);
  }
  RotateDisplayPalette(10, nullptr, display);  // nothing to read: nothing changes
  EXPECT_EQ(entries(display)[0].peRed, (0 - 254 + 255) % 255);
  DeleteObject(source);
  DeleteObject(display);
}
