// Images of the buffer service for tests, freed when they go out of scope.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32base/buf32_guards.h"

struct TestRgb {
  uint8_t r, g, b;
  bool operator==(const TestRgb &) const = default;
};

class TestImage {
 public:
  TestImage() = default;
  // A 24-bit image whose pixel (x, y) is `colour(x, y)`.
  TestImage(int width, int height, const std::function<TestRgb(int, int)> &colour) {
    if (!buf32Alloc(&handle_, 24, width, height, 0, nullptr)) return;
    const Buf32Lock lock(handle_, kBuf32Write);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const TestRgb c = colour(x, y);
        uint8_t *p = buf32PointAddr(handle_, x, y);
        p[0] = c.r, p[1] = c.g, p[2] = c.b;
      }
  }
  // An image of the given depth, all zero.
  TestImage(int bitsPerPixel, int width, int height) {
    buf32Alloc(&handle_, bitsPerPixel, width, height, 0, nullptr);
  }
  TestImage(const TestImage &) = delete;
  TestImage &operator=(const TestImage &) = delete;
  TestImage(TestImage &&other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
  ~TestImage() {
    if (handle_ != 0) buf32Free(handle_);
  }

  Buf32Handle handle() const { return handle_; }

 private:
  Buf32Handle handle_ = 0;
};

// A zero-filled buffer with the given model word; empty when `width` is 0
// (a place for a render call to create one).
struct TestBuffer : Buf32Owner {
  explicit TestBuffer(int width = 0, int height = 0, int32_t model = 0, int bitsPerPixel = 24) {
    if (width > 0) allocate(bitsPerPixel, width, height, model);
  }
};

// The bytes of an image, row by row from the top.
inline std::vector<uint8_t> ImageBytes(Buf32Handle image) {
  uint32_t w = 0, h = 0, bytes = 0;
  std::vector<uint8_t> out;
  if (!buf32GetWHU(image, &w, &h, &bytes)) return out;
  const Buf32Lock lock(image, kBuf32Read);
  if (!lock) return out;
  const size_t row = static_cast<size_t>(w) * bytes;
  out.resize(row * h);
  for (uint32_t y = 0; y < h; ++y) buf32Line(image, static_cast<int>(y), kBuf32Read, &out[y * row]);
  return out;
}

// The pixels of a 24-bit image, row by row from the top.
inline std::vector<TestRgb> ImagePixels(Buf32Handle image) {
  const std::vector<uint8_t> b = ImageBytes(image);
  std::vector<TestRgb> pixels;
  for (size_t i = 0; i + 2 < b.size(); i += 3) pixels.push_back({b[i], b[i + 1], b[i + 2]});
  return pixels;
}

// Peak signal-to-noise ratio of two pictures of the same size, in dB; 99 when
// they are equal.
inline double Psnr(const std::vector<TestRgb> &a, const std::vector<TestRgb> &b) {
  double sum = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const double dr = a[i].r - b[i].r, dg = a[i].g - b[i].g, db = a[i].b - b[i].b;
    sum += dr * dr + dg * dg + db * db;
  }
  const double mse = sum / (3.0 * static_cast<double>(a.size()));
  return a.size() != b.size() ? 0.0 : mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// A small deterministic generator for test data (same numbers everywhere).
class TestRandom {
 public:
  explicit TestRandom(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 16);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint64_t state_;
};
