// The repeat number field: a decimal number with two places held as whole
// hundredths, its text form, the check of typed text, and the field's
// bookkeeping of the last accepted value and text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Longest text the parser reads; the rest is ignored.
inline constexpr size_t kRepeatParseChars = 31;
// Longest text kept as the last accepted one.
inline constexpr size_t kRepeatSavedChars = 5;
// Bounds of the value set directly (WM_USER+103), whatever the field's range.
inline constexpr int32_t kRepeatSetMin = 1;
inline constexpr int32_t kRepeatSetMax = 500;

struct ParsedHundredths {
  int32_t value;
  bool invalid;
};

// Reads "[-]digits[.d[d...]]": digits before the point make the whole part,
// the first two after it the tenths and hundredths (later ones are ignored).
// Empty text, a second point, a '-' that is not the first character and any
// other character make the text invalid, as does a value outside
// minimum..maximum. Values too large for 32 bits are reported as the nearest
// 32-bit value (and are then out of any range the field can have).
ParsedHundredths ParseHundredths(std::string_view text, int32_t minimum, int32_t maximum);

// "%d.%02d" of the magnitude, with a leading '-' for negative values.
std::string FormatHundredths(int32_t value);

// Most characters the field accepts for a range: 1 (the point) + the digits
// of the larger magnitude of the bounds (none for 0) + 1 for a negative bound.
int RepeatTextLimit(int32_t minimum, int32_t maximum);

// The value stored by a direct set: `requested` when it lies in 1..500,
// otherwise 500.
int32_t RepeatSetValue(int64_t requested);

// What the field remembers between checks.
struct RepeatFieldState {
  int32_t minimum = 0;
  int32_t maximum = 0;
  int32_t value = 0;
  std::string savedText;  // last accepted text, at most kRepeatSavedChars
};

// The check run after every change of the text. The live check accepts
// values from 0 up to the maximum (so that 0. on the way to 0.50 passes); the
// minimum is enforced by FinalCheck.
struct LiveCheckOutcome {
  bool accepted;
  int32_t reported;         // the value the parent hears of
  std::string restoreText;  // text to put back when not accepted
};
LiveCheckOutcome LiveCheck(RepeatFieldState& state, std::string_view text);

// The check before the value is used: true when the text is invalid for the
// stored minimum and maximum.
bool FinalCheckInvalid(const RepeatFieldState& state, std::string_view text);
