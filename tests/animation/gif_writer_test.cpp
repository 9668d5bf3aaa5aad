#include "animation/gif_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>

#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"

namespace {

// An image using exactly `colours` different colours, in a blocky pattern.
TestImage ImageWithColours(int width, int height, int colours, uint64_t seed) {
  TestRandom random(seed);
  std::vector<TestRgb> table;
  for (int i = 0; i < colours; ++i)
    table.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                     static_cast<uint8_t>((i * 37) & 0xFF)});
  std::vector<int> cells(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (size_t i = 0; i < cells.size(); ++i)
    cells[i] = i < static_cast<size_t>(colours) ? static_cast<int>(i) : random.Below(colours);
  return TestImage(width, height, [=](int x, int y) {
    return table[static_cast<size_t>(cells[static_cast<size_t>(y * width + x)])];
  });
}

uint8_t Clamp(double v) {
  return static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

TestRgb Sines(int x, int y) {
  return {Clamp(127.5 + 127.5 * std::sin(0.05 * x + 0.03 * y)),
          Clamp(127.5 + 127.5 * std::sin(0.04 * x - 0.05 * y + 2.0)),
          Clamp(127.5 + 127.5 * std::sin(0.03 * x + 0.06 * y + 4.0))};
}

GifTestFile ReadBack(const std::string& name) {
  std::string error;
  auto gif = ReadGif(ReadWholeFile(name), &error);
  EXPECT_TRUE(gif.has_value()) << error;
  return gif.value_or(GifTestFile{});
}

// Runs a whole GIF job over the images; the job is released before returning.
int WriteAll(const std::vector<const TestImage*>& images, const std::string& name,
             std::string* tempName = nullptr) {
  GifJobPtr job = CreateGifJob(static_cast<int32_t>(images.size()), images[0]->handle());
  if (!job) return -1;
  if (tempName != nullptr) *tempName = job->tempName;
  if (!SetGifOutputName(*job, name.c_str())) return -2;
  for (size_t i = 1; i < images.size(); ++i)
    if (!AddGifFrame(job.get(), static_cast<int32_t>(i), images[i]->handle())) return -3;
  const int result = WriteGifFile(job.get());
  ReleaseGifJob(std::move(job));
  return result;
}

}  // namespace

TEST(GifTables, SizesRoundUpToPowersOfTwoWithTheirBits) {
  const int sizes[] = {2, 2, 4, 4, 8, 8, 8, 8, 16};  // for 1 to 9 colours
  for (int colours = 1; colours <= 9; ++colours)
    EXPECT_EQ(GifTableSize(colours), sizes[colours - 1]) << colours;
  EXPECT_EQ(GifTableSize(129), 256);
  EXPECT_EQ(GifTableSize(256), 256);
  for (int bits = 1; bits <= 8; ++bits) EXPECT_EQ(GifTableBits(1 << bits), bits) << bits;
}

