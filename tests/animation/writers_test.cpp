// The frame writers: bitmaps as worked bytes; GIF frames in order through the temporary file,
// read back with the test decoder.
#include <gtest/gtest.h>

#include "animation/bmp_writer.h"
#include "animation/gif_writer.h"
#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"

TEST(BmpWriter, AThreeByTwoImageIsTheseSeventyEightBytes) {
  ScratchDir dir;
  const TestImage image(3, 2, [](int x, int y) {
    return TestRgb{uint8_t(10 * x + y), uint8_t(100 + x), uint8_t(200 + y)};
  });
  ASSERT_EQ(WriteBmpFile(dir.file("f.bmp").c_str(), image.handle()), 1);
  // File header; 3 x 2, 24 bits, the resolution (taken from the display); the bottom row first,
  // blue-green-red, padded to four bytes.
  // clang-format off
  const std::vector<uint8_t> expected = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 201, 100, 1, 201, 101, 11, 201, 102, 21, 0, 0, 0,
      200, 100, 0, 200, 101, 10, 200, 102, 20, 0, 0, 0};
  // clang-format on
  std::vector<uint8_t> written = ReadWholeFile(dir.file("f.bmp"));
  ASSERT_TRUE(written.size() == 78 && written[39] && written[43] && !written[41] && !written[45]);
  std::fill(written.begin() + 38, written.begin() + 46, 0);
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
  std::vector<TestImage> images;  // up to 4, 9, 2 and 60 colours, another size, grey
  for (auto [width, colours] : {std::pair{10, 4}, {10, 9}, {10, 2}, {10, 60}, {6, 4}})
    images.emplace_back(width, 6, [c = colours](int x, int y) {
      return TestRgb{uint8_t((7 * x + 3 * y) % c), 0, 0};
    });
  const TestImage grey(8, 10, 6);
  const Buf32Handle first = images[0].handle();
  GifJobPtr job = CreateGifJob(4, first);
  ASSERT_TRUE(job && CreateGifJob(kChunkMaxCapacity - 4, first) /* the most frames */ &&
              SetGifOutputName(*job, dir.file("order.gif").c_str()));
  const std::filesystem::path temp(job->tempName);
  // Refused: jobs of no frames, no image, a grey image, too many frames; frames of another size,
  // grey, out of order, the first again; names empty or too long; writing with frames missing.
  EXPECT_FALSE(
      CreateGifJob(0, first) || CreateGifJob(2, 0) || CreateGifJob(2, grey.handle()) ||
      CreateGifJob(kChunkMaxCapacity - 3, first) || AddGifFrame(job.get(), 1, images[4].handle()) ||
      AddGifFrame(job.get(), 1, grey.handle()) || AddGifFrame(job.get(), 2, images[1].handle()) ||
      AddGifFrame(job.get(), 0, images[1].handle()) || SetGifOutputName(*job, "") ||
      SetGifOutputName(*job, std::string(260, 'a').c_str()) || WriteGifFile(job.get()));
  for (int i = 1; i <= 4; ++i)
    EXPECT_EQ(AddGifFrame(job.get(), i, images[size_t(i % 4)].handle()), i < 4) << i;
  ASSERT_TRUE(WriteGifFile(job.get()) == 1 && std::filesystem::exists(temp));
  ReleaseGifJob(std::move(job));
  EXPECT_FALSE(std::filesystem::exists(temp)) << "the job takes its temporary file with it";
  const auto gif = ReadGif(ReadWholeFile(dir.file("order.gif")));
  ASSERT_TRUE(gif && gif->frames.size() == 4);
  for (auto [i, table] : {std::pair{0, 4}, {1, 16}, {2, 2}, {3, 64}}) {
    const GifTestFrame &f = gif->frames[size_t(i)];
    EXPECT_TRUE(f.localTableSize == table && f.interlaced == (table == 2)) << i;
    EXPECT_EQ(gif->Colours(size_t(i)), ImagePixels(images[size_t(i)].handle())) << i;
  }
}
