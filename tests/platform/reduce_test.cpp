#include "platform/x32cvt/reduce.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "common/test_images.h"

namespace {

struct Reduced {
  std::vector<TestRgb> palette, colours;  // colours: each pixel's palette entry
  size_t used = 0;                        // distinct indices
};

// Reduces to `maxColours` (the conversion call of the GIF frames, with error
// diffusion, when `dither` is negative).
Reduced Reduce(const TestImage &image, int maxColours, int dither = -1) {
  uint32_t w = 0, h = 0;
  buf32GetWHU(image.handle(), &w, &h, nullptr);
  Buf32Owner out;
  Cvt32Palette own{}, *palette = &own;
  if (dither < 0) {
    const int32_t params[6] = {24, 1, 0, 0, maxColours, 0};
    EXPECT_EQ(cvt32BufType(2, 0, 2, 4, image.handle(), &out.handle, params, 0, &palette, 0, 0), 1);
  } else {
    EXPECT_TRUE(out.allocate(8, static_cast<int>(w), static_cast<int>(h)));
    const Buf32Lock read(image.handle(), kBuf32Read), write(out.get(), kBuf32Write);
    EXPECT_EQ(
        cvt32ReduceColoursWith(image.handle(), out.get(), static_cast<int>(w), static_cast<int>(h),
                               {maxColours, static_cast<Cvt32Dither>(dither)}, palette),
        1);
  }
  Reduced r;
  for (int i = 0; i < palette->count; ++i)
    r.palette.push_back({palette->entries[i][0], palette->entries[i][1], palette->entries[i][2]});
  const std::vector<uint8_t> indices = ImageBytes(out.get());
  for (uint8_t i : indices)
    r.colours.push_back(i < r.palette.size() ? r.palette[i] : TestRgb{1, 2, 3});
  r.used = std::set<uint8_t>(indices.begin(), indices.end()).size();
  if (palette != &own) cvt32FreePalette(palette);
  return r;
}

uint8_t Wave(double v) { return static_cast<uint8_t>(std::lround(127.5 + 127.5 * std::sin(v))); }
// Smooth, many-coloured sine fields, like the textures' transition frames.
TestRgb Sines(int x, int y) {
  return {Wave(0.021 * x + 0.013 * y), Wave(0.017 * x - 0.019 * y + 2),
          Wave(0.011 * x + 0.023 * y + 4)};
}

}  // namespace

TEST(ColourReduction, UpToTheLimitColoursStayExactInAscendingOrderOneMoreDoesNot) {
  for (int distinct : {1, 2, 3, 256, 257}) {
    const TestImage image(300, 2, [&](int x, int y) {
      const int i = (x * 7 + y * 300) % distinct;  // ascending packed value, red in the low byte
      return i < 256 ? TestRgb{static_cast<uint8_t>(i), 30, 40} : TestRgb{0, 200, 40};
    });
    const Reduced r = Reduce(image, 256);
    EXPECT_EQ(r.palette.size(), std::min(distinct, 256)) << distinct;
    const double psnr = Psnr(r.colours, ImagePixels(image.handle()));
    EXPECT_EQ(psnr == 99.0, distinct <= 256) << distinct;
    EXPECT_GT(psnr, 40.0) << distinct;
    for (size_t i = 0; i < r.palette.size() && distinct <= 256; ++i) EXPECT_EQ(r.palette[i].r, i);
  }
}

