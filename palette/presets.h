// The palette ramp presets that ship beside the module in "gfill.xpl": a file
// of 20-byte text records holding numbered ramps.
//
//   "#N" + count           file header (first record)
//   "#p" + number          preset header (byte 0 is not checked)
//   "#n" + count           stop count M of that preset, then M stop records:
//   ppp rrr ggg bbb        position, red, green, blue at bytes 0, 4, 8, 12
//   "#e"                   end of the file
//
// Numbers are three characters read as 100 b0 + 10 b1 + b2 - 5328 with no
// digit check; stop values keep the low eight bits of theirs (256 gives 0).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/ramp.h"

// Presets counted when the file is missing or does not start with a header.
inline constexpr int kFallbackPresetCount = 52;

// Loads preset n of the module's presets file into `ramp`. n is taken round
// the file's preset count P (n mod P with the sign of n, 0 meaning P), so
// P + 1 selects preset 1 and 0 selects P.
//
// `ramp` always receives a whole ramp (count, stops, zero in the unused
// slots): the preset, or the default ramp (black at 0, white at 255) when the
// file is missing, the preset is not found before the end record or the
// physical end, the header count is 0, or the file ends inside the preset's
// stops. The one exception: a preset whose stop count is 0 or less leaves
// `ramp` exactly as it was. A stop count above 256 is clamped to 256 (the
// ramp holds no more); the stop records beyond are not read.
void LoadRampPreset(int n, PaletteRamp& ramp);
void LoadRampPreset(int n, PaletteRamp& ramp, const std::filesystem::path& file);

// The number of presets P the file announces; 52 when the file is missing
// or its first record is not a "#N" header.
int CountRampPresets();
int CountRampPresets(const std::filesystem::path& file);

// Preset n of `file`, read strictly, for a user who asked for it by number:
// the file must start with its "#N" header, n must lie in 1..P, the preset
// must hold 1..256 stops whose numbers are digits, all in the file. An empty
// string and the ramp in `out`, or a sentence naming the file and what is
// wrong with it.
std::string ReadRampPresetStrictly(int n, const std::filesystem::path& file, PaletteRamp& out);

// The names the presets file gives its presets (the text after the number in
// each preset header, blanks trimmed), by preset number, in file order.
struct RampPresetName {
  int number;
  std::string name;
};
std::vector<RampPresetName> RampPresetNames(const std::filesystem::path& file);

// The presets file beside the module.
std::filesystem::path RampPresetsFile();