TEST(GifWriter, WritesEveryFrameFullSizeWithItsOwnTableAndLoopsForEver) {
  ScratchDir dir;
  const TestImage three = ImageWithColours(40, 30, 3, 1);
  const TestImage many = ImageWithColours(40, 30, 200, 2);
  const TestImage two = ImageWithColours(40, 30, 2, 3);
  const std::string name = dir.file("film.gif");
  std::string tempName;
  ASSERT_EQ(WriteAll({&three, &many, &two}, name, &tempName), 1);
  EXPECT_FALSE(std::filesystem::exists(tempName)) << "released job deletes its temporary file";
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"film.gif"});

  const GifTestFile gif = ReadBack(name);
  EXPECT_EQ(gif.version, "GIF89a");
  EXPECT_EQ(gif.width, 40);
  EXPECT_EQ(gif.height, 30);
  EXPECT_EQ(gif.globalTable, std::vector<TestRgb>(16, TestRgb{255, 255, 255}));
  ASSERT_EQ(gif.applications.size(), 1u);
  EXPECT_EQ(gif.applications[0], "NETSCAPE2.0");
  EXPECT_EQ(gif.applicationData[0], (std::vector<uint8_t>{1, 0, 0}));
  ASSERT_EQ(gif.frames.size(), 3u);
  const int tableSizes[3] = {4, 256, 2};
  const int codeSizes[3] = {2, 8, 2};
  const TestImage* images[3] = {&three, &many, &two};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const GifTestFrame& f = gif.frames[i];
    EXPECT_EQ(f.left, 0);
    EXPECT_EQ(f.top, 0);
    EXPECT_EQ(f.width, 40);
    EXPECT_EQ(f.height, 30);
    EXPECT_EQ(f.localTableSize, tableSizes[i]);
    EXPECT_EQ(f.minCodeSize, codeSizes[i]);
    EXPECT_EQ(f.delay, kGifFrameDelay);
    EXPECT_EQ(f.disposal, i == 2 ? 0 : 1) << "kept, but for the interlaced frame";
    EXPECT_EQ(gif.Colours(i), ImagePixels(images[i]->handle())) << "few colours stay exact";
  }
  EXPECT_TRUE(gif.frames[2].interlaced);
  EXPECT_FALSE(gif.frames[0].interlaced);
}

TEST(GifWriter, ManyColouredFramesAreReducedTo256Colours) {
  ScratchDir dir;
  const TestImage a(160, 120, Sines);
  const TestImage b(160, 120, [](int x, int y) { return Sines(x + 17, y + 5); });
  const std::string name = dir.file("smooth.gif");
  ASSERT_EQ(WriteAll({&a, &b}, name), 1);
  const GifTestFile gif = ReadBack(name);
  ASSERT_EQ(gif.frames.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(gif.frames[i].localTableSize, 256);
    EXPECT_GT(Psnr(gif.Colours(i), ImagePixels((i == 0 ? a : b).handle())), 25.0);
  }
}

TEST(GifWriter, TheTemporaryFileHoldsIndicesAndTablesUntilRelease) {
  const TestImage three = ImageWithColours(7, 5, 3, 4);
  GifJobPtr job = CreateGifJob(2, three.handle());
  ASSERT_TRUE(job);
  const std::filesystem::path temp(job->tempName);
  EXPECT_EQ(temp.filename().string().substr(0, 3), "ang");
  // The temporary folder as a path of a file in it (on Windows the folder's
  // name ends with a separator).
  EXPECT_EQ(temp.parent_path(), (std::filesystem::temp_directory_path() / "x").parent_path());
  std::fflush(job->tempFile.get());
  EXPECT_EQ(std::filesystem::file_size(temp), 7u * 5u + 4u * 4u);
  EXPECT_EQ(job->tableSizes, (std::vector<int32_t>{4, 0}));
  ASSERT_EQ(AddGifFrame(job.get(), 1, three.handle()), 1);
  std::fflush(job->tempFile.get());
  EXPECT_EQ(std::filesystem::file_size(temp), 2u * (7u * 5u + 4u * 4u));
  // The stored frame: indices row by row, then red, green, blue, flags entries.
  const auto bytes = ReadWholeFile(temp.string());
  const auto pixels = ImagePixels(three.handle());
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint8_t index = bytes[i];
    ASSERT_LT(index, 3);
    const uint8_t* entry = &bytes[35 + 4 * static_cast<size_t>(index)];
    EXPECT_EQ((TestRgb{entry[0], entry[1], entry[2]}), pixels[i]);
  }
  ReleaseGifJob(std::move(job));
  EXPECT_FALSE(std::filesystem::exists(temp));
  ReleaseGifJob(nullptr);
}

