#include "platform/x32cvt/reduce.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "common/test_images.h"

namespace {

struct Reduced {
  int ok = 0;
  int count = 0;
  std::vector<TestRgb> palette;
  std::vector<uint8_t> indices;
  std::vector<TestRgb> Colours() const {
    std::vector<TestRgb> out;
    for (uint8_t i : indices) out.push_back(i < palette.size() ? palette[i] : TestRgb{1, 2, 3});
    return out;
  }
};

Reduced ReadResult(Buf32Handle result, const Cvt32Palette* palette) {
  Reduced r;
  r.count = palette->count;
  for (int i = 0; i < palette->count; ++i)
    r.palette.push_back({palette->entries[i][0], palette->entries[i][1], palette->entries[i][2]});
  r.indices = ImageBytes(result);
  return r;
}

// The conversion the GIF frames use: 24 to 8 bits, colour reduction, 256 colours.
Reduced ThroughBufType(const TestImage& image) {
  const int32_t params[6] = {24, 1, 0, 0, 256, 0};
  Buf32Handle result = 0;
  Cvt32Palette* palette = nullptr;
  Reduced r;
  r.ok = cvt32BufType(2, 0, 2, 4, image.handle(), &result, params, 0, &palette, 0, 0);
  if (!r.ok) return r;
  const int ok = r.ok;
  r = ReadResult(result, palette);
  r.ok = ok;
  buf32Free(result);
  cvt32FreePalette(palette);
  return r;
}

Reduced WithOptions(const TestImage& image, int maxColours, Cvt32Dither dither) {
  uint32_t w = 0, h = 0;
  buf32GetWHU(image.handle(), &w, &h, nullptr);
  const TestImage out(8, static_cast<int>(w), static_cast<int>(h));
  Cvt32Palette palette{};
  Cvt32ReduceOptions options;
  options.maxColours = maxColours;
  options.dither = dither;
  int ok = 0;
  {
    const Buf32Lock read(image.handle(), kBuf32Read), write(out.handle(), kBuf32Write);
    ok = cvt32ReduceColoursWith(image.handle(), out.handle(), static_cast<int>(w),
                                static_cast<int>(h), options, &palette);
  }
  Reduced r = ReadResult(out.handle(), &palette);
  r.ok = ok;
  return r;
}

// PSNR after a 5 x 5 box blur of both images: dithering noise averages out,
// bands of flat colour do not.
double BlurredPsnr(const std::vector<TestRgb>& a, const std::vector<TestRgb>& b, int width) {
  const int height = static_cast<int>(a.size()) / width;
  auto blur = [&](const std::vector<TestRgb>& img) {
    std::vector<TestRgb> out;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        double s[3] = {0, 0, 0};
        int n = 0;
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) {
            const int xx = x + dx, yy = y + dy;
            if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
            const TestRgb& c =
                img[static_cast<size_t>(yy) * static_cast<size_t>(width) + static_cast<size_t>(xx)];
            s[0] += c.r, s[1] += c.g, s[2] += c.b, ++n;
          }
        out.push_back({static_cast<uint8_t>(std::lround(s[0] / n)),
                       static_cast<uint8_t>(std::lround(s[1] / n)),
                       static_cast<uint8_t>(std::lround(s[2] / n))});
      }
    return out;
  };
  return Psnr(blur(a), blur(b));
}

uint8_t Clamp(double v) {
  return static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

// Smooth, many-coloured sine fields, like the textures' transition frames.
TestRgb Sines(int x, int y) {
  return {Clamp(127.5 + 127.5 * std::sin(0.021 * x + 0.013 * y)),
          Clamp(127.5 + 127.5 * std::sin(0.017 * x - 0.019 * y + 2.0)),
          Clamp(127.5 + 127.5 * std::sin(0.011 * x + 0.023 * y + 4.0))};
}

int Distinct(const std::vector<TestRgb>& pixels) {
  std::set<uint32_t> s;
  for (const TestRgb& c : pixels) s.insert(c.r | c.g << 8 | c.b << 16);
  return static_cast<int>(s.size());
}

void ExpectIndicesInPalette(const Reduced& r) {
  ASSERT_GE(r.count, 1);
  ASSERT_LE(r.count, 256);
  for (uint8_t i : r.indices) ASSERT_LT(i, r.count);
}

}  // namespace

