#include "dialog/preview_model.h"

#include <gtest/gtest.h>

#include "dialog/colour_fields.h"

TEST(ColourFields, DegreesAreOneToThreeDigitsUpTo359) {
  const struct {
    const char* text;
    std::optional<int32_t> degrees;
  } cases[] = {{"0", 0}, {"007", 7}, {"359", 359}, {"360", {}}, {"", {}}, {"12a", {}}, {"-1", {}}};
  for (const auto& c : cases) EXPECT_EQ(ParseDegrees(c.text), c.degrees) << c.text;
}

TEST(ColourFields, TheFirstBadFieldWinsAndLeavesTheRecord) {
  const struct {
    bool repeatInvalid;
    const char *hue, *ring;
    ColourField bad;
  } cases[] = {{true, "x", "x", ColourField::kRepeat},
               {false, "400", "x", ColourField::kHue},
               {false, "40", "", ColourField::kRing},
               {false, "40", "300", ColourField::kNone}};
  for (const auto& c : cases) {
    ParamRecord r = DefaultRecordForHost();
    const ParamRecord before = r;
    EXPECT_EQ(StoreColourFields({c.repeatInvalid, 250, c.hue, c.ring, true}, r), c.bad);
    const bool stored = c.bad == ColourField::kNone;
    EXPECT_EQ(r.hueShift, stored ? 40 : before.hueShift);
    EXPECT_EQ(r.repeat, stored ? 250 : before.repeat);
    EXPECT_EQ(r.mirror, stored ? 1 : before.mirror);
    EXPECT_EQ(r.okMarker, stored ? 1 : before.okMarker);
    EXPECT_EQ(r.ring, before.ring);  // the ring follows its field's edits only
  }
}

TEST(PreviewModel, ARefreshRedoesOnlyWhatChanged) {
  const ParamRecord shown = DefaultRecordForHost();
  const struct {
    const char* name;
    void (*change)(ParamRecord&);
    const char* script;
    RefreshPlan plan;
  } cases[] = {
      {"nothing", [](ParamRecord&) {}, "", {false, false, false}},
      {"new script", [](ParamRecord&) {}, "[000]051-()", {true, true, false}},
      {"template", [](ParamRecord& r) { r.templateIndex = 9; }, "", {true, false, false}},
      {"hue", [](ParamRecord& r) { r.hueShift = 90; }, "", {true, false, true}},
      {"ring", [](ParamRecord& r) { r.ring = 1; }, "", {true, false, true}},
      {"mirror", [](ParamRecord& r) { r.mirror = 1; }, "", {true, false, true}},
      {"ramp stop", [](ParamRecord& r) { r.ramp.stops[1].red ^= 1; }, "", {true, false, true}},
  };
  for (const auto& c : cases) {
    ParamRecord working = shown;
    c.change(working);
    const RefreshPlan plan = PlanRefresh(working, shown, c.script, "");
    EXPECT_EQ(plan.render, c.plan.render) << c.name;
    EXPECT_EQ(plan.replayScript, c.plan.replayScript) << c.name;
    EXPECT_EQ(plan.colours, c.plan.colours) << c.name;
  }
}

TEST(PreviewModel, ANewScriptGivesTheSampleWrittenAfterItsParenthesis) {
  const struct {
    const char* script;
    int32_t renderedPosition;
    int32_t sample;
  } cases[] = {{"[001]051-(05)", 0, 5}, {"[002]051-(12)", 1, 12}, {"[001]051-()", 0, 3},
               {"[001]051-(5", 0, 3},   {"[001]051-", 0, 3},      {"[001]051-(x5)", 0, 3}};
  for (const auto& c : cases) {
    ParamRecord working = DefaultRecordForHost(), rendered = working;
    working.storyboardPosition = 1;
    rendered.storyboardPosition = c.renderedPosition;
    PrepareWorkingRecord(working, true, rendered, c.script, "[001]051-(12)");
    EXPECT_EQ(working.sampleNumber, c.sample) << c.script;
    EXPECT_EQ(working.mirror + working.pickCount + working.okMarker, 2) << c.script;
  }
}

TEST(PreviewModel, ListsNarrowToWholeCells) {
  EXPECT_EQ(NarrowedListWidth(300, 17, 40), 17 + 4 + 7 * 40);
  EXPECT_EQ(NarrowedListWidth(297, 17, 40), 17 + 4 + 7 * 40);
  EXPECT_EQ(NarrowedListWidth(296, 17, 40), 17 + 4 + 6 * 40);
  EXPECT_EQ(NarrowedListWidth(300, 17, 0), 300);
}
