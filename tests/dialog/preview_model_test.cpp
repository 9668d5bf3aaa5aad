#include "dialog/preview_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "dialog/colour_fields.h"

TEST(ColourFields, TheFirstBadFieldWinsAndLeavesTheRecord) {
  using K = ColourField;  // repeat invalid, hue, ring, first bad field, hue and mirror stored
  const std::tuple<bool, const char*, const char*, K, int32_t, bool> cases[] = {
      {true, "7", "7", K::kRepeat, 0, 0},    {false, "360", "x", K::kHue, 0, 0},
      {false, "12a", "0", K::kHue, 0, 0},    {false, "-1", "0", K::kHue, 0, 0},
      {false, "", "0", K::kHue, 0, 0},       {false, "40", "", K::kRing, 0, 0},
      {false, "007", "359", K::kNone, 7, 1}, {false, "359", "0", K::kNone, 359, 0}};
  for (const auto& [repeatInvalid, hue, ring, bad, hueShift, mirror] : cases) {
    ParamRecord r = DefaultRecordForHost(), want = r;
    if (bad == K::kNone)  // the ring follows its field's edits only
      want.hueShift = hueShift, want.repeat = 250, want.mirror = mirror,
      want.pickCount = want.okMarker = 1;
    EXPECT_EQ(StoreColourFields({repeatInvalid, 250, hue, ring, mirror}, r), bad);
    EXPECT_EQ(std::memcmp(&r, &want, sizeof r), 0) << hue << ring;
  }
}

TEST(PreviewModel, ARefreshRedoesOnlyWhatChanged) {
  using Plan = std::tuple<bool, bool, bool>;  // render, replay the script, rebuild the colours
  const std::tuple<void (*)(ParamRecord&), const char*, Plan> cases[] = {
      {[](ParamRecord&) {}, "", {false, false, false}},
      {[](ParamRecord&) {}, "[000]051-()", {true, true, false}},
      {[](ParamRecord& r) { r.templateIndex = 9; }, "", {true, false, false}},
      {[](ParamRecord& r) { r.hueShift = 90; }, "", {true, false, true}},
      {[](ParamRecord& r) { r.ring = 1; }, "", {true, false, true}},
      {[](ParamRecord& r) { r.mirror = 1; }, "", {true, false, true}},
      {[](ParamRecord& r) { r.repeat = 7; }, "", {true, false, true}},
      {[](ParamRecord& r) { r.ramp.stops[1].red ^= 1; }, "", {true, false, true}}};
  const ParamRecord shown = DefaultRecordForHost();
  for (const auto& [change, script, plan] : cases) {
    ParamRecord working = shown;
    change(working);
    const RefreshPlan p = PlanRefresh(working, shown, script, "");
    EXPECT_EQ(Plan(p.render, p.replayScript, p.colours), plan) << std::get<2>(plan);
  }
}

TEST(PreviewModel, ANewScriptGivesTheSampleWrittenAfterItsParenthesis) {
  // script, the rendered record's preview position, sample number after
  const std::tuple<const char*, int32_t, int32_t> cases[] = {
      {"[001]051-(05)", 0, 5}, {"[002]051-(19)", 1, 19},
      {"[001]051-(19)", 1, 3}, {"[001]051-()", 0, 3},
      {"[001]051-(5", 0, 3},   {"[001]051-", 0, 3},
      {"[001]051-(x5)", 0, 3}, {"[001]051-(5:)", 0, 3},
      {"[001]051-(07", 0, 7},  {"12", 0, 3}};
  bool mirror = false;
  for (const auto& [script, renderedPosition, sample] : cases) {
    ParamRecord working = DefaultRecordForHost(), rendered = working;
    working.storyboardPosition = 1;
    rendered.storyboardPosition = renderedPosition;
    mirror = !mirror;
    PrepareWorkingRecord(working, mirror, rendered, script, "[001]051-(19)");
    EXPECT_EQ(std::tuple(working.sampleNumber, working.mirror, working.pickCount, working.okMarker),
              std::tuple(sample, mirror ? 1 : 0, 1, 0))
        << script;
  }
}

TEST(PreviewModel, ListsNarrowToWholeCells) {
  EXPECT_EQ(NarrowedListWidth(300, 17, 40), 17 + 4 + 7 * 40);
  EXPECT_EQ(NarrowedListWidth(297, 17, 40), 17 + 4 + 7 * 40);
  EXPECT_EQ(NarrowedListWidth(296, 17, 40), 17 + 4 + 6 * 40);
  EXPECT_EQ(NarrowedListWidth(30, 17, 1), 34);
  EXPECT_EQ(NarrowedListWidth(300, 17, 0), 300);
}
