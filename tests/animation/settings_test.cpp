// The Animation dialog's frame field typed into one change after another.
#include <gtest/gtest.h>

#include "animation/animation_settings.h"

TEST(AnimationSettingsEdit, TheFrameFieldTakesNumbersUpTo900AndOkWantsTwoOrMore) {
  AnimationSettingsEdit edit(AnimationSettings{});
  EXPECT_TRUE(edit.Acceptable()) << "five frames at first";
  struct Step {
    const char* text;
    FrameFieldChange change;
    bool acceptable;
  };
  const Step steps[] = {
      {"12", {false, true, 12}, true},        {"950", {true, false, 12}, true},
      {"", {true, false, 12}, true},          {"1", {false, false, 1}, false},
      {"-", {true, false, 1}, false},         {"0", {false, true, 1}, false},
      {"-7", {false, true, 1}, false},        {"900", {false, true, 900}, true},
      {"9a", {true, false, 900}, true},       {"2", {false, true, 2}, true},
      {"4294967298", {true, false, 2}, true},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(edit.FrameTextChanged(s.text), s.change) << '"' << s.text << '"';
    EXPECT_EQ(edit.Acceptable(), s.acceptable) << '"' << s.text << '"';
  }
  edit.SetMethod(kAnimationSequence);
  EXPECT_EQ(edit.settings(), (AnimationSettings{kAnimationSequence, 2}));
}
