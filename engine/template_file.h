// The factory patterns that ship beside the module in "prismno.dat", and the
// pattern entry block that the pattern library keeps with each thumbnail.
//
// The file is a sequence of 20-byte text records (see model/record_file.h):
//
//   "#N" + count           file header (first record): number of patterns P
//   "#n" + number          pattern start (byte 0 is not checked)
//   ?? + m                 operation count (the record after the start)
//   ?tt s-  /  ?tt s|      m operations: template (two digits), sample (one
//                          digit), "-" applied or "|" sample change only
//   ?p                     optional settings tag, then the settings record:
//   hhh   m hhh            hue shift (bytes 0-2), mirror digit (byte 6),
//                          repeat in hundredths (bytes 8-10)
//   ?m + N                 ramp tag, searched for after the settings, then
//                          N stops: position, red, green, blue at 0, 4, 8, 12
//   "#e"                   end of the file
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "engine/script.h"
#include "model/ramp.h"

inline constexpr size_t kPatternEntryBytes = 1304;
inline constexpr size_t kPatternTextBytes = 256;
// Patterns counted when the file is missing or does not start with a header.
inline constexpr int kFallbackPatternCount = 52;

// The block kept with each pattern-library thumbnail: a storyboard as script
// text with its palette settings. 326 little-endian words.
struct PatternEntry {
  int32_t operationCount;              // word 0
  char scriptText[kPatternTextBytes];  // words 1..64, NUL-terminated
  int32_t hueShift;                    // word 65 (record word 3)
  int32_t ring;                        // word 66 (record word 9)
  int32_t mirror;                      // word 67 (record word 8)
  int32_t repeat;                      // word 68, hundredths (record word 1)
  PaletteRamp ramp;                    // words 69..325 (record words 16..272)
};
static_assert(sizeof(PatternEntry) == kPatternEntryBytes);
static_assert(offsetof(PatternEntry, operationCount) == 0);
static_assert(offsetof(PatternEntry, scriptText) == 4);
static_assert(offsetof(PatternEntry, hueShift) == 260);
static_assert(offsetof(PatternEntry, ring) == 264);
static_assert(offsetof(PatternEntry, mirror) == 268);
static_assert(offsetof(PatternEntry, repeat) == 272);
static_assert(offsetof(PatternEntry, ramp) == 276);
static_assert(offsetof(PatternEntry, ramp) + offsetof(PaletteRamp, stops) == 280);

// The entry's 1304 bytes: words little-endian, text and stop bytes as they
// stand. Reading needs exactly 1304 bytes and keeps every byte, so a round
// trip is exact.
std::array<uint8_t, kPatternEntryBytes> SerializePatternEntry(const PatternEntry& entry);
std::optional<PatternEntry> DeserializePatternEntry(std::span<const uint8_t> bytes);

// The entry's script text up to its NUL (all 256 bytes when there is none).
std::string PatternScriptText(const PatternEntry& entry);

// The number of factory patterns P; 52 when the file is missing or its first
// record is not a "#N" header.
int CountFactoryPatterns();
int CountFactoryPatterns(const std::filesystem::path& file);

// Fills `entry` (zeroed by the caller) from factory pattern n: word 0, the
// script text "[nnn]" + operations + "()", and when the pattern has a
// settings record the hue shift, mirror, repeat and, for a ramp of one or
// more stops, the ramp. The ring word is never written. Returns 1 when the
// file was read (an absent pattern leaves an empty text), 0 when it cannot be
// opened (the entry is then untouched).
//
// Hostile input stays inside the entry: at most 62 operations go into the
// text (further operation records are read and dropped) and word 0 is the
// number of operations that the text holds; a file that ends inside the
// operations closes the text after the last whole one; a ramp count above
// 256 is clamped to 256; a ramp cut short by the end of the file is not
// written; a ramp that is written is written whole (zeros in unused slots).
int LoadFactoryPattern(int n, PatternEntry& entry);
int LoadFactoryPattern(int n, PatternEntry& entry, const std::filesystem::path& file);

// The template file beside the module.
std::filesystem::path FactoryPatternsFile();
