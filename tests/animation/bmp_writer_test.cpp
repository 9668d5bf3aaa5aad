#include "animation/bmp_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/scratch_dir.h"
#include "common/test_images.h"
#include "platform/x32base/disp32.h"

namespace {

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint32_t Get16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

TestRgb Pattern(int x, int y) {
  return {static_cast<uint8_t>(10 * x + y), static_cast<uint8_t>(100 + x),
          static_cast<uint8_t>(200 + y)};
}

}  // namespace

TEST(BmpWriter, ThreeByTwoImageIsSeventyEightBytesWithTheDocumentedHeaders) {
  ScratchDir dir;
  const TestImage image(3, 2, Pattern);
  const std::string name = dir.file("frame000.BMP");
  ASSERT_EQ(WriteBmpFile(name.c_str(), image.handle()), 1);
  EXPECT_EQ(buf32PointAddr(image.handle(), 0, 0), nullptr) << "the image is left unlocked";

  const auto b = ReadWholeFile(name);
  ASSERT_EQ(b.size(), 78u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Get32(b, 2), 78u);
  EXPECT_EQ(Get32(b, 6), 0u);  // two reserved words
  EXPECT_EQ(Get32(b, 10), 54u);
  EXPECT_EQ(Get32(b, 14), 40u);
  EXPECT_EQ(Get32(b, 18), 3u);
  EXPECT_EQ(Get32(b, 22), 2u);
  EXPECT_EQ(Get16(b, 26), 1u);
  EXPECT_EQ(Get16(b, 28), 24u);
  EXPECT_EQ(Get32(b, 30), 0u);
  EXPECT_EQ(Get32(b, 34), 24u);
  Disp32DevInfo display{};
  ASSERT_EQ(disp32GetDevInfo(&display), 1);
  EXPECT_EQ(disp32GetDevInfo(nullptr), 0);
  EXPECT_EQ(Get32(b, 38),
            static_cast<uint32_t>(BmpPixelsPerMetre(display.horzPixels, display.horzMillimetres)));
  EXPECT_EQ(Get32(b, 42),
            static_cast<uint32_t>(BmpPixelsPerMetre(display.vertPixels, display.vertMillimetres)));
  EXPECT_EQ(Get32(b, 46), 0u);
  EXPECT_EQ(Get32(b, 50), 0u);

  // Bottom row (y = 1) first, blue-green-red, 3 padding bytes after 9 pixel bytes.
  const std::vector<uint8_t> rows = {201, 100, 1, 201, 101, 11, 201, 102, 21, 0, 0, 0,
                                     200, 100, 0, 200, 101, 10, 200, 102, 20, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.end()), rows);
}

TEST(BmpWriter, PixelsPerMetreComeFromTheDisplaySize) {
  EXPECT_EQ(BmpPixelsPerMetre(1920, 508), 3779);  // 1920 * 1000 / 508
  EXPECT_EQ(BmpPixelsPerMetre(1280, 339), 3775);
  EXPECT_EQ(BmpPixelsPerMetre(1024, 0), 3780);
  EXPECT_EQ(BmpPixelsPerMetre(0, 300), 3780);
}

TEST(BmpWriter, RowsArePaddedToFourBytesForEveryWidth) {
  ScratchDir dir;
  const int height = 3;
  for (int width : {1, 2, 3, 4, 5, 7, 33}) {
    SCOPED_TRACE(width);
    const TestImage image(width, height, Pattern);
    const std::string name = dir.file("w" + std::to_string(width) + ".bmp");
    ASSERT_EQ(WriteBmpFile(name.c_str(), image.handle()), 1);
    const auto b = ReadWholeFile(name);
    const size_t rowBytes = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
    EXPECT_EQ(BmpRowBytes(width), static_cast<int>(rowBytes));
    ASSERT_EQ(b.size(), 54 + rowBytes * height);
    EXPECT_EQ(Get32(b, 2), b.size());
    EXPECT_EQ(Get32(b, 34), rowBytes * height);
    for (int y = 0; y < height; ++y) {
      const size_t row = 54 + rowBytes * static_cast<size_t>(height - 1 - y);
      for (int x = 0; x < width; ++x) {
        const TestRgb c = Pattern(x, y);
        const size_t at = row + 3 * static_cast<size_t>(x);
        ASSERT_EQ(b[at], c.b) << x << "," << y;
        ASSERT_EQ(b[at + 1], c.g) << x << "," << y;
        ASSERT_EQ(b[at + 2], c.r) << x << "," << y;
      }
    }
  }
}

TEST(BmpWriter, RefusedImagesAndPlacesGiveZeroAndLeaveNothingBehind) {
  ScratchDir dir;
  const std::string name = dir.file("x.bmp");
  Buf32Handle freed = 0;
  ASSERT_EQ(buf32Alloc(&freed, 24, 2, 2, 0, nullptr), 1);
  buf32Free(freed);
  const TestImage grey(8, 4, 4);
  for (Buf32Handle bad : {Buf32Handle{0}, freed, grey.handle()})
    EXPECT_EQ(WriteBmpFile(name.c_str(), bad), 0);
  const TestImage image(3, 2, Pattern);
  EXPECT_EQ(WriteBmpFile(nullptr, image.handle()), 0);
  EXPECT_EQ(WriteBmpFile("", image.handle()), 0);
  EXPECT_EQ(WriteBmpFile(dir.file("no-such-folder/x.bmp").c_str(), image.handle()), 0);
  EXPECT_TRUE(dir.Entries().empty());

  // An existing file is replaced whole.
  WriteWholeFile(name, std::vector<uint8_t>(500, 7));
  ASSERT_EQ(WriteBmpFile(name.c_str(), image.handle()), 1);
  EXPECT_EQ(ReadWholeFile(name).size(), 78u);
}
