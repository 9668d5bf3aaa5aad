#include "dialog/preview_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

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
    ParamRecord r = DefaultRecordForHost(), want = r;
    if (c.bad == ColourField::kNone)  // the ring follows its field's edits only
      want.hueShift = 40, want.repeat = 250, want.mirror = want.pickCount = want.okMarker = 1;
    EXPECT_EQ(StoreColourFields({c.repeatInvalid, 250, c.hue, c.ring, true}, r), c.bad);
    EXPECT_EQ(std::memcmp(&r, &want, sizeof r), 0) << c.hue << c.ring;
  }
}

TEST(PreviewModel, ARefreshRedoesOnlyWhatChanged) {
  const ParamRecord shown = DefaultRecordForHost();
  const struct {
    void (*change)(ParamRecord&);
    const char* script;
    bool render, replay, colours;
  } cases[] = {
      {[](ParamRecord&) {}, "", false, false, false},
      {[](ParamRecord&) {}, "[000]051-()", true, true, false},
      {[](ParamRecord& r) { r.templateIndex = 9; }, "", true, false, false},
      {[](ParamRecord& r) { r.hueShift = 90; }, "", true, false, true},
      {[](ParamRecord& r) { r.ring = 1; }, "", true, false, true},
      {[](ParamRecord& r) { r.mirror = 1; }, "", true, false, true},
      {[](ParamRecord& r) { r.repeat = 7; }, "", true, false, true},
      {[](ParamRecord& r) { r.ramp.stops[1].red ^= 1; }, "", true, false, true},
  };
  for (const auto& c : cases) {
    ParamRecord working = shown;
    c.change(working);
    const RefreshPlan p = PlanRefresh(working, shown, c.script, "");
    EXPECT_EQ(std::tuple(p.render, p.replayScript, p.colours),
              std::tuple(c.render, c.replay, c.colours))
        << &c - cases;
  }
}

TEST(PreviewModel, ANewScriptGivesTheSampleWrittenAfterItsParenthesis) {
  const struct {
    const char* script;
    int32_t renderedPosition;
    int32_t sample;
  } cases[] = {{"[001]051-(05)", 0, 5}, {"[002]051-(19)", 1, 19}, {"[001]051-(19)", 1, 3},
               {"[001]051-()", 0, 3},   {"[001]051-(5", 0, 3},    {"[001]051-", 0, 3},
               {"[001]051-(x5)", 0, 3}, {"[001]051-(5:)", 0, 3}};
  for (const auto& c : cases) {
    ParamRecord working = DefaultRecordForHost(), rendered = working;
    working.storyboardPosition = 1;
    rendered.storyboardPosition = c.renderedPosition;
    PrepareWorkingRecord(working, true, rendered, c.script, "[001]051-(19)");
    EXPECT_EQ(working.sampleNumber, c.sample) << c.script;
    EXPECT_EQ(std::tuple(working.mirror, working.pickCount, working.okMarker), std::tuple(1, 1, 0));
  }
}

TEST(PreviewModel, ListsNarrowToWholeCells) {
  EXPECT_EQ(NarrowedListWidth(300, 17, 40), 17 + 4 + 7 * 40);
  EXPECT_EQ(NarrowedListWidth(297, 17, 40), 17 + 4 + 7 * 40);
  EXPECT_EQ(NarrowedListWidth(296, 17, 40), 17 + 4 + 6 * 40);
  EXPECT_EQ(NarrowedListWidth(300, 17, 0), 300);
}
