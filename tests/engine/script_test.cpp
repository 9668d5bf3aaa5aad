#include "engine/script.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ScriptText, TwoAppliedOperationsGiveFifteenCharacters) {
  const StoryboardOp ops[2] = {{5, 1, 1}, {12, 3, 1}};
  const std::string text = BuildScriptText(0, ops, 2);
  EXPECT_EQ(text, "[000]051-123-()");
  EXPECT_EQ(text.size(), 15u);
  const StoryboardOp sampleOnly[2] = {{5, 1, 1}, {5, 4, 0}};
  EXPECT_EQ(BuildScriptText(7, sampleOnly, 2), "[007]051-054|()");
}

TEST(ScriptText, ReadsBackWhatItWrites) {
  StoryboardOp ops[kMaxScriptOperations];
  for (int k = 0; k < kMaxScriptOperations; ++k) ops[k] = {1 + k % 19, 1 + k % 6, k % 3 ? 1 : 0};
  const std::string text = BuildScriptText(123, ops, kMaxScriptOperations);
  EXPECT_EQ(text.size(), 5u + 4u * 62u + 2u);
  const auto back = ScriptOperations(text.c_str(), text.size() + 1);
  ASSERT_EQ(back.size(), 62u);
  for (int k = 0; k < kMaxScriptOperations; ++k) EXPECT_EQ(back[size_t(k)], ops[k]) << k;
}

TEST(ScriptText, CountsSeparatorsBeforeTheParenthesisOnly) {
  const char text[] = "[000]051-123|()171-";
  const auto ops = ScriptOperations(text, sizeof text);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[1], (StoryboardOp{12, 3, 0}));
}

TEST(ScriptText, NeverReadsPastTheField) {
  char field[256];
  std::memset(field, '-', sizeof field);  // no terminator, no parenthesis
  const auto ops = ScriptOperations(field, sizeof field);
  EXPECT_EQ(ops.size(), 62u);
  const char shortText[] = "[000]-";
  const auto one = ScriptOperations(shortText, sizeof shortText);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].templateNumber, ('-' - '0') * 10 - '0');  // digits are not checked
}
