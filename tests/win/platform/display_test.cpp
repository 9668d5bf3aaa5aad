// The display functions of the image buffer service, drawing into a memory
// device context whose pixels are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/x32base/win/disp32.h"

namespace {

// A 32-bit top-down DIB section selected into a memory device context,
// cleared to one colour.
struct Canvas {
  Canvas(int w, int h, COLORREF fill) : width(w), height(h) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bitmap);
    for (int i = 0; i < w * h; ++i) bits[i] = rgb(fill);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  static uint32_t rgb(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  // Pixel as red, green, blue packed 0xRRGGBB.
  uint32_t at(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
  int width, height;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
};

std::vector<PALETTEENTRY> entries(HPALETTE p) {
  WORD n = 0;
  GetObjectA(p, sizeof n, &n);
  std::vector<PALETTEENTRY> e(n);
  GetPaletteEntries(p, 0, n, e.data());
  return e;
}

}  // namespace

TEST(Disp32Show, DrawsTwentyFourBitRowsInsideTheRectangle) {
  Canvas canvas(10, 8, RGB(1, 2, 3));
  ASSERT_NE(canvas.bits, nullptr);
  // A 4 x 3 image of red-green-blue pixels, rows 16 bytes apart.
  std::vector<uint8_t> image(16 * 3, 0xEE);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      image[y * 16 + 3 * x] = static_cast<uint8_t>(10 * x);
      image[y * 16 + 3 * x + 1] = static_cast<uint8_t>(100 + y);
      image[y * 16 + 3 * x + 2] = 200;
    }
  const RECT rect{3, 2, 7, 5};
  ASSERT_NE(disp32ShowInit(canvas.dc, 24, &rect, nullptr), 0);
  ASSERT_NE(disp32ShowData(image.data(), 2, 16), 0);  // two calls continue down the rectangle
  ASSERT_NE(disp32ShowData(image.data() + 32, 1, 16), 0);
  ASSERT_NE(disp32ShowEnd(), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 3 && x < 7 && y >= 2 && y < 5;
      const uint32_t expected = inside ? ((10u * (x - 3)) << 16) | ((100u + (y - 2)) << 8) | 200u
                                       : Canvas::rgb(RGB(1, 2, 3));
      ASSERT_EQ(canvas.at(x, y), expected) << x << "," << y;
    }
}

TEST(Disp32Show, RowsBeyondTheRectangleAndBadCallsAreRefusedAndThePaletteGoesBack) {
  Canvas canvas(4, 4, RGB(9, 9, 9));
  const uint8_t grey[16] = {50, 50, 50, 50, 60, 60, 60, 60, 70, 70, 70, 70, 80, 80, 80, 80};
  const RECT rect{0, 0, 4, 2}, empty{2, 2, 2, 5};
  EXPECT_EQ(disp32ShowData(grey, 1, 4), 0);  // nothing open
  EXPECT_EQ(disp32ShowInit(nullptr, 8, &rect, nullptr), 0);
  EXPECT_EQ(disp32ShowInit(canvas.dc, 16, &rect, nullptr), 0);
  EXPECT_EQ(disp32ShowInit(canvas.dc, 8, &empty, nullptr), 0);
  ASSERT_NE(disp32ShowInit(canvas.dc, 8, &rect, nullptr), 0);
  EXPECT_EQ(disp32ShowData(grey, 1, 3), 0);  // rows shorter than the rectangle
  EXPECT_NE(disp32ShowData(grey, 4, 4), 0);  // only two rows fit
  EXPECT_NE(disp32ShowData(grey, 1, 4), 0);  // nothing left to draw
  EXPECT_NE(disp32ShowEnd(), 0);
  EXPECT_EQ(disp32ShowEnd(), 0);
  EXPECT_EQ(canvas.at(0, 0), 0x323232u);  // greys without a palette
  EXPECT_EQ(canvas.at(3, 1), 0x3C3C3Cu);
  EXPECT_EQ(canvas.at(0, 2), 0x090909u);
  EXPECT_EQ(canvas.at(0, 3), 0x090909u);
  // A palette is selected while drawing only.
  const HGDIOBJ before = GetCurrentObject(canvas.dc, OBJ_PAL);
  HPALETTE palette = disp32CreateColorPalette(0, kDisp32GreyPalette, 16, 0);
  ASSERT_NE(disp32ShowInit(canvas.dc, 8, &rect, palette), 0);
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PAL), palette);
  disp32ShowEnd();
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PAL), before);
  DeleteObject(palette);
}

TEST(Disp32Palettes, ColourCubeThenGreysAndDuplicatesOfTheirOwn) {
  HPALETTE p = disp32CreateColorPalette(0, kDisp32ColourPalette, 256, 1);
  ASSERT_NE(p, nullptr);
  const std::vector<PALETTEENTRY> e = entries(p);
  ASSERT_EQ(e.size(), 256u);
  // Blue runs fastest through the six levels, then green, then red.
  for (int i : {1, 6, 36, 215}) {
    const int b = i % 6, g = i / 6 % 6, r = i / 36;
    EXPECT_EQ(RGB(e[i].peRed, e[i].peGreen, e[i].peBlue), RGB(51 * r, 51 * g, 51 * b)) << i;
  }
  EXPECT_EQ(e[216].peRed, 0);  // the grey ramp
  EXPECT_EQ(e[255].peRed, 255);
  for (const PALETTEENTRY& x : e) EXPECT_EQ(x.peFlags, PC_NOCOLLAPSE);
  // Eight-bit pixels drawn through it take its colours.
  Canvas canvas(4, 2, RGB(0, 0, 0));
  const uint8_t image[8] = {0, 5, 215, 255, 36, 1, 100, 250};
  const RECT rect{0, 0, 4, 2};
  ASSERT_NE(disp32ShowInit(canvas.dc, 8, &rect, p), 0);
  ASSERT_NE(disp32ShowData(image, 2, 4), 0);
  disp32ShowEnd();
  for (int i = 0; i < 8; ++i) {
    const PALETTEENTRY& c = e[image[i]];
    EXPECT_EQ(canvas.at(i % 4, i / 4), Canvas::rgb(RGB(c.peRed, c.peGreen, c.peBlue))) << i;
  }
  for (int count : {0, 257}) EXPECT_EQ(disp32CreateColorPalette(0, 3, count, 1), nullptr);
  EXPECT_EQ(disp32CreateColorPalette(0, 2, 256, 1), nullptr);
  // A duplicate is a palette of its own with the same entries.
  HPALETTE d = disp32PalDuplicate(p);
  ASSERT_NE(d, nullptr);
  EXPECT_NE(d, p);
  const std::vector<PALETTEENTRY> copy = entries(d);
  ASSERT_EQ(copy.size(), e.size());
  EXPECT_EQ(std::memcmp(copy.data(), e.data(), e.size() * sizeof e[0]), 0);
  PALETTEENTRY red{255, 0, 0, 0};
  SetPaletteEntries(d, 0, 1, &red);
  EXPECT_EQ(entries(p)[0].peRed, 0);
  DeleteObject(p);
  DeleteObject(d);
  EXPECT_EQ(disp32PalDuplicate(nullptr), nullptr);
}
