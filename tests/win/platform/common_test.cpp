// The common and file libraries on Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/x32comm/x32comm.h"
#include "platform/x32file/x32file.h"

TEST(WindowsCommon, EscapeIsTheKeyboardsAndPathsTakeEitherSeparator) {
  EXPECT_EQ(x32IsEscPressed(), 0) << "no key is held down in a test run";
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string file =
      std::string(temp) + "qln_exists_" + std::to_string(GetCurrentProcessId()) + ".pst";
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  std::string forward = file;
  for (char& c : forward) c = c == '\\' ? '/' : c;
  EXPECT_TRUE(xfIsFileExist(file.c_str()) && xfIsFileExist(forward.c_str()));
  EXPECT_EQ(xfIsFileExist(temp), 0) << "a folder";
  DeleteFileA(file.c_str());
  EXPECT_EQ(xfIsFileExist(file.c_str()), 0);
}