// Reference figures for the 320 x 240 sines: a fixed 6 x 7 x 6 colour cube
// gives about 26 dB without dithering, this reduction about 29.4 dB.
TEST(ColourReduction, NeverMoreColoursThanAllowedAndHighFidelityWhateverTheDithering) {
  const TestImage small(64, 64, Sines), sines(320, 240, Sines);
  for (int maxColours : {1, 3, 16, 256, 300})
    for (int dither : {kCvt32DitherNone, kCvt32DitherOrdered, kCvt32DitherDiffusion}) {
      const Reduced r = Reduce(small, maxColours, dither);
      EXPECT_EQ(r.palette.size(), std::clamp(maxColours, 2, 256)) << maxColours << " " << dither;
      EXPECT_EQ(r.used, r.palette.size()) << maxColours << " " << dither;
    }
  EXPECT_GT(Psnr(Reduce(sines, 256, kCvt32DitherNone).colours, ImagePixels(sines.handle())), 28.5);
  const Reduced a = Reduce(sines, 256), b = Reduce(sines, 256);
  EXPECT_GT(Psnr(a.colours, ImagePixels(sines.handle())), 25.0);
  EXPECT_EQ(a.colours, b.colours) << "deterministic";
}

TEST(ColourReduction, DitheringRemovesTheBandsOfAFewColourRamp) {
  // A grey ramp reduced to 8 colours: plain mapping makes 8 flat bands;
  // dithering keeps the mean of every strip of 8 columns close to the ramp's
  // (within the palette's range: outside it no mix can match).
  const TestImage ramp(256, 32, [](int x, int) {
    const auto v = static_cast<uint8_t>(x);
    return TestRgb{v, v, v};
  });
  const double limits[] = {99.0, 1.0, 1.5};  // none (at least 5), diffusion, ordered
  for (int dither : {kCvt32DitherNone, kCvt32DitherDiffusion, kCvt32DitherOrdered}) {
    const Reduced r = Reduce(ramp, 8, dither);
    int lo = 255, hi = 0;
    for (const TestRgb &p : r.palette) lo = std::min<int>(lo, p.g), hi = std::max<int>(hi, p.g);
    double sum = 0;
    for (int left = lo; left + 7 <= hi; ++left) {
      double mean = 0;
      for (int i = 0; i < 8 * 32; ++i)
        mean += r.colours[static_cast<size_t>(i / 8 * 256 + left + i % 8)].g;
      sum += std::pow(mean / 256 - (left + 3.5), 2);
    }
    const double error = std::sqrt(sum / (hi - lo - 6));
    EXPECT_LT(error, limits[dither]) << dither;
    EXPECT_GT(error, dither == kCvt32DitherNone ? 5.0 : 0.0) << "bands";
  }
}

TEST(ColourReduction, ConversionRefusesWhatItCannotReduceAndFailsCleanlyWithoutMemory) {
  const TestImage image(4, 4, Sines), grey(8, 4, 4);
  const int32_t reduce[6] = {24, 1, 0, 0, 256, 0}, toGrey[6] = {24, 0, 0, 0, 0, 0};
  const int live = buf32LiveCount();
  Buf32Handle result = 99;
  Cvt32Palette *palette = nullptr;
  EXPECT_EQ(cvt32BufType(2, 0, 2, 4, image.handle(), &result, reduce, 0, nullptr, 0, 0) + result,
            0u)
      << "no palette to fill";
  EXPECT_EQ(cvt32BufType(2, 0, 2, 4, grey.handle(), &result, reduce, 0, &palette, 0, 0) +
                cvt32BufType(2, 0, 2, 3, image.handle(), &result, reduce, 0, &palette, 0, 0),
            0);
  for (const int32_t *params : {reduce, toGrey}) {
    buf32FailAllocation(1);
    EXPECT_EQ(cvt32BufType(2, 0, 2, 4, image.handle(), &result, params, 0, &palette, 0, 0), 0);
    EXPECT_TRUE(result == 0 && palette == nullptr && buf32LiveCount() == live);
  }
  // The next call succeeds; grey levels are exact for greys.
  const TestImage greys(3, 1, [](int x, int) {
    return TestRgb{uint8_t(x * 100), uint8_t(x * 100), uint8_t(x * 100)};
  });
  ASSERT_EQ(cvt32BufType(2, 0, 2, 4, greys.handle(), &result, toGrey, 0, nullptr, 0, 0), 1);
  EXPECT_EQ(ImageBytes(result), (std::vector<uint8_t>{0, 100, 200}));
  buf32Free(result);
}
