// The storyboard table shared by the renderer and the main dialog.
#pragma once

#include <cstdint>

#include "model/param_record.h"

struct StoryboardOp {
  int32_t templateNumber;  // template index + 1 (1..19); 0 none; -1 a cleared end slot
  int32_t sampleNumber;
  int32_t applied;  // 1: warps the maps; 0: only changes the sample
  friend bool operator==(const StoryboardOp&, const StoryboardOp&) = default;
};
static_assert(sizeof(StoryboardOp) == 12);

inline constexpr int kStoryboardSlots = 256;

// Operations 0..count-1 are stored; the slot at `count` is the pending slot
// the next operation is written into.
struct Storyboard {
  StoryboardOp ops[kStoryboardSlots];
  int32_t count;
};

// Template numbers count from 1, template indices from 0.
constexpr int32_t TemplateNumberOf(int32_t index) { return WrappingAdd(index, 1); }
constexpr int32_t TemplateIndexOf(int32_t number) { return WrappingAdd(number, -1); }
