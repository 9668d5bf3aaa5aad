// The main dialog's colour fields as text and numbers: reading the hue and
// ring fields, the range each field reports, and the check run before the
// commands that use them.
#pragma once

#include <cstdint>
#include <optional>

#include "model/param_record.h"

// A field's label string, range and the form the range message gives it.
struct FieldRange {
  int labelId;
  int32_t minimum;
  int32_t maximum;
  int format;  // 0 integers, 1 hundredths
};
inline constexpr FieldRange kHueField{526, 0, 359, 0};
inline constexpr FieldRange kRingField{528, 0, 359, 0};
inline constexpr FieldRange kRepeatField{527, 1, 500, 1};

// A hue or ring field's text as a number of degrees: decimal digits only,
// at least one, 0..359. None for anything else (an empty field included).
std::optional<int32_t> ParseDegrees(const char* text);

// What the fields hold when a command asks for them.
struct ColourFieldTexts {
  bool repeatInvalid;  // the repeat field rejected its text
  int32_t repeat;      // hundredths, as the repeat field holds it
  const char* hue;
  const char* ring;
  bool mirror;
};

enum class ColourField { kNone, kRepeat, kHue, kRing };

// Checks the fields in the order repeat, hue, ring and returns the first bad
// one. When all are good, stores repeat, hue shift and mirror into `record`
// and marks it (pick count and OK marker 1); the ring stays as the ring
// field's edits put it. A bad field leaves `record` untouched.
ColourField StoreColourFields(const ColourFieldTexts& fields, ParamRecord& record);
