// The repeat bar's picture: how the palette is laid along the template's
// value range for a repeat number and the mirror switch, as grey levels.
#pragma once

#include <cstdint>

// Repeat numbers are hundredths: 100 is 1.00.
// Grey level (0..255) of column x of a bar `width` columns wide. Repeat 100 or
// less draws one sweep; above it the sweep repeats, a whole number of
// repetitions ending on white; mirrored, each sweep runs forth and back.
uint8_t RepeatBarGrey(int x, int width, int repeat, int mirror);

// One row of the bar: `width` pixels of three equal bytes.
void BuildRepeatBarLine(int width, int repeat, int mirror, uint8_t* line);
