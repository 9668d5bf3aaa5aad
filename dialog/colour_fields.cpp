#include "dialog/colour_fields.h"

std::optional<int32_t> ParseDegrees(const char* text) {
  if (text == nullptr || *text == '\0') return std::nullopt;
  int32_t value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return std::nullopt;
    value = value * 10 + (*c - '0');
    if (value > kHueField.maximum) return std::nullopt;
  }
  return value;
}

ColourField StoreColourFields(const ColourFieldTexts& fields, ParamRecord& record) {
  if (fields.repeatInvalid) return ColourField::kRepeat;
  const auto hue = ParseDegrees(fields.hue);
  if (!hue) return ColourField::kHue;
  if (!ParseDegrees(fields.ring)) return ColourField::kRing;
  record.repeat = fields.repeat;
  record.hueShift = *hue;
  record.mirror = fields.mirror ? 1 : 0;
  record.pickCount = 1;
  record.okMarker = 1;
  return ColourField::kNone;
}
