// The common library: texts and path splitting.
#include "platform/x32comm/x32comm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(CommonTexts, EachIdHasItsOwnTextCutToFitAndUnknownIdsAreNamed) {
  const std::pair<int, const char*> texts[] = {{1001, "not enough memory"},
                                               {2001, "could not be written"},
                                               {3203, "too long"},
                                               {4008, "file dialog"},
                                               {4242, "Unexpected error (4242)."}};
  for (const auto& [id, needle] : texts) {
    char text[260];
    const int n = c32GetString(id, text, sizeof text);
    EXPECT_EQ(n, id == 4242 ? 0 : static_cast<int>(std::strlen(text)));
    EXPECT_NE(std::string(text).find(needle), std::string::npos) << text;
  }
  char small[8] = "xxxxxxx";
  EXPECT_EQ(c32GetString(1001, small, 6), 5);
  EXPECT_EQ(std::string(small, 7), std::string("There\0x", 7)) << "nothing past the size";
  EXPECT_EQ(c32GetString(1001, small, 1) + c32GetString(1001, nullptr, 9) +
                c32GetString(1001, small, 0) + small[0],
            0);
}

TEST(SplitPathname, CutsAfterTheLastSeparatorOfEitherKindAndKeeps259Characters) {
  const std::string longName(300, 'n');
  const std::string cases[][3] = {{"C:\\Host\\Plug-ins/ql.dll", "C:\\Host\\Plug-ins/", "ql.dll"},
                                  {"a/b\\c", "a/b\\", "c"},
                                  {"name.gif", "", "name.gif"},
                                  {"x/" + longName, "x/", longName.substr(0, 259)}};
  for (const auto& [path, dir, name] : cases) {
    char d[260] = "x", n[260] = "x";
    ASSERT_EQ(xfdSplitPathname(path.c_str(), d, n), 1);
    EXPECT_EQ(std::pair(std::string(d), std::string(n)), std::pair(dir, name)) << path;
  }
  EXPECT_EQ(xfdSplitPathname("x", nullptr, nullptr) + xfdSplitPathname(nullptr, nullptr, nullptr),
            1);
}
