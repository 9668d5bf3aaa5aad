#include "engine/ring_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/test_images.h"
#include "platform/x32comm/x32comm.h"

namespace {

const double kPi = 4.0 * std::atan(1.0);

double unit(int i, int n) { return -1.0 + 2.0 * i / (n - 1); }

uint8_t indexAt(const std::vector<uint8_t>& img, int w, int x, int y) {
  return img[static_cast<size_t>(y * w + x)];
}

Rgb colourAt(const std::vector<uint8_t>& img, int w, int x, int y) {
  const size_t i = 3 * static_cast<size_t>(y * w + x);
  return Rgb{img[i], img[i + 1], img[i + 2]};
}

// The bytes of a new ring index image, which is freed.
std::vector<uint8_t> ringIndexBytes(int w, int h) {
  Buf32Handle img = 0;
  EXPECT_EQ(MakeRingIndexImage(w, h, &img), 1) << w << "x" << h;
  const std::vector<uint8_t> bytes = ImageBytes(img);
  buf32Free(img);
  EXPECT_EQ(bytes.size(), static_cast<size_t>(w) * static_cast<size_t>(h)) << "8 bits a pixel";
  return bytes;
}

class RingImageTest : public ::testing::Test {
 protected:
  void SetUp() override { liveBefore_ = buf32LiveCount(); }
  void TearDown() override { EXPECT_EQ(buf32LiveCount(), liveBefore_) << "buffers leaked"; }
  int liveBefore_ = 0;
};

TEST_F(RingImageTest, IndexImageIsTheAngleOnTheRingAndGroundElsewhere) {
  const int w = 61, h = 47;
  const auto px = ringIndexBytes(w, h);

  int ringPixels = 0;
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) {
      const double x = unit(col, w), y = unit(row, h);
      const double r2 = x * x + y * y;
      const int v = indexAt(px, w, col, row);
      if (r2 <= 25.0 / 169.0 || r2 >= 100.0 / 169.0) {
        EXPECT_EQ(v, 255) << col << "," << row;
        continue;
      }
      ++ringPixels;
      ASSERT_LE(v, 254) << col << "," << row;
      // Clockwise from the left; 255 (a full turn, on the seam) becomes 254.
      const double exact = 255.0 * (std::atan2(y, x) + kPi) / (2.0 * kPi);
      const int expected = std::min(static_cast<int>(std::floor(exact)), 254);
      if (row == (h - 1) / 2 + 1 && x < 0) continue;  // next to the seam
      EXPECT_NEAR(v, expected, std::fabs(exact - std::round(exact)) < 1e-9 ? 1 : 0)
          << col << "," << row;
    }
  EXPECT_GT(ringPixels, 500);
}

TEST_F(RingImageTest, PixelsExactlyOnTheRingRadiiAreGround) {
  // In a 131 x 131 image eight pixels fall exactly on r = 5/13 or r = 10/13.
  const int size = 131;
  const auto px = ringIndexBytes(size, size);
  int inner = 0, outer = 0;
  for (int row = 0; row < size; ++row)
    for (int col = 0; col < size; ++col) {
      const double x = unit(col, size), y = unit(row, size);
      const double r2 = x * x + y * y;
      if (r2 == kRingInner2) ++inner;
      if (r2 == kRingOuter2) ++outer;
      if (r2 == kRingInner2 || r2 == kRingOuter2) {
        EXPECT_EQ(indexAt(px, size, col, row), 255) << col << "," << row;
      }
    }
  EXPECT_GT(inner, 0);
  EXPECT_GT(outer, 0);
}

