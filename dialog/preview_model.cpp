#include "dialog/preview_model.h"

#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<int> ScriptSampleNumber(const std::string& script) {
  const size_t open = script.find('(');
  if (open == std::string::npos || open + 2 >= script.size()) return std::nullopt;
  const char tens = script[open + 1];
  const char units = script[open + 2];
  if (!IsDigit(tens) || !IsDigit(units)) return std::nullopt;
  return (tens - '0') * 10 + (units - '0');
}

void PrepareWorkingRecord(ParamRecord& working, bool mirrorChecked, const ParamRecord& rendered,
                          const std::string& script, const std::string& lastShownScript) {
  working.mirror = mirrorChecked ? 1 : 0;
  working.pickCount = 1;
  working.okMarker = 0;
  if (working.storyboardPosition == 1 &&
      (rendered.storyboardPosition == 0 || script != lastShownScript)) {
    if (const auto sample = ScriptSampleNumber(script)) working.sampleNumber = *sample;
  }
}

bool ColourInputsDiffer(const ParamRecord& a, const ParamRecord& b) {
  return std::memcmp(&a.ramp, &b.ramp, sizeof a.ramp) != 0 || a.hueShift != b.hueShift ||
         a.repeat != b.repeat || a.ring != b.ring || a.mirror != b.mirror;
}

RefreshPlan PlanRefresh(const ParamRecord& working, const ParamRecord& rendered,
                        const std::string& script, const std::string& lastShownScript) {
  RefreshPlan plan;
  const bool scriptChanged = script != lastShownScript;
  if (std::memcmp(&working, &rendered, sizeof working) == 0 && !scriptChanged) return plan;
  plan.render = true;
  plan.replayScript = scriptChanged;
  plan.colours = ColourInputsDiffer(working, rendered);
  return plan;
}

int NarrowedListWidth(int width, int scrollBarWidth, int cellWidth) {
  if (cellWidth <= 0) return width;
  return scrollBarWidth + 4 + cellWidth * ((width - scrollBarWidth) / cellWidth);
}
