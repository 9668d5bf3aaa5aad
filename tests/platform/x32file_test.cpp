#include "platform/x32file/x32file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(XfIsFileExist, TellsFilesFromFoldersAndMissingNames) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("qln_x32file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "prlib.pst";
  std::ofstream(file) << "x";
  EXPECT_NE(xfIsFileExist(file.string().c_str()), 0);
  EXPECT_EQ(xfIsFileExist(dir.string().c_str()), 0);
  EXPECT_EQ(xfIsFileExist((dir / "missing.pst").string().c_str()), 0);
  EXPECT_EQ(xfIsFileExist(""), 0);
  EXPECT_EQ(xfIsFileExist(nullptr), 0);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(xfIsFileExist(file.string().c_str()), 0);
}