TEST_F(RingImageTest, MaskKeepsTheRingAndMoves255To254) {
  const int w = 40, h = 30;
  Buf32Handle img = 0;
  ASSERT_TRUE(buf32Alloc(&img, 8, w, h, 0, nullptr));
  ASSERT_TRUE(buf32Lock(img, kBuf32Write, nullptr));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      *buf32PointAddr(img, x, y) = static_cast<uint8_t>(x % 2 ? 255 : x + y);
  buf32Unlock(img);
  ASSERT_EQ(MaskRingImage(img), 1);
  const auto px = ImageBytes(img);
  buf32Free(img);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double r2 = unit(x, w) * unit(x, w) + unit(y, h) * unit(y, h);
      const bool ring = r2 > kRingInner2 && r2 < kRingOuter2;
      const int expected = !ring ? 255 : (x % 2 ? 254 : x + y);
      EXPECT_EQ(indexAt(px, w, x, y), expected) << x << "," << y;
    }
}

TEST_F(RingImageTest, FailuresLeaveNothingBehind) {
  Buf32Handle out = 99;
  EXPECT_EQ(MakeRingIndexImage(0, 10, &out), 0);
  EXPECT_EQ(out, 0u);
  out = 99;
  EXPECT_EQ(MakeRingIndexImage(10, -3, &out), 0);
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(MakeRingIndexImage(10, 10, nullptr), 0);

  EXPECT_EQ(MaskRingImage(0), 0);
  EXPECT_EQ(MaskRingImage(123456789), 0);
  Buf32Handle colour = 0;
  ASSERT_TRUE(buf32Alloc(&colour, 24, 8, 8, 0, nullptr));
  EXPECT_EQ(MaskRingImage(colour), 0);  // not an index image
  const PaletteTable table{};
  const PaletteRamp ramp = DefaultRamp();
  Buf32Handle index = 0;
  ASSERT_TRUE(buf32Alloc(&index, 8, 8, 8, 0, nullptr));
  EXPECT_EQ(DrawRampThumbnail(0, table, 1, ramp, 0), 0);
  EXPECT_EQ(DrawRampThumbnail(index, table, 1, ramp, 0), 0);  // not a colour image
  for (uint8_t b : ImageBytes(index)) EXPECT_EQ(b, 0);
  for (uint8_t b : ImageBytes(colour)) EXPECT_EQ(b, 0);
  buf32Free(colour);
  buf32Free(index);
}

TEST_F(RingImageTest, TinyIndexImagesAreAllGround) {
  for (int w : {1, 2, 3})
    for (int h : {1, 2, 3}) {
      for (uint8_t v : ringIndexBytes(w, h)) EXPECT_EQ(v, 255) << w << "x" << h;
    }
}

// A ramp of four clearly different colours at the quarter points.
PaletteRamp quarterRamp() {
  PaletteRamp r{};
  r.count = 4;
  r.stops[0] = RampStop{0, 250, 20, 20};
  r.stops[1] = RampStop{64, 20, 250, 20};
  r.stops[2] = RampStop{128, 20, 20, 250};
  r.stops[3] = RampStop{191, 250, 250, 20};
  return r;
}

TEST_F(RingImageTest, ThumbnailRingShowsTheTableClockwiseFromTheLeft) {
  const int size = 61, c = 30;
  const PaletteRamp ramp = quarterRamp();
  PaletteTable table{};
  BuildPaletteTable(0, ramp, table, 1);
  for (int interpolate : {0, 1}) {
    const TestImage img(24, size, size);
    ASSERT_EQ(DrawRampThumbnail(img.handle(), table, interpolate, ramp, 0), 1);
    const auto px = ImageBytes(img.handle());
    const Rgb white{255, 255, 255};
    EXPECT_EQ(colourAt(px, size, c, c), white);      // centre
    EXPECT_EQ(colourAt(px, size, c + 5, c), white);  // inside the ring
    EXPECT_EQ(colourAt(px, size, 1, 1), white);      // corner
    // The middle of the ring at the right is index 127.5, at the top 63.75.
    const Rgb right = colourAt(px, size, c + 17, c);
    const Rgb top = colourAt(px, size, c, c - 17);
    if (interpolate) {
      EXPECT_EQ(right.blue, static_cast<uint8_t>(std::floor(table.entry[128].blue * 0.5 +
                                                            table.entry[127].blue * 0.5)));
      EXPECT_EQ(top.green, static_cast<uint8_t>(std::floor(table.entry[64].green * 0.75 +
                                                           table.entry[63].green * 0.25)));
    } else {
      EXPECT_EQ(right, table.entry[127]);
      EXPECT_EQ(top, table.entry[63]);
    }
    EXPECT_GT(right.blue, 240);
    EXPECT_GT(top.green, 240);
  }
}

