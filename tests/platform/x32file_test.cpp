#include "platform/x32file/x32file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "platform/x32file/replacing_file.h"

namespace {
using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;
}  // namespace

TEST(XfIsFileExist, TellsFilesFromFoldersAndMissingNames) {
  ScratchDir dir;
  WriteWholeFile(dir.file("prlib.pst"), {1});
  EXPECT_NE(xfIsFileExist(dir.file("prlib.pst").c_str()), 0);
  for (const std::string& no : {dir.path().string(), dir.file("missing.pst"), std::string()})
    EXPECT_EQ(xfIsFileExist(no.c_str()), 0) << no;
  EXPECT_EQ(xfIsFileExist(nullptr), 0);
}

// Published, dropped, refused and blocked writes: the destination holds either
// the old bytes or all the new ones, and no temporary file stays behind.
TEST(ReplacingFile, TheDestinationChangesOnlyWhenPublished) {
  ScratchDir dir;
  const std::string target = dir.file("anim.gif");
  WriteWholeFile(target, {1, 2, 3});
  {
    ReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    EXPECT_EQ(file.TemporaryPath().parent_path(), dir.path());
    EXPECT_TRUE(file.Write("\x09\x08", 2));
    EXPECT_TRUE(file.Write("\x07", 1));
    EXPECT_EQ(ReadWholeFile(target), (Bytes{1, 2, 3})) << "written, not yet published";
    EXPECT_EQ(dir.Entries().size(), 2u);
    EXPECT_TRUE(file.Publish());
  }
  EXPECT_EQ(ReadWholeFile(target), (Bytes{9, 8, 7}));
  EXPECT_EQ(dir.Entries(), Names{"anim.gif"});
  {
    ReplacingFile dropped;
    ASSERT_TRUE(dropped.Open(target));
    dropped.Write("\x05", 1);
  }
  EXPECT_EQ(ReadWholeFile(target), (Bytes{9, 8, 7}));
  EXPECT_EQ(dir.Entries(), Names{"anim.gif"});

  ReplacingFile refused;
  EXPECT_FALSE(refused.Open(dir.path() / "missing" / "x.bmp"));
  EXPECT_FALSE(refused.Open(std::filesystem::path()));
  EXPECT_FALSE(refused.Write("x", 1)) << "nothing is open";
  EXPECT_FALSE(refused.Publish());

  // A folder in the way of the rename: the publish fails and cleans up.
  std::filesystem::create_directory(dir.path() / "busy");
  ASSERT_TRUE(refused.Open(dir.path() / "busy"));
  EXPECT_TRUE(refused.Write("abc", 3));
  EXPECT_FALSE(refused.Publish());
  EXPECT_EQ(dir.Entries(), (Names{"anim.gif", "busy"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "busy"));
}

TEST(WriteFileAtomically, ReplacesTheWholeFileOrSaysWhyNot) {
  ScratchDir dir;
  const std::string target = dir.file("prlib.pst");
  WriteWholeFile(target, Bytes(1000, 0xAA));
  const Bytes shorter = {1, 2, 3, 4, 5};
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(target, shorter, &error)) << error;
  EXPECT_EQ(ReadWholeFile(target), shorter) << "no tail of the longer old file";
  const std::filesystem::path unreachable = dir.path() / "no" / "folder.pst";
  EXPECT_FALSE(WriteFileAtomically(unreachable, shorter, &error));
  EXPECT_NE(error.find(unreachable.string()), std::string::npos) << error;
  EXPECT_FALSE(WriteFileAtomically(unreachable, shorter, nullptr));
  EXPECT_EQ(dir.Entries(), Names{"prlib.pst"});
}