TEST(GifWriter, AFailedWriteLeavesNoFilesAfterRelease) {
  ScratchDir dir;
  const TestImage image = ImageWithColours(8, 8, 5, 5);
  std::string tempName;
  EXPECT_EQ(WriteAll({&image, &image}, dir.file("missing-folder/film.gif"), &tempName), 0);
  EXPECT_FALSE(tempName.empty());
  EXPECT_FALSE(std::filesystem::exists(tempName));
  EXPECT_TRUE(dir.Entries().empty());

  std::filesystem::create_directory(dir.file("taken.gif"));
  EXPECT_EQ(WriteAll({&image, &image}, dir.file("taken.gif"), &tempName), 0);
  EXPECT_FALSE(std::filesystem::exists(tempName));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"taken.gif"});
}

TEST(GifWriter, FramesMustComeInOrderWithTheFirstFramesSize) {
  ScratchDir dir;
  const TestImage first = ImageWithColours(10, 6, 4, 1);
  const TestImage other = ImageWithColours(10, 6, 9, 2);
  const TestImage wrongSize = ImageWithColours(6, 10, 4, 3);
  const TestImage grey(8, 10, 6);
  GifJobPtr job = CreateGifJob(3, first.handle());
  ASSERT_TRUE(job);
  EXPECT_EQ(AddGifFrame(nullptr, 1, other.handle()), 0);
  EXPECT_EQ(AddGifFrame(job.get(), 2, other.handle()), 0) << "frame 1 is next";
  EXPECT_EQ(AddGifFrame(job.get(), 0, other.handle()), 0);
  EXPECT_EQ(AddGifFrame(job.get(), 1, wrongSize.handle()), 0);
  EXPECT_EQ(AddGifFrame(job.get(), 1, grey.handle()), 0);
  EXPECT_EQ(AddGifFrame(job.get(), 1, 0), 0);
  ASSERT_EQ(SetGifOutputName(*job, dir.file("order.gif").c_str()), 1);
  EXPECT_EQ(WriteGifFile(job.get()), 0) << "frames 1 and 2 missing";
  EXPECT_TRUE(dir.Entries().empty());
  ASSERT_EQ(AddGifFrame(job.get(), 1, other.handle()), 1);
  ASSERT_EQ(AddGifFrame(job.get(), 2, first.handle()), 1);
  EXPECT_EQ(AddGifFrame(job.get(), 3, first.handle()), 0) << "only 3 frames";
  ASSERT_EQ(WriteGifFile(job.get()), 1);
  ReleaseGifJob(std::move(job));

  const GifTestFile gif = ReadBack(dir.file("order.gif"));
  ASSERT_EQ(gif.frames.size(), 3u);
  EXPECT_EQ(gif.Colours(0), ImagePixels(first.handle()));
  EXPECT_EQ(gif.Colours(1), ImagePixels(other.handle()));
  EXPECT_EQ(gif.Colours(2), ImagePixels(first.handle()));
  EXPECT_EQ(gif.frames[1].localTableSize, 16);
}

TEST(GifWriter, RefusesJobsItCannotStartAndNamesItCannotHold) {
  const TestImage image = ImageWithColours(4, 4, 2, 1);
  const TestImage grey(8, 4, 4);
  EXPECT_FALSE(CreateGifJob(0, image.handle()));
  EXPECT_FALSE(CreateGifJob(-3, image.handle()));
  EXPECT_FALSE(CreateGifJob(2, 0));
  EXPECT_FALSE(CreateGifJob(2, grey.handle())) << "a frame that cannot be reduced";
  EXPECT_EQ(WriteGifFile(nullptr), 0);

  GifJobPtr job = CreateGifJob(1, image.handle());
  ASSERT_TRUE(job);
  EXPECT_EQ(WriteGifFile(job.get()), 0) << "no output name";
  EXPECT_EQ(SetGifOutputName(*job, nullptr), 0);
  EXPECT_EQ(SetGifOutputName(*job, ""), 0);
  EXPECT_EQ(SetGifOutputName(*job, std::string(260, 'a').c_str()), 0);
  EXPECT_EQ(SetGifOutputName(*job, std::string(259, 'a').c_str()), 1);
  EXPECT_EQ(std::strlen(job->outputName), 259u);
}