TEST_F(RingImageTest, StopMarkersSitOutsideTheRingInTheirColour) {
  const int size = 121;
  const PaletteRamp ramp = quarterRamp();
  for (int ring : {0, 90, 200}) {
    PaletteTable table{};
    BuildPaletteTable(0, ramp, table, 1);
    RotatePaletteTable(table, ring);
    const TestImage img(24, size, size);
    ASSERT_EQ(DrawRampThumbnail(img.handle(), table, 0, ramp, ring), 1);
    const auto px = ImageBytes(img.handle());

    std::vector<std::pair<double, double>> centres;
    for (int k = 0; k < ramp.count; ++k) {
      // The stop's place turned by the ring, clockwise from the left.
      const double a = 2.0 * kPi * (ramp.stops[k].position + ring * 256.0 / 360.0) / 255.0;
      const double mx = -std::cos(a) * 11.0 / 13.0, my = -std::sin(a) * 11.0 / 13.0;
      centres.emplace_back(mx, my);
      const int col = static_cast<int>(std::lround((mx + 1.0) * (size - 1) / 2.0));
      const int row = static_cast<int>(std::lround((my + 1.0) * (size - 1) / 2.0));
      const Rgb m = colourAt(px, size, col, row);
      // The colour is the table's at the turned place; a place turned past
      // the end of the circle is clamped to the last entry, not wrapped.
      const RampStop& s = ramp.stops[k];
      const bool pastEnd = ramp.stops[k].position + ring * 256.0 / 360.0 > 255.0;
      const Rgb expected = pastEnd ? table.entry[255] : Rgb{s.red, s.green, s.blue};
      EXPECT_NEAR(m.red, expected.red, 6) << "ring " << ring << " stop " << k;
      EXPECT_NEAR(m.green, expected.green, 6) << "ring " << ring << " stop " << k;
      EXPECT_NEAR(m.blue, expected.blue, 6) << "ring " << ring << " stop " << k;
    }
    // Outside the ring only the markers are coloured.
    int marked = 0;
    for (int row = 0; row < size; ++row)
      for (int col = 0; col < size; ++col) {
        const double x = unit(col, size), y = unit(row, size);
        if (x * x + y * y < kRingOuter2) continue;
        if (colourAt(px, size, col, row) == Rgb{255, 255, 255}) continue;
        ++marked;
        bool nearMarker = false;
        for (auto [mx, my] : centres)
          nearMarker |= std::hypot(x - mx, y - my) <= kMarkerRadius + 1e-12;
        EXPECT_TRUE(nearMarker) << col << "," << row;
      }
    EXPECT_GE(marked, 4 * 9);  // each marker is a small disc of several pixels
  }
}

TEST_F(RingImageTest, ThumbnailOfAnyRampStaysInsideTheImage) {
  PaletteTable table{};
  BuildPaletteTable(0, DefaultRamp(), table, 1);
  PaletteRamp ramp{};
  for (int i = 0; i < 256; ++i) ramp.stops[i] = RampStop{static_cast<uint8_t>(i * 7), 1, 2, 3};
  for (int32_t count : {INT32_MIN, -1, 0, 1, 256, 257, INT32_MAX})
    for (int ring : {INT32_MIN, -359, 0, 359, INT32_MAX})
      for (int size : {1, 2, 5}) {
        ramp.count = count;
        const TestImage img(24, size, size + 1);
        EXPECT_EQ(DrawRampThumbnail(img.handle(), table, 1, ramp, ring), 1);
      }
}

}  // namespace
