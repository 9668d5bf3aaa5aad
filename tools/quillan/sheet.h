// Contact sheets: every template, every preset, or one template's sample
// numbers side by side, each cell labelled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/param_record.h"

// One cell of a sheet: the record it shows and its label.
struct SheetCell {
  ParamRecord record;
  std::string label;
};

// What to show: the 19 templates, the presets of the file (`presetCount` of
// them), or the 12 sample numbers of template `templateNumber` (1..19), each
// from `base` with only what the cell shows changed.
enum class SheetKind { kTemplates, kPresets, kSamples };
std::vector<SheetCell> SheetCells(SheetKind kind, const ParamRecord& base, int templateNumber,
                                  int presetCount);

// Draws `text` (digits, letters, blanks, '-' and '.'; lower case drawn as
// upper) into an RGB image of `width` pixels a row, 3 x 5 pixel glyphs scaled
// by `scale`, from (x, y); clipped to the image. Returns the width drawn.
int DrawLabel(std::vector<uint8_t>& rgb, int width, int height, int x, int y, int scale,
              const std::string& text, uint8_t grey);

int RunSheet(const std::vector<std::string>& args);
