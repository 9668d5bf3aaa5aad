// The frame writers: bitmaps as worked bytes and through the engine's own reader; GIF frames in
// order through the temporary file, read back with the test decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "animation/bmp_writer.h"
#include "animation/gif_writer.h"
#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"

namespace {

TestRgb Pattern(int x, int y) { return {uint8_t(10 * x + y), uint8_t(100 + x), uint8_t(200 + y)}; }

// An image of up to `colours` colours.
TestImage ImageWithColours(int width, int colours) {
  return TestImage(width, 6, [=](int x, int y) {
    const int i = (7 * x + 3 * y) % colours;
    return TestRgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 37)};
  });
}

}  // namespace

TEST(BmpWriter, AThreeByTwoImageIsTheseSeventyEightBytes) {
  ScratchDir dir;
  const TestImage image(3, 2, Pattern);
  ASSERT_EQ(WriteBmpFile(dir.file("f.bmp").c_str(), image.handle()), 1);
  // File header; 3 x 2, 24 bits, 3780 pixels a metre; the bottom row first, blue-green-red,
  // padded to four bytes.
  // clang-format off
  const std::vector<uint8_t> expected = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0, 0xC4, 0x0E, 0, 0,
      0xC4, 0x0E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 201, 100, 1, 201, 101, 11, 201, 102, 21, 0, 0, 0,
      200, 100, 0, 200, 101, 10, 200, 102, 20, 0, 0, 0};
  // clang-format on
  std::vector<uint8_t> written = ReadWholeFile(dir.file("f.bmp"));
  ASSERT_EQ(written.size(), expected.size());
  // Windows takes the resolution from the display, direction by direction.
  EXPECT_TRUE(written[39] > 0 && written[43] > 0 && written[41] == 0 && written[45] == 0);
  std::copy(expected.begin() + 38, expected.begin() + 46, written.begin() + 38);
  EXPECT_EQ(written, expected);
  // Refused: no image, not 24-bit, no name, no folder, a folder in the file's place.
  const TestImage grey(8, 4, 4);
  std::filesystem::create_directory(dir.file("d.bmp"));
  EXPECT_EQ(WriteBmpFile(dir.file("x.bmp").c_str(), 0) + WriteBmpFile("", image.handle()) +
                WriteBmpFile(dir.file("x.bmp").c_str(), grey.handle()) +
                WriteBmpFile(dir.file("none/x.bmp").c_str(), image.handle()) +
                WriteBmpFile(dir.file("d.bmp").c_str(), image.handle()),
            0);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"d.bmp", "f.bmp"}));
}

TEST(GifWriter, FramesComeInOrderAndReadBackExactlyWithTheirOwnTables) {
  ScratchDir dir;
  const TestImage first = ImageWithColours(10, 4), other = ImageWithColours(10, 9),
                  two = ImageWithColours(10, 2), many = ImageWithColours(10, 60),
                  wrongSize = ImageWithColours(6, 4), grey(8, 10, 6);
  EXPECT_FALSE(CreateGifJob(0, first.handle()) || CreateGifJob(2, 0) ||
               CreateGifJob(2, grey.handle()) ||
               CreateGifJob(kChunkMaxCapacity - 3, first.handle()));
  EXPECT_TRUE(CreateGifJob(1, first.handle()) &&
              CreateGifJob(kChunkMaxCapacity - 4, first.handle()))
      << "the fewest and the most frames";
  GifJobPtr job = CreateGifJob(4, first.handle());
  ASSERT_TRUE(job);
  const std::filesystem::path temp(job->tempName);
  EXPECT_FALSE(
      AddGifFrame(job.get(), 1, wrongSize.handle()) || AddGifFrame(job.get(), 1, grey.handle()) ||
      AddGifFrame(job.get(), 2, other.handle()) || AddGifFrame(job.get(), 0, other.handle()));
  EXPECT_FALSE(SetGifOutputName(*job, "") ||
               SetGifOutputName(*job, std::string(260, 'a').c_str()) || WriteGifFile(job.get()));
  ASSERT_EQ(SetGifOutputName(*job, dir.file("order.gif").c_str()), 1);
  EXPECT_EQ(WriteGifFile(job.get()), 0) << "frames missing";
  ASSERT_TRUE(AddGifFrame(job.get(), 1, other.handle()) &&
              AddGifFrame(job.get(), 2, two.handle()) && AddGifFrame(job.get(), 3, many.handle()));
  EXPECT_EQ(AddGifFrame(job.get(), 4, first.handle()), 0) << "only 4 frames";
  ASSERT_EQ(WriteGifFile(job.get()), 1);
  ASSERT_TRUE(std::filesystem::exists(temp));
  ReleaseGifJob(std::move(job));
  EXPECT_FALSE(std::filesystem::exists(temp)) << "the job takes its temporary file with it";
  std::string why;
  const auto gif = ReadGif(ReadWholeFile(dir.file("order.gif")), &why);
  ASSERT_TRUE(gif && gif->frames.size() == 4) << why;
  for (auto [i, image, table] :
       {std::tuple{0, &first, 4}, {1, &other, 16}, {2, &two, 2}, {3, &many, 64}}) {
    EXPECT_EQ(gif->Colours(size_t(i)), ImagePixels(image->handle())) << i;
    EXPECT_EQ(gif->frames[size_t(i)].localTableSize, table) << i;
    EXPECT_EQ(gif->frames[size_t(i)].interlaced, table == 2) << i;
  }
}
