#include "engine/bmp_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/scratch_dir.h"
#include "common/test_images.h"

namespace {

// A w x h image whose pixel (x, y) is (x, y, x + y) mod 256.
TestRgb gradient(int x, int y) {
  return {static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x + y)};
}

void expectGradient(Buf32Handle h, int w, int ht) {
  const TestImage expected(w, ht, gradient);
  uint32_t gw = 0, gh = 0;
  ASSERT_TRUE(buf32GetWHU(h, &gw, &gh, nullptr));
  EXPECT_EQ(gw, static_cast<uint32_t>(w));
  EXPECT_EQ(gh, static_cast<uint32_t>(ht));
  EXPECT_EQ(ImagePixels(h), ImagePixels(expected.handle()));
}

uint32_t word(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(BmpImage, CoreHeaderFileHasTheTwelveByteHeaderAndBottomUpBlueGreenRedRows) {
  const TestImage image(5, 3, gradient);
  std::vector<uint8_t> file;
  ASSERT_TRUE(EncodeBmp(image.handle(), BmpHeader::kCore, &file, nullptr));
  const size_t stride = 16;  // 15 bytes padded to 16
  ASSERT_EQ(file.size(), 14u + 12u + 3 * stride);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(word(file, 2), file.size());
  EXPECT_EQ(word(file, 10), 26u);
  EXPECT_EQ(word(file, 14), 12u);
  EXPECT_EQ(file[18] | (file[19] << 8), 5);  // 16-bit width
  EXPECT_EQ(file[20] | (file[21] << 8), 3);  // 16-bit height
  EXPECT_EQ(file[22], 1);                    // planes
  EXPECT_EQ(file[24], 24);                   // bits
  // First stored row is the bottom image row (y = 2); pixel x = 1 is (1, 2, 3).
  EXPECT_EQ(file[26 + 3], 3);   // blue
  EXPECT_EQ(file[26 + 4], 2);   // green
  EXPECT_EQ(file[26 + 5], 1);   // red
  EXPECT_EQ(file[26 + 15], 0);  // padding
}

TEST(BmpImage, RoundTripsThroughBothHeaders) {
  for (BmpHeader header : {BmpHeader::kCore, BmpHeader::kInfo}) {
    for (int w : {1, 2, 3, 4, 7, 60}) {
      const TestImage image(w, 5, gradient);
      TestBuffer back;
      std::vector<uint8_t> file;
      ASSERT_TRUE(EncodeBmp(image.handle(), header, &file, nullptr));
      std::string error;
      ASSERT_TRUE(DecodeBmp(file, &back.handle, &error)) << error;
      expectGradient(back.handle, w, 5);
    }
  }
}

TEST(BmpImage, ReadsTopDownInfoFiles) {
  const TestImage image(6, 4, gradient);
  TestBuffer back;
  std::vector<uint8_t> file;
  ASSERT_TRUE(EncodeBmp(image.handle(), BmpHeader::kInfo, &file, nullptr));
  // Turn it into a top-down file: negative height, rows reversed.
  const size_t stride = 20, offset = 54;
  std::vector<uint8_t> flipped(file.begin(), file.begin() + offset);
  for (int r = 3; r >= 0; --r)
    flipped.insert(flipped.end(), file.begin() + offset + r * stride,
                   file.begin() + offset + (r + 1) * stride);
  const int32_t negative = -4;
  std::memcpy(&flipped[22], &negative, 4);
  ASSERT_TRUE(DecodeBmp(flipped, &back.handle, nullptr));
  expectGradient(back.handle, 6, 4);
}

TEST(BmpImage, RejectsDamagedFilesWithAMessageAndNoImage) {
  const TestImage image(4, 4, gradient);
  std::vector<uint8_t> good;
  ASSERT_TRUE(EncodeBmp(image.handle(), BmpHeader::kInfo, &good, nullptr));
  const int live = buf32LiveCount();

  auto rejects = [&](std::vector<uint8_t> file, const char* what) {
    Buf32Handle h = 123;
    std::string error;
    EXPECT_FALSE(DecodeBmp(file, &h, &error)) << what;
    EXPECT_EQ(h, 0u) << what;
    EXPECT_FALSE(error.empty()) << what;
  };
  rejects({}, "empty");
  rejects(std::vector<uint8_t>(good.begin(), good.begin() + 20), "header cut");
  rejects(std::vector<uint8_t>(good.begin(), good.end() - 1), "pixels cut");
  // One or two header bytes changed.
  const struct {
    const char* what;
    size_t at;
    uint8_t value;
    size_t at2;
    uint8_t value2;
  } changes[] = {{"signature", 0, 'P', 0, 'P'},    {"32 bits", 28, 32, 28, 32},
                 {"compressed", 30, 1, 30, 1},     {"offset past the end", 10, 0xF0, 11, 0xFF},
                 {"zero width", 18, 0, 18, 0},     {"huge height", 21, 0x7F, 21, 0x7F},
                 {"header size", 14, 64, 15, 0x10}};
  for (const auto& c : changes) {
    auto bad = good;
    bad[c.at] = c.value;
    bad[c.at2] = c.value2;
    rejects(bad, c.what);
  }

  // Random damage never crashes and never leaves a buffer behind on failure.
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    auto f = good;
    for (int k = 0; k < 3; ++k) f[rng() % f.size()] = static_cast<uint8_t>(rng());
    f.resize(rng() % (f.size() + 1));
    Buf32Handle h = 0;
    if (DecodeBmp(f, &h, nullptr)) buf32Free(h);
  }
  EXPECT_EQ(buf32LiveCount(), live);
}

TEST(BmpImage, WritesThroughATemporaryFileAndReadsBack) {
  const ScratchDir scratch;
  const std::filesystem::path& dir = scratch.path();
  const TestImage image(9, 2, gradient);
  TestBuffer back;
  std::string error;
  ASSERT_TRUE(SaveBmpImage(dir / "out.bmp", image.handle(), BmpHeader::kInfo, &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp.tmp"));
  ASSERT_TRUE(LoadBmpImage(dir / "out.bmp", &back.handle, &error)) << error;
  expectGradient(back.handle, 9, 2);
  EXPECT_FALSE(LoadBmpImage(dir / "missing.bmp", &back.handle, &error));
  EXPECT_FALSE(
      SaveBmpImage(dir / "no" / "such" / "dir.bmp", image.handle(), BmpHeader::kInfo, &error));
  EXPECT_FALSE(error.empty());
}

TEST(BmpImage, OnlyTwentyFourBitImagesAreWritten) {
  const TestImage grey(8, 4, 4);
  std::vector<uint8_t> file;
  std::string error;
  EXPECT_FALSE(EncodeBmp(grey.handle(), BmpHeader::kInfo, &file, &error));
  EXPECT_FALSE(EncodeBmp(0, BmpHeader::kInfo, &file, &error));
}
