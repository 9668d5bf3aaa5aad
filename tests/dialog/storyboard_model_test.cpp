#include "dialog/storyboard_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// A dialog opened on template 5, sample 1, in its own session.
struct Dialog {
  RenderSession session;
  StoryboardModel model{session};
  DialogRecords records{};
  Dialog() {
    records.main.templateIndex = 4;
    records.main.sampleNumber = 1;
    model.Start(records.main);
    records.working = records.rendered = records.main;
  }
  void Advanced() { model.SwitchLayout(records); }
  std::string Ok() {
    model.Finish(records, true);
    return model.OkScriptText();
  }
};

}  // namespace

TEST(StoryboardModel, OkStoresTheStoryboardAsScript) {
  const struct {
    const char* name;
    std::function<void(Dialog&)> steps;
    const char* script;
  } cases[] = {
      {"start only", [](Dialog&) {}, "[000]051-()"},
      {"same template twice adds nothing", [](Dialog& d) { d.model.PickTemplate(4); },
       "[000]051-()"},
      {"pick, then sample of the last operation",
       [](Dialog& d) { d.model.PickTemplate(11), d.model.PickSample(2); }, "[000]051-123-()"},
      {"sample-only step dropped on the storyboard; the edited sample goes back",
       [](Dialog& d) {
         d.model.PickSample(3);
         EXPECT_EQ(d.model.AddOrReplace(2).appendItems.at(0).label, "5-3*");
         d.model.PickTemplate(11), d.model.PickSample(2);
       },
       "[000]051-053|123-()"},
      {"undo",
       [](Dialog& d) {
         d.model.PickTemplate(11), d.model.PickTemplate(6), d.model.UndoLast(d.records);
       },
       "[000]051-121-()"},
      {"advanced: pick stays pending until added",
       [](Dialog& d) {
         d.Advanced(), d.model.PickTemplate(11), d.model.PickTemplate(8);
         EXPECT_EQ(d.model.count(), 1);
         d.model.AddOrReplace(5);
       },
       "[000]051-096-()"},
      {"back to normal commits the pending pick",
       [](Dialog& d) { d.Advanced(), d.model.PickTemplate(11), d.Advanced(); }, "[000]051-121-()"},
      {"back to normal after a replace keeps up to it",
       [](Dialog& d) {
         d.model.PickTemplate(11), d.Advanced(), d.model.SelectItem(0), d.model.AddOrReplace(3);
         d.Advanced();
       },
       "[000]054-()"},
      {"OK on a selected operation drops the ones after it",
       [](Dialog& d) {
         d.model.PickTemplate(11), d.model.PickTemplate(6), d.Advanced(), d.model.SelectItem(1);
       },
       "[000]051-121-()"},
      {"replace re-renders the items after it",
       [](Dialog& d) {
         d.model.AddOrReplace(2), d.model.PickTemplate(11), d.Advanced();
         d.model.SelectItem(0), d.model.PickTemplate(8);
         EXPECT_EQ(d.model.ReplaceSelected(0).changeItems.at(0).label, "9-1");
         const StoryboardEffects fx = d.model.RebuildAfter(0, d.records);
         EXPECT_EQ(fx.changeItems.at(0).label, "9-3*");
         d.model.Unselect();
       },
       "[000]091-093|121-()"},
      {"reset, then template 9",
       [](Dialog& d) {
         d.model.PickTemplate(11);
         EXPECT_EQ(d.model.Reset(d.records).setTemplate, -1);
         EXPECT_EQ(d.records.working.templateIndex, -1);
         d.model.PickTemplate(8);
       },
       "[000]093-()"},
  };
  for (const auto& c : cases) {
    Dialog d;
    c.steps(d);
    EXPECT_EQ(d.Ok(), c.script) << c.name;
  }
}

TEST(StoryboardModel, TheTwentyFirstOperationIsRefused) {
  Dialog d;
  for (int k = 0; k < 19; ++k) EXPECT_EQ(d.model.PickTemplate(k % 2).message, 0) << k;
  const StoryboardEffects fx = d.model.PickTemplate(7);
  EXPECT_EQ(std::pair(fx.message, fx.messageValue), std::pair(520, 20));
  EXPECT_EQ(d.model.count(), 20);
  d.Advanced();
  EXPECT_EQ(d.model.AddOrReplace(0).message, 520);
}

TEST(StoryboardModel, UndoDownToEmptyDisablesTheButtons) {
  Dialog d;
  d.model.PickTemplate(11);
  StoryboardEffects fx = d.model.UndoLast(d.records);
  EXPECT_EQ(fx.showStep, 2);
  EXPECT_EQ(fx.setTemplate, 4);
  fx = d.model.UndoLast(d.records);
  EXPECT_EQ(d.model.count(), 0);
  EXPECT_EQ(fx.setTemplate, -1);
  for (int id : {kUndoButton, kResetButton, kAddToLibButton})
    EXPECT_TRUE(std::ranges::count(fx.buttons, ButtonState{id, false})) << id;
  EXPECT_EQ(d.model.currentSample(), 3);
}

TEST(StoryboardModel, DeleteRerendersFromTheOperationBeforeIt) {
  const struct {
    int item;
    std::vector<std::string> rerendered;
    int selected;
    const char* script;
  } cases[] = {
      {0, {"5-3", "12-1"}, 0, "[000]053-121-()"},  // the sample-only step now applies
      {1, {"5-1", "12-1"}, 1, "[000]051-121-()"},
      {2, {}, 1, "[000]051-053|()"},
  };
  for (const auto& c : cases) {
    Dialog d;  // 5-1, 5-3*, 12-1
    d.model.AddOrReplace(2), d.model.PickTemplate(11), d.Advanced(), d.model.SelectItem(c.item);
    const StoryboardEffects fx = d.model.DeleteSelected(d.records);
    EXPECT_EQ(fx.selectItem, c.selected) << c.item;
    std::vector<std::string> labels;
    for (const StoryboardThumb& t : fx.changeItems) {
      labels.push_back(t.label);
      EXPECT_EQ(t.record.storyboardPosition, t.item + 2);
    }
    EXPECT_EQ(labels, c.rerendered) << c.item;
    EXPECT_EQ(d.records.working.storyboardPosition, c.selected + 2);
    EXPECT_EQ(d.records.working.forceReplay, 1);
    d.model.Unselect();
    EXPECT_EQ(d.Ok(), c.script) << c.item;
  }
}
