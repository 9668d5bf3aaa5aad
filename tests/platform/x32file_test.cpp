#include "platform/x32file/x32file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "platform/x32file/replacing_file.h"

TEST(XfIsFileExist, TellsFilesFromFoldersAndMissingNames) {
  ScratchDir dir;
  const std::string file = dir.file("prlib.pst");
  WriteWholeFile(file, {1});
  EXPECT_NE(xfIsFileExist(file.c_str()), 0);
  EXPECT_EQ(xfIsFileExist(dir.path().string().c_str()), 0);
  EXPECT_EQ(xfIsFileExist(dir.file("missing.pst").c_str()), 0);
  EXPECT_EQ(xfIsFileExist(""), 0);
  EXPECT_EQ(xfIsFileExist(nullptr), 0);
}

TEST(ReplacingFile, TheDestinationChangesOnlyWhenPublished) {
  ScratchDir dir;
  const std::string target = dir.file("anim.gif");
  WriteWholeFile(target, {1, 2, 3});
  {
    ReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    EXPECT_EQ(file.TemporaryPath().parent_path(), dir.path());
    EXPECT_NE(file.TemporaryPath().filename(), "anim.gif");
    const uint8_t bytes[] = {9, 8, 7, 6};
    EXPECT_TRUE(file.Write(bytes, sizeof bytes));
    // Written but not published: the old file stands beside the new one.
    EXPECT_EQ(ReadWholeFile(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(dir.Entries().size(), 2u);
    EXPECT_TRUE(file.Publish());
  }
  EXPECT_EQ(ReadWholeFile(target), (std::vector<uint8_t>{9, 8, 7, 6}));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"anim.gif"}));

  // Dropped on an error path: the temporary file goes, the destination stays.
  {
    ReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    const uint8_t half[] = {5};
    file.Write(half, sizeof half);
  }
  EXPECT_EQ(ReadWholeFile(target), (std::vector<uint8_t>{9, 8, 7, 6}));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"anim.gif"}));
}

TEST(ReplacingFile, RefusedWritesLeaveNothingBehind) {
  ScratchDir dir;
  ReplacingFile file;
  EXPECT_FALSE(file.Open(dir.path() / "missing" / "x.bmp"));
  EXPECT_FALSE(file.Open(std::filesystem::path()));
  EXPECT_FALSE(file.Write("x", 1)) << "nothing is open";
  EXPECT_FALSE(file.Publish());

  // A folder in the way of the rename: the publish fails and cleans up.
  std::filesystem::create_directory(dir.path() / "busy");
  WriteWholeFile(dir.file("busy/keep.txt"), {1});
  ASSERT_TRUE(file.Open(dir.path() / "busy"));
  EXPECT_TRUE(file.Write("abc", 3));
  EXPECT_FALSE(file.Publish());
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"busy"}));
  EXPECT_EQ(ReadWholeFile(dir.file("busy/keep.txt")), (std::vector<uint8_t>{1}));
}

TEST(WriteFileAtomically, ReplacesTheWholeFileOrSaysWhyNot) {
  ScratchDir dir;
  const std::string target = dir.file("prlib.pst");
  WriteWholeFile(target, std::vector<uint8_t>(1000, 0xAA));
  const std::vector<uint8_t> shorter = {1, 2, 3, 4, 5};
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(target, shorter, &error)) << error;
  EXPECT_EQ(ReadWholeFile(target), shorter) << "no tail of the longer old file";
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"prlib.pst"}));

  const std::filesystem::path unreachable = dir.path() / "no" / "such" / "folder.pst";
  EXPECT_FALSE(WriteFileAtomically(unreachable, shorter, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  EXPECT_NE(error.find(unreachable.string()), std::string::npos) << error;
  EXPECT_FALSE(WriteFileAtomically(unreachable, shorter, nullptr));
  EXPECT_EQ(ReadWholeFile(target), shorter);
}