TEST(ColourReduction, ImagesWithFewColoursKeepThemExactly) {
  const TestRgb colours[3] = {{200, 10, 10}, {0, 0, 0}, {10, 200, 10}};
  TestRandom random(5);
  std::vector<TestRgb> pixels;
  for (int i = 0; i < 40 * 30; ++i) pixels.push_back(colours[random.Below(3)]);
  const TestImage image(40, 30,
                        [&](int x, int y) { return pixels[static_cast<size_t>(y * 40 + x)]; });
  const Reduced r = ThroughBufType(image);
  ASSERT_EQ(r.ok, 1);
  EXPECT_EQ(r.count, 3);
  // Ascending packed order (red in the low byte).
  EXPECT_EQ(r.palette, (std::vector<TestRgb>{{0, 0, 0}, {200, 10, 10}, {10, 200, 10}}));
  EXPECT_EQ(r.Colours(), pixels);
}

TEST(ColourReduction, ExactlyAsManyColoursAsAllowedStayExactOneMoreDoesNot) {
  for (int distinct : {1, 2, 200, 256, 257}) {
    SCOPED_TRACE(distinct);
    const int width = 300;
    const TestImage image(width, 2, [&](int x, int y) {
      const int i = (x + y * width) % distinct;
      return TestRgb{static_cast<uint8_t>(i), static_cast<uint8_t>(i / 256 * 100 + 30),
                     static_cast<uint8_t>(255 - i / 2)};
    });
    const Reduced r = ThroughBufType(image);
    ASSERT_EQ(r.ok, 1);
    ExpectIndicesInPalette(r);
    if (distinct <= 256) {
      EXPECT_EQ(r.count, distinct);
      EXPECT_EQ(r.Colours(), ImagePixels(image.handle()));
    } else {
      EXPECT_EQ(r.count, 256);
      EXPECT_NE(r.Colours(), ImagePixels(image.handle()));
      EXPECT_GT(Psnr(r.Colours(), ImagePixels(image.handle())), 40.0);
    }
  }
}

TEST(ColourReduction, NeverUsesMoreColoursThanAllowed) {
  const TestImage image(64, 64, Sines);
  for (int maxColours : {2, 3, 16, 100, 256}) {
    for (Cvt32Dither dither : {kCvt32DitherNone, kCvt32DitherOrdered, kCvt32DitherDiffusion}) {
      SCOPED_TRACE(testing::Message() << maxColours << " colours, dither " << dither);
      const Reduced r = WithOptions(image, maxColours, dither);
      ASSERT_EQ(r.ok, 1);
      EXPECT_EQ(r.count, maxColours);
      ExpectIndicesInPalette(r);
      EXPECT_LE(Distinct(r.Colours()), maxColours);
    }
  }
}

// Reference figures for this image (320 x 240): a fixed 6 x 7 x 6 colour cube
// gives about 26 dB without dithering; this reduction about 29.4 dB without
// dithering and a blurred PSNR near 38 dB with error diffusion.
TEST(ColourReduction, SmoothGradientsKeepHighFidelity) {
  const TestImage image(320, 240, Sines);
  const auto original = ImagePixels(image.handle());
  ASSERT_GT(Distinct(original), 20000);

  const Reduced plain = WithOptions(image, 256, kCvt32DitherNone);
  ASSERT_EQ(plain.ok, 1);
  EXPECT_GT(Psnr(plain.Colours(), original), 28.5);

  const Reduced diffused = ThroughBufType(image);
  ASSERT_EQ(diffused.ok, 1);
  EXPECT_EQ(diffused.count, 256);
  EXPECT_GT(Psnr(diffused.Colours(), original), 25.0);
  EXPECT_GT(BlurredPsnr(diffused.Colours(), original, 320), 36.0);
}

