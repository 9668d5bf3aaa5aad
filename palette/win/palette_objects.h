// Palette objects made from palette tables and ramps, for the ring views.
#pragma once

#include <windows.h>

#include "palette/palette.h"
#include "model/param_record.h"

// A 256-entry palette object with the table's colours (flags 0), or null when
// memory or the palette cannot be had.
HPALETTE CreateTablePalette(const PaletteTable& table);
// The palette of the record's ramp with its hue shift, entry 255 white.
HPALETTE CreateRecordPalette(const ParamRecord& record);
// The same for a ramp held outside a record.
HPALETTE CreateRampPalette(const PaletteRamp& ramp, int hueShift);
// Sets entries 0..254 of `display` to those of `source` turned by the ring;
// entry 255 of `display` is left as it is.
void RotateDisplayPalette(int ring, HPALETTE source, HPALETTE display);
