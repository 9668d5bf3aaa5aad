#include "engine/bmp_image.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/scratch_dir.h"
#include "common/test_images.h"

namespace {

using Bytes = std::vector<uint8_t>;

TestRgb gradient(int x, int y) {
  return {static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x + y)};
}

Bytes encode(int w, int h, BmpHeader header) {
  const TestImage image(w, h, gradient);
  Bytes file;
  EXPECT_TRUE(EncodeBmp(image.handle(), header, &file, nullptr));
  return file;
}

// An info-header file with its header grown to `size` bytes.
Bytes grown(Bytes f, uint32_t size) {
  f.insert(f.begin() + 54, size - 40, 0);
  f[14] = size & 0xFF, f[15] = static_cast<uint8_t>(size >> 8);
  f[10] = (14 + size) & 0xFF, f[11] = static_cast<uint8_t>((14 + size) >> 8);
  return f;
}

TEST(BmpImage, WorkedHeaderAndPixelBytes) {
  // 5 x 3 core: rows of 15 bytes padded to 16, the bottom row first, so bytes 29..31 are pixel
  // (1, 2) = (1, 2, 3) as blue, green, red; 6 x 4 info: rows of 18 padded to 20.
  const Bytes core = encode(5, 3, BmpHeader::kCore), info = encode(6, 4, BmpHeader::kInfo);
  ASSERT_EQ(core.size(), 74u);
  ASSERT_EQ(info.size(), 134u);
  // clang-format off
  const std::tuple<const Bytes&, size_t, int> bytes[] = {{core, 0, 'B'}, {core, 1, 'M'},
      {core, 2, 74}, {core, 10, 26}, {core, 14, 12}, {core, 18, 5}, {core, 20, 3}, {core, 22, 1},
      {core, 24, 24}, {core, 29, 3}, {core, 30, 2}, {core, 31, 1}, {core, 41, 0}, {info, 2, 134},
      {info, 10, 54}, {info, 14, 40}, {info, 18, 6}, {info, 22, 4}, {info, 26, 1}, {info, 28, 24},
      {info, 34, 80}, {info, 38, 0x13}, {info, 39, 0x0B}, {info, 30, 0}, {info, 46, 0}, {info, 50, 0}};
  // clang-format on
  for (const auto& [file, at, value] : bytes) EXPECT_EQ(file[at], value) << at;
}

TEST(BmpImage, RoundTripsThroughFilesAndTopDownRows) {
  const ScratchDir scratch;
  const auto path = scratch.path() / "out.bmp";
  std::string error;
  for (BmpHeader header : {BmpHeader::kCore, BmpHeader::kInfo})
    for (int w : {1, 2, 3, 4, 7}) {
      const TestImage image(w, 5, gradient);
      ASSERT_TRUE(SaveBmpImage(path, image.handle(), header, &error)) << error;
      TestBuffer back;
      ASSERT_TRUE(LoadBmpImage(path, &back.handle, &error)) << error;
      EXPECT_EQ(ImagePixels(back.handle), ImagePixels(image.handle())) << w;
    }
  // The 6 x 4 file top-down: negative height, rows reversed; and a 1024-byte header.
  const Bytes file = encode(6, 4, BmpHeader::kInfo);
  Bytes flipped(file.begin(), file.begin() + 54);
  for (int r = 3; r >= 0; --r)
    flipped.insert(flipped.end(), file.begin() + 54 + r * 20, file.begin() + 74 + r * 20);
  flipped[22] = 0xFC, flipped[23] = flipped[24] = flipped[25] = 0xFF;
  const TestImage expected(6, 4, gradient);
  for (const Bytes& f : {flipped, grown(file, 1024)}) {
    TestBuffer back;
    ASSERT_TRUE(DecodeBmp(f, &back.handle, &error)) << error;
    EXPECT_EQ(ImagePixels(back.handle), ImagePixels(expected.handle()));
  }
}

TEST(BmpImage, RefusesDamagedFilesWithAMessageAndNoImage) {
  const Bytes good = encode(4, 4, BmpHeader::kInfo);
  const int live = buf32LiveCount();
  // Cut short; bad magic, planes, bits, compression, offset past the end and inside the header,
  // width 0 and 32772, height 65540, header sizes 39 and 1025, garbage.
  std::vector<Bytes> damaged;
  for (size_t n : {size_t{0}, size_t{20}, size_t{40}, good.size() - 1})
    damaged.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
  const std::pair<size_t, uint8_t> pokes[] = {{0, 'P'}, {26, 2}, {28, 32},   {30, 1}, {11, 0xFF},
                                              {10, 50}, {18, 0}, {19, 0x80}, {24, 1}, {14, 39}};
  for (auto [at, value] : pokes) damaged.push_back(good), damaged.back()[at] = value;
  damaged.push_back(grown(good, 1025));
  damaged.push_back(Bytes(80, 0xEE)), damaged.back()[0] = 'B', damaged.back()[1] = 'M';
  for (const Bytes& f : damaged) {
    Buf32Handle h = 123;
    std::string error;
    EXPECT_FALSE(DecodeBmp(f, &h, &error)) << f.size();
    EXPECT_TRUE(h == 0 && !error.empty()) << f.size();
  }
  EXPECT_EQ(buf32LiveCount(), live);
  const ScratchDir scratch;
  TestBuffer back;
  const TestImage grey(8, 4, 4), colour(4, 4, gradient);
  Bytes file;
  EXPECT_FALSE(
      LoadBmpImage(scratch.path() / "missing.bmp", &back.handle, nullptr) ||
      SaveBmpImage(scratch.path() / "no" / "dir.bmp", colour.handle(), BmpHeader::kInfo, nullptr) ||
      EncodeBmp(grey.handle(), BmpHeader::kInfo, &file, nullptr) ||
      EncodeBmp(0, BmpHeader::kInfo, &file, nullptr));
  // The widest and tallest images a core header holds, and one pixel more.
  for (auto [w, h] : {std::pair{0xFFFF, 1}, {0x10000, 1}, {1, 0x7FFF}, {1, 0x8000}})
    EXPECT_EQ(EncodeBmp(TestImage(w, h, gradient).handle(), BmpHeader::kCore, &file, nullptr),
              w + h == 0x10000 || w + h == 0x8000)
        << w << "x" << h;
}

}  // namespace
