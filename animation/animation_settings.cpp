#include "animation/animation_settings.h"

#include <algorithm>
#include <cstdlib>

AnimationSettings& ModuleAnimationSettings() {
  static AnimationSettings settings;
  return settings;
}

std::optional<int32_t> ParseSignedNumber(const char* text) {
  if (text == nullptr) return std::nullopt;
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (*p == '\0') return std::nullopt;
  int64_t value = 0;
  for (; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

FrameFieldChange AnimationSettingsEdit::FrameTextChanged(const char* text) {
  const std::optional<int32_t> typed = ParseSignedNumber(text);
  if (!typed || *typed > kMaxFrames) return {true, false, settings_.frameCount};
  lastTyped_ = *typed;
  settings_.frameCount = std::max(*typed, 1);
  return {false, *typed != 1, settings_.frameCount};
}
