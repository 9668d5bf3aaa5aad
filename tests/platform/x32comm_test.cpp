// The common library's texts.
#include "platform/x32comm/x32comm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

TEST(CommonTexts, EachCommonIdHasItsOwnText) {
  std::set<std::string> seen;
  const std::pair<int, const char*> texts[] = {
      {1001, "memory"}, {2001, "could not be written"}, {3203, "too long"}, {4008, "file dialog"}};
  for (const auto& [id, needle] : texts) {
    char text[260];
    const int n = c32GetString(id, text, sizeof text);
    EXPECT_GT(n, 20) << id;
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(text));
    EXPECT_TRUE(seen.insert(text).second) << id;
    EXPECT_NE(std::string(text).find(needle), std::string::npos) << text;
  }
}

TEST(CommonTexts, SmallBuffersGetAsMuchAsFitsTerminated) {
  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(c32GetString(1001, small, 6), 5);
  EXPECT_EQ(std::strlen(small), 5u);
  EXPECT_EQ(small[6], 'x');  // nothing written past the size
  char one[1] = {'x'};
  EXPECT_EQ(c32GetString(1001, one, 1), 0);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(c32GetString(1001, nullptr, 10), 0);
  EXPECT_EQ(c32GetString(1001, one, 0), 0);
}

TEST(CommonTexts, UnknownIdsAreNamedAndReportZero) {
  char text[260];
  EXPECT_EQ(c32GetString(4242, text, sizeof text), 0);
  EXPECT_NE(std::string(text).find("4242"), std::string::npos);
}