TEST(ColourReduction, DitheringRemovesTheBandsOfAFewColourRamp) {
  // A grey ramp left to right reduced to 8 colours: plain mapping makes 8
  // flat bands; dithering keeps the average of every column close to the ramp.
  const int width = 256, height = 32;
  const TestImage image(width, height, [](int x, int) {
    const auto v = static_cast<uint8_t>(x);
    return TestRgb{v, v, v};
  });
  const auto original = ImagePixels(image.handle());
  // Root mean square, over strips 8 columns wide and the full height, of the
  // strip's mean grey minus the ramp's mean there; only strips within the
  // palette's range count (outside it no mix can match the ramp).
  auto stripError = [&](const Reduced& r) {
    const std::vector<TestRgb> reduced = r.Colours();
    int lo = 255, hi = 0;
    for (const TestRgb& p : r.palette) lo = std::min<int>(lo, p.g), hi = std::max<int>(hi, p.g);
    double sum = 0;
    int strips = 0;
    for (int left = lo; left + 7 <= hi; ++left, ++strips) {
      double mean = 0;
      for (int x = left; x < left + 8; ++x)
        for (int y = 0; y < height; ++y) {
          const TestRgb& c = reduced[static_cast<size_t>(y * width + x)];
          mean += (c.r + c.g + c.b) / 3.0;
        }
      mean /= 8.0 * height;
      sum += (mean - (left + 3.5)) * (mean - (left + 3.5));
    }
    return std::sqrt(sum / strips);
  };
  const Reduced none = WithOptions(image, 8, kCvt32DitherNone);
  const Reduced ordered = WithOptions(image, 8, kCvt32DitherOrdered);
  const Reduced diffused = WithOptions(image, 8, kCvt32DitherDiffusion);
  ASSERT_EQ(none.ok, 1);
  ASSERT_EQ(ordered.ok, 1);
  ASSERT_EQ(diffused.ok, 1);
  EXPECT_EQ(Distinct(none.Colours()), 8);
  EXPECT_GT(stripError(none), 5.0) << "bands";
  EXPECT_LT(stripError(ordered), 1.5);
  EXPECT_LT(stripError(diffused), 1.0);
}

TEST(ColourReduction, ImagesWithVeryManyColoursAreReducedToo) {
  // Noise with about as many colours as pixels takes the coarse-cell path.
  TestRandom random(11);
  const TestImage image(300, 300, [&](int, int) {
    return TestRgb{static_cast<uint8_t>(random.Next()), static_cast<uint8_t>(random.Next()),
                   static_cast<uint8_t>(random.Next())};
  });
  const auto original = ImagePixels(image.handle());
  ASSERT_GT(Distinct(original), 80000);
  const Reduced r = WithOptions(image, 256, kCvt32DitherNone);
  ASSERT_EQ(r.ok, 1);
  EXPECT_EQ(r.count, 256);
  ExpectIndicesInPalette(r);
  // Uniform noise over the cube, 256 cells: about 22 dB is the best possible.
  EXPECT_GT(Psnr(r.Colours(), original), 20.0);
}

TEST(ColourReduction, IsDeterministic) {
  const TestImage image(120, 90, Sines);
  const Reduced a = ThroughBufType(image);
  const Reduced b = ThroughBufType(image);
  ASSERT_EQ(a.ok, 1);
  EXPECT_EQ(a.palette, b.palette);
  EXPECT_EQ(a.indices, b.indices);
}

TEST(ColourReduction, ConversionRefusesWhatItCannotReduce) {
  const TestImage image(4, 4, Sines);
  const int32_t params[6] = {24, 1, 0, 0, 256, 0};
  Buf32Handle result = 99;
  EXPECT_EQ(cvt32BufType(2, 0, 2, 4, image.handle(), &result, params, 0, nullptr, 0, 0), 0);
  EXPECT_EQ(result, 0u);
  Cvt32Palette* palette = nullptr;
  const TestImage grey(8, 4, 4);
  EXPECT_EQ(cvt32BufType(2, 0, 2, 4, grey.handle(), &result, params, 0, &palette, 0, 0), 0);
  EXPECT_EQ(palette, nullptr);
  EXPECT_EQ(cvt32BufType(2, 0, 2, 4, 0, &result, params, 0, &palette, 0, 0), 0);
  const TestImage one(1, 1, [](int, int) { return TestRgb{9, 8, 7}; });
  const Reduced r = ThroughBufType(one);
  ASSERT_EQ(r.ok, 1);
  EXPECT_EQ(r.palette, (std::vector<TestRgb>{TestRgb{9, 8, 7}}));
  EXPECT_EQ(r.indices, std::vector<uint8_t>{0});
}
