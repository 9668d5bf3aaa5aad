#include "platform/x32file/x32file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "platform/x32file/replacing_file.h"

// Dropped, published, refused and blocked writes: the destination holds either
// the old bytes or all the new ones, and no temporary file stays behind.
TEST(ReplacingFile, TheDestinationChangesOnlyWhenPublished) {
  ScratchDir dir;
  const std::string target = dir.file("anim.gif"), busy = dir.file("busy");
  WriteWholeFile(target, {1, 2, 3, 4});
  std::filesystem::create_directory(busy);
  for (bool publish : {false, true}) {
    ReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    EXPECT_TRUE(file.Write("\x09\x08", 2) && file.Write("\x07", 1));
    EXPECT_EQ(dir.Entries().size(), 3u) << "beside the destination";
    EXPECT_EQ(ReadWholeFile(target), (std::vector<uint8_t>{1, 2, 3, 4}));
    if (publish) {
      EXPECT_TRUE(file.Publish());
    }
  }
  EXPECT_EQ(ReadWholeFile(target), (std::vector<uint8_t>{9, 8, 7}));
  ReplacingFile refused, blocked;
  EXPECT_FALSE(refused.Open(dir.file("missing/x.bmp")) || refused.Open("") ||
               refused.Write("x", 1) || refused.Publish());
  ASSERT_TRUE(blocked.Open(busy));
  EXPECT_TRUE(blocked.Write("abc", 3));
  EXPECT_FALSE(blocked.Publish()) << "a folder in the way";
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"anim.gif", "busy"}));
  EXPECT_TRUE(std::filesystem::is_empty(busy));
  EXPECT_NE(xfIsFileExist(target.c_str()), 0);
  EXPECT_EQ(xfIsFileExist(busy.c_str()) + xfIsFileExist("") + xfIsFileExist(nullptr), 0);
}

TEST(RemoveBlanks, OnlyTheBlanksAtBothEndsGo) {
  for (auto [in, out] : {std::pair{"  a b\t ", "a b"}, {"\t", ""}, {"name", "name"}, {"", ""}}) {
    std::string text = in;
    EXPECT_EQ(xfdRemoveBlanks(text.data()), static_cast<int>(std::strlen(out))) << in;
    EXPECT_STREQ(text.c_str(), out);
  }
  EXPECT_EQ(xfdRemoveBlanks(nullptr), 0);
}
