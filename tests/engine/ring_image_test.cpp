#include "engine/ring_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "common/test_images.h"

namespace {

const double kPi = 4.0 * std::atan(1.0);
using Z = std::complex<double>;

double unit(int i, int n) { return n > 1 ? -1.0 + 2.0 * i / (n - 1) : -1.0; }
bool onRing(double x, double y) {
  return x * x + y * y > 25.0 / 169 && x * x + y * y < 100.0 / 169;
}
// Palette place of a point: 0 at nine o'clock, clockwise (y points down).
double place(double x, double y) { return 255.0 * (std::atan2(y, x) + kPi) / (2.0 * kPi); }

class RingImageTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(buf32LiveCount(), liveBefore_) << "buffers leaked"; }
  int liveBefore_ = buf32LiveCount();
};

// 131 x 131 has pixels exactly on both radii; they are ground.
TEST_F(RingImageTest, IndexImageIsThePlaceOnTheRingAndGroundElsewhere) {
  for (auto [w, h] : {std::pair{61, 47}, {131, 131}, {1, 1}, {2, 3}, {3, 2}}) {
    Buf32Handle img = 0;
    ASSERT_EQ(MakeRingIndexImage(w, h, &img), 1);
    const std::vector<uint8_t> px = ImageBytes(img);
    buf32Free(img);
    ASSERT_EQ(px.size(), static_cast<size_t>(w * h)) << "8 bits a pixel";
    for (int row = 0; row < h; ++row)
      for (int col = 0; col < w; ++col) {
        const double x = unit(col, w), y = unit(row, h), p = place(x, y);
        const int v = px[static_cast<size_t>(row * w + col)];
        if (!onRing(x, y)) {
          EXPECT_EQ(v, 255) << col << "," << row;
        } else if (p < 254.0) {  // the seam reads 254
          EXPECT_NEAR(v, std::floor(p), std::fabs(p - std::round(p)) < 1e-9 ? 1 : 0)
              << col << "," << row;
        }
      }
  }
}

TEST_F(RingImageTest, RefusesWhatItCannotDrawAndLeavesItUnchanged) {
  Buf32Handle out = 99;
  const TestImage colour(24, 8, 8), index(8, 8, 8);
  EXPECT_EQ(MakeRingIndexImage(0, 10, &out) + MakeRingIndexImage(10, -3, &out) +
                MakeRingIndexImage(10, 10, nullptr) + MaskRingImage(0) + MaskRingImage(123456789) +
                MaskRingImage(colour.handle()) +
                DrawRampThumbnail(0, PaletteTable{}, 1, DefaultRamp(), 0) +
                DrawRampThumbnail(index.handle(), PaletteTable{}, 1, DefaultRamp(), 0),
            0);
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(ImageBytes(colour.handle()), std::vector<uint8_t>(192, 0));
  EXPECT_EQ(ImageBytes(index.handle()), std::vector<uint8_t>(64, 0));
}

// A table whose red alternates 0, 255 and whose green counts the entries: the ring shows entry
// floor(p) at place p, or the straight blend towards the next. Each stop has a dot 11/13 from the
// centre, turned by the ring; past the end of the circle its colour is the last entry's.
TEST_F(RingImageTest, ThumbnailShowsTheTableRoundTheRingAndADotPerStop) {
  PaletteTable table{};
  for (int i = 0; i < 256; ++i) table.entry[i] = Rgb{uint8_t(i % 2 ? 255 : 0), uint8_t(i), 0};
  PaletteRamp ramp{4, {{0, 0, 0, 0}, {64, 0, 0, 0}, {128, 0, 0, 0}, {191, 0, 0, 0}}};
  const int size = 121;
  for (int interpolate : {0, 1})
    for (int ring : {0, 90, 200}) {
      const TestImage img(24, size, size);
      ASSERT_EQ(DrawRampThumbnail(img.handle(), table, interpolate, ramp, ring), 1);
      const auto px = ImageBytes(img.handle());
      int dotPixels = 0;
      for (int row = 0; row < size; ++row)
        for (int col = 0; col < size; ++col) {
          const double x = unit(col, size), y = unit(row, size), p = place(x, y);
          const double f = p - std::floor(p), odd = static_cast<int>(p) % 2;
          const uint8_t* c = &px[3 * static_cast<size_t>(row * size + col)];
          SCOPED_TRACE(testing::Message()
                       << col << "," << row << " " << ring << " " << interpolate);
          if (onRing(x, y)) {
            if (f < 0.02 || f > 0.98) continue;
            EXPECT_NEAR(c[0], 255 * (interpolate ? (odd ? 1 - f : f) : odd), 1.0);
            EXPECT_NEAR(c[1], std::floor(p), 1.0);
            continue;
          }
          int near = 0;
          for (int k = 0; k < 4; ++k) {
            const double q = ramp.stops[k].position + ring * 256.0 / 360.0;
            const double d = 26 * std::abs(std::polar(11.0 / 13, 2 * kPi * q / 255) + Z(x, y));
            near += d < 1 + 1e-9;  // on the edge: either
            if (d > 1 - 1e-9) continue;
            ++dotPixels;
            EXPECT_NEAR(c[1], std::min(q, 255.0), 1.0);
          }
          EXPECT_TRUE(near || (c[0] & c[1] & c[2]) == 255);
        }
      EXPECT_GE(dotPixels, 4 * 9);
    }
}

}  // namespace
