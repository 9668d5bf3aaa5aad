#include "engine/script.h"

#include <gtest/gtest.h>

#include <cstring>

using Ops = std::vector<StoryboardOp>;

// Numbers outside their fields are clamped: the script number to 0..999, templates to 00..99.
TEST(ScriptText, BuildsTextAndReadsItBack) {
  const std::tuple<int, Ops, const char*> cases[] = {
      {0, {{5, 1, 1}, {12, 3, 1}}, "[000]051-123-()"},
      {7, {{5, 1, 1}, {5, 4, 0}}, "[007]051-054|()"},
      {1234, {{0, 1, 1}}, "[999]001-()"},
      {-5, {{-3, 2, 1}, {150, 6, 0}}, "[000]002-996|()"}};
  for (const auto& [number, ops, text] : cases)
    EXPECT_EQ(BuildScriptText(number, ops.data(), static_cast<int>(ops.size())), text);
  Ops ops(70);  // 62 fit in the field
  for (int k = 0; k < 70; ++k) ops[size_t(k)] = {1 + k % 19, 1 + k % 6, k % 3 ? 1 : 0};
  const std::string text = BuildScriptText(123, ops.data(), 70);
  EXPECT_EQ(ScriptOperations(text.c_str(), text.size() + 1), Ops(ops.begin(), ops.begin() + 62));
}

// Separators count before the parenthesis only, never past the field, and at most 62; bytes
// past the field read as 0 and digits are not checked: ('-' - '0') * 10 - '0' = -78.
TEST(ScriptText, ReadsOperationsWithinTheField) {
  char dashes[256];
  std::memset(dashes, '-', sizeof dashes);
  EXPECT_EQ(ScriptOperations(dashes, sizeof dashes).size(), 62u);
  const char text[] = "[000]051-123|()171-", shortText[] = "[000]-";
  EXPECT_EQ(ScriptOperations(text, sizeof text), (Ops{{5, 1, 1}, {12, 3, 0}}));
  EXPECT_EQ(ScriptOperations(shortText, sizeof shortText), (Ops{{-78, -48, 1}}));
}
