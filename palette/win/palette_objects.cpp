#include "palette/win/palette_objects.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "palette/display_rotation.h"

static_assert(sizeof(PALETTEENTRY) == sizeof(PaletteColour));

HPALETTE CreateTablePalette(const PaletteTable& table) {
  // LOGPALETTE with 256 entries: the structure (version, count and its own
  // first entry) and 256 entries more (1032 bytes, one entry to spare).
  constexpr size_t kBytes = sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY);
  static_assert(kBytes == 1032);
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kBytes]());
  if (!block) return nullptr;
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.get());
  lp->palVersion = 0x300;
  lp->palNumEntries = 256;
  PaletteColour colours[256];
  TableToPaletteColours(table, colours);
  std::memcpy(lp->palPalEntry, colours, sizeof colours);
  return CreatePalette(lp);
}

HPALETTE CreateRampPalette(const PaletteRamp& ramp, int hueShift) {
  std::unique_ptr<PaletteTable> table(new (std::nothrow) PaletteTable{});
  if (!table) return nullptr;
  BuildPaletteTable(hueShift, ramp, *table, 0);
  return CreateTablePalette(*table);
}

HPALETTE CreateRecordPalette(const ParamRecord& record) {
  return CreateRampPalette(record.ramp, record.hueShift);
}

void RotateDisplayPalette(int ring, HPALETTE source, HPALETTE display) {
  if (source == nullptr || display == nullptr) return;
  PaletteColour from[kRingDisplayEntries]{};
  PaletteColour to[kRingDisplayEntries]{};
  if (GetPaletteEntries(source, 0, kRingDisplayEntries, reinterpret_cast<PALETTEENTRY*>(from)) !=
      static_cast<UINT>(kRingDisplayEntries))
    return;
  RotateDisplayColours(from, ring, to);
  SetPaletteEntries(display, 0, kRingDisplayEntries, reinterpret_cast<const PALETTEENTRY*>(to));
}
