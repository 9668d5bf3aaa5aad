#include "resource_art.h"

#include <array>
#include <cstdlib>

#include "platform/x32file/byte_order.h"

namespace {

void putInfoHeader(std::vector<uint8_t>& b, int32_t width, int32_t height, int bits,
                   uint32_t imageBytes, uint32_t colours) {
  AppendLe32(b, 40);
  AppendLe32(b, static_cast<uint32_t>(width));
  AppendLe32(b, static_cast<uint32_t>(height));
  AppendLe16(b, 1);
  AppendLe16(b, static_cast<uint32_t>(bits));
  AppendLe32(b, 0);
  AppendLe32(b, imageBytes);
  AppendLe32(b, 0);
  AppendLe32(b, 0);
  AppendLe32(b, colours);
  AppendLe32(b, 0);
}

// The 16 colours of the 4-bit image (the classic display colours), red, green, blue.
constexpr std::array<std::array<uint8_t, 3>, 16> kVga = {{{0, 0, 0},
                                                          {128, 0, 0},
                                                          {0, 128, 0},
                                                          {128, 128, 0},
                                                          {0, 0, 128},
                                                          {128, 0, 128},
                                                          {0, 128, 128},
                                                          {192, 192, 192},
                                                          {128, 128, 128},
                                                          {255, 0, 0},
                                                          {0, 255, 0},
                                                          {255, 255, 0},
                                                          {0, 0, 255},
                                                          {255, 0, 255},
                                                          {0, 255, 255},
                                                          {255, 255, 255}}};
constexpr uint8_t kBlack = 0, kFace = 7, kShadow = 8;

// Colour index of pixel (x, y), y from the top.
uint8_t mirrorPixel(int x, int y) {
  // Dotted axis down the middle.
  if (x == 8 || x == 9) return (y % 2 == 0) ? kShadow : kFace;
  // Triangles with their points on the axis, 5 columns wide, rows 2..11.
  const double dy = std::abs(y - 6.5);
  if (x >= 2 && x <= 6 && dy <= x - 1 && dy <= 5.0) return kBlack;
  if (x >= 11 && x <= 15 && dy <= 16 - x && dy <= 5.0) return kShadow;
  return kFace;
}

bool arrowPixel(int x, int y) {
  // Shaft, two heads and a bar across the middle; rows and columns 15 and 16
  // are the centre lines.
  if (y >= 15 && y <= 16 && x >= 4 && x <= 27) return true;
  if (x >= 15 && x <= 16 && y >= 8 && y <= 23) return true;
  const double dy = std::abs(y - 15.5);
  if (x >= 2 && x <= 8 && dy <= (x - 2) + 0.5) return true;
  if (x >= 23 && x <= 29 && dy <= (29 - x) + 0.5) return true;
  return false;
}

}  // namespace

std::vector<uint8_t> MirrorBitmapFile() {
  constexpr int kRowBytes = ((kMirrorWidth * 4 + 31) / 32) * 4;
  constexpr uint32_t kPixels = kRowBytes * kMirrorHeight;
  constexpr uint32_t kOffset = 14 + 40 + 16 * 4;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  AppendLe32(b, kOffset + kPixels);
  AppendLe32(b, 0);
  AppendLe32(b, kOffset);
  putInfoHeader(b, kMirrorWidth, kMirrorHeight, 4, kPixels, 16);
  for (const auto& c : kVga) {
    b.push_back(c[2]);
    b.push_back(c[1]);
    b.push_back(c[0]);
    b.push_back(0);
  }
  for (int y = kMirrorHeight - 1; y >= 0; --y) {
    std::array<uint8_t, kRowBytes> row{};
    for (int x = 0; x < kMirrorWidth; ++x)
      row[x / 2] |= static_cast<uint8_t>(mirrorPixel(x, y) << (x % 2 == 0 ? 4 : 0));
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

std::vector<uint8_t> HueDragCursorFile() {
  constexpr int kMaskRow = kCursorSide / 8;
  constexpr uint32_t kMaskBytes = kMaskRow * kCursorSide;
  constexpr uint32_t kImageBytes = 40 + 2 * 4 + 2 * kMaskBytes;
  std::vector<uint8_t> b;
  AppendLe16(b, 0);  // reserved
  AppendLe16(b, 2);  // cursor
  AppendLe16(b, 1);  // one image
  b.push_back(kCursorSide);
  b.push_back(kCursorSide);
  b.push_back(0);  // colour count (not given)
  b.push_back(0);
  AppendLe16(b, 16);  // hot spot x
  AppendLe16(b, 16);  // hot spot y
  AppendLe32(b, kImageBytes);
  AppendLe32(b, 6 + 16);
  putInfoHeader(b, kCursorSide, 2 * kCursorSide, 1, 2 * kMaskBytes, 0);
  AppendLe32(b, 0x00000000);  // colour 0 black
  AppendLe32(b, 0x00FFFFFF);  // colour 1 white
  // Black arrow with a white outline; the rest transparent (and-mask 1, colour 0).
  auto outline = [](int x, int y) {
    if (arrowPixel(x, y)) return false;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int nx = x + dx, ny = y + dy;
        if (nx >= 0 && ny >= 0 && nx < kCursorSide && ny < kCursorSide && arrowPixel(nx, ny))
          return true;
      }
    return false;
  };
  std::vector<uint8_t> colour, mask;
  for (int y = kCursorSide - 1; y >= 0; --y) {
    std::array<uint8_t, kMaskRow> c{}, m{};
    for (int x = 0; x < kCursorSide; ++x) {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
      if (outline(x, y))
        c[x / 8] |= bit;  // white, opaque
      else if (!arrowPixel(x, y))
        m[x / 8] |= bit;  // transparent
    }
    colour.insert(colour.end(), c.begin(), c.end());
    mask.insert(mask.end(), m.begin(), m.end());
  }
  b.insert(b.end(), colour.begin(), colour.end());
  b.insert(b.end(), mask.begin(), mask.end());
  return b;
}
