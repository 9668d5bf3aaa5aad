// The common library: texts, recorded failures, the Escape poll, path splitting.
#include "platform/x32comm/x32comm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {
int Pressed() { return 1; }
}  // namespace

TEST(CommonTexts, EachIdHasItsOwnTextCutToFitAndUnknownIdsAreNamed) {
  std::set<std::string> seen;
  const std::pair<int, const char*> texts[] = {
      {1001, "memory"}, {2001, "could not be written"}, {3203, "too long"}, {4008, "file dialog"}};
  for (const auto& [id, needle] : texts) {
    char text[260];
    const int n = c32GetString(id, text, sizeof text);
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(text)) << id;
    EXPECT_TRUE(seen.insert(text).second) << id;
    EXPECT_NE(std::string(text).find(needle), std::string::npos) << text;
  }
  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(c32GetString(1001, small, 6), 5);
  EXPECT_EQ(std::string(small, 7), std::string("There\0x", 7)) << "nothing past the size";
  EXPECT_EQ(c32GetString(1001, small, 1), 0);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(c32GetString(1001, nullptr, 10) + c32GetString(1001, small, 0), 0);
  EXPECT_EQ(c32GetString(4242, small, sizeof small), 0);
  char text[260];
  c32GetString(4242, text, sizeof text);
  EXPECT_NE(std::string(text).find("4242"), std::string::npos);
}

TEST(RecordedFailures, TheLastOneIsKeptUntilReset) {
  c32SetDLLErrInfo(1, 1001, 0, 72000, 3, 44);
  c32SetDLLErrInfo(2, 5200, 0, 71000, 4, 55);
  C32ErrInfo info{};
  EXPECT_EQ(c32GetDLLErrInfo(&info), 5200);
  EXPECT_EQ(std::vector<int32_t>({info.module, info.where, info.file, info.line}),
            std::vector<int32_t>({2, 71000, 4, 55}));
  c32ResetDLLErrInfo();
  EXPECT_EQ(c32GetDLLErrInfo(&info), 0);
  EXPECT_EQ(info.where, 0);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 0);
}

TEST(EscapePoll, CanBeReplacedAndRestored) {
  const X32EscPoll before = x32SetEscPoll(Pressed);
  EXPECT_EQ(x32IsEscPressed(), 1);
  EXPECT_EQ(x32SetEscPoll(nullptr), &Pressed);
  EXPECT_EQ(x32SetEscPoll(before), nullptr) << "the default is not handed out";
}

TEST(SplitPathname, CutsAfterTheLastSeparatorOfEitherKind) {
  const char* cases[][3] = {
      {"C:\\Host\\Plug-ins/qlnprism.dll", "C:\\Host\\Plug-ins/", "qlnprism.dll"},
      {"a/b\\c", "a/b\\", "c"},
      {"name.gif", "", "name.gif"},
      {"folder/", "folder/", ""}};
  for (const auto& [path, dir, name] : cases) {
    char d[260] = "x", n[260] = "x";
    ASSERT_EQ(xfdSplitPathname(path, d, n), 1);
    EXPECT_STREQ(d, dir) << path;
    EXPECT_STREQ(n, name) << path;
  }
  const std::string longName(300, 'n');
  char d[260], n[260];
  ASSERT_EQ(xfdSplitPathname(("x/" + longName).c_str(), d, n), 1);
  EXPECT_EQ(std::string(n), longName.substr(0, 259)) << "at most 259 characters";
  EXPECT_EQ(xfdSplitPathname("x/y", nullptr, n), 1);
  EXPECT_STREQ(n, "y");
  EXPECT_EQ(xfdSplitPathname(nullptr, d, n), 0);
}
