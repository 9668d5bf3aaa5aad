#include "controls/repeat_field.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// Whole parts beyond this cannot matter: every range fits in 32 bits.
constexpr int64_t kWholeCap = int64_t{1} << 40;

int decimalDigits(int64_t magnitude) {
  int n = 0;
  for (; magnitude > 0; magnitude /= 10) ++n;
  return n;
}

}  // namespace

ParsedHundredths ParseHundredths(std::string_view text, int32_t minimum, int32_t maximum) {
  if (text.size() > kRepeatParseChars) text = text.substr(0, kRepeatParseChars);
  if (text.empty()) return {0, true};
  bool bad = false;
  bool negative = false;
  bool point = false;
  int decimals = 0;
  int64_t whole = 0;
  int tenths = 0;
  int hundredths = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      const int digit = c - '0';
      if (!point) {
        whole = whole * 10 + digit;
        if (whole > kWholeCap) whole = kWholeCap;
      } else if (decimals == 0) {
        tenths = digit;
        ++decimals;
      } else if (decimals == 1) {
        hundredths = digit;
        ++decimals;
      }
    } else if (c == '.') {
      if (point) bad = true;
      point = true;
    } else if (c == '-' && i == 0) {
      negative = true;
    } else {
      bad = true;
    }
  }
  int64_t v = (whole * 10 + tenths) * 10 + hundredths;
  if (negative) v = -v;
  const bool outside = v > maximum || v < minimum;
  constexpr int64_t lo = std::numeric_limits<int32_t>::min();
  constexpr int64_t hi = std::numeric_limits<int32_t>::max();
  const int64_t clamped = v < lo ? lo : (v > hi ? hi : v);
  return {static_cast<int32_t>(clamped), bad || outside};
}

std::string FormatHundredths(int32_t value) {
  const int64_t v = value;
  const int64_t m = v < 0 ? -v : v;
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%02lld", v < 0 ? "-" : "",
                static_cast<long long>(m / 100), static_cast<long long>(m % 100));
  return text;
}

int RepeatTextLimit(int32_t minimum, int32_t maximum) {
  const int64_t a = std::llabs(static_cast<long long>(minimum));
  const int64_t b = std::llabs(static_cast<long long>(maximum));
  int limit = 1 + decimalDigits(a > b ? a : b);
  if (minimum < 0 || maximum < 0) ++limit;
  return limit;
}

int32_t RepeatSetValue(int64_t requested) {
  return requested >= kRepeatSetMin && requested <= kRepeatSetMax ? static_cast<int32_t>(requested)
                                                                  : kRepeatSetMax;
}

LiveCheckOutcome LiveCheck(RepeatFieldState& state, std::string_view text) {
  const ParsedHundredths parsed = ParseHundredths(text, 0, state.maximum);
  if (parsed.invalid) return {false, state.value, state.savedText};
  state.value = parsed.value;
  state.savedText = std::string(text.substr(0, kRepeatSavedChars));
  return {true, state.value, std::string()};
}

bool FinalCheckInvalid(const RepeatFieldState& state, std::string_view text) {
  return ParseHundredths(text, state.minimum, state.maximum).invalid;
}
