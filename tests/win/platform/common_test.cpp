// The common and file libraries on Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "platform/x32comm/x32comm.h"
#include "platform/x32file/x32file.h"

namespace {
int pressed() { return 1; }
}  // namespace

TEST(EscapePoll, DefaultsToTheKeyboardAndCanBeReplaced) {
  // No key is held down in a test run.
  EXPECT_EQ(x32IsEscPressed(), 0);
  EXPECT_EQ(x32SetEscPoll(pressed), nullptr);
  EXPECT_EQ(x32IsEscPressed(), 1);
  EXPECT_EQ(x32SetEscPoll(nullptr), &pressed);
  EXPECT_EQ(x32IsEscPressed(), 0);
}

TEST(WindowsPaths, EitherSeparatorFindsAFileAndBackslashesSplit) {
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string dir = std::string(temp) + "qln_exists_" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  const std::string file = dir + "\\prlib.pst";
  std::ofstream(file) << "x";
  EXPECT_NE(xfIsFileExist(file.c_str()), 0);
  std::string forward = file;
  for (char& c : forward)
    if (c == '\\') c = '/';
  EXPECT_NE(xfIsFileExist(forward.c_str()), 0);
  EXPECT_EQ(xfIsFileExist(dir.c_str()), 0);
  DeleteFileA(file.c_str());
  RemoveDirectoryA(dir.c_str());
  EXPECT_EQ(xfIsFileExist(file.c_str()), 0);
  char folder[260], name[260];
  ASSERT_EQ(xfdSplitPathname("C:\\Program Files\\Host\\qlnprism.dll", folder, name), 1);
  EXPECT_STREQ(folder, "C:\\Program Files\\Host\\");
  EXPECT_STREQ(name, "qlnprism.dll");
}
