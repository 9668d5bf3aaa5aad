// The display functions of the image buffer service, drawing into a memory
// device context whose pixels are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/x32base/win/disp32.h"

TEST(Disp32Show, DrawsRowsInsideTheRectangleOnlyInTrueColourAndThroughAPalette) {
  const HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 10, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  uint32_t* bits = nullptr;
  const HBITMAP bitmap =
      CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  // A 4 x 3 image of red-green-blue pixels, rows 16 bytes apart, drawn in two calls.
  std::vector<uint8_t> image(16 * 3, 0xEE);
  for (int i = 0; i < 12; ++i)
    image[i / 4 * 16 + i % 4 * 3] = uint8_t(10 * (i % 4)),
                               image[i / 4 * 16 + i % 4 * 3 + 1] = uint8_t(100 + i / 4),
                               image[i / 4 * 16 + i % 4 * 3 + 2] = 200;
  std::fill(bits, bits + 80, 0x010203u);
  const RECT rect{3, 2, 7, 5}, empty{2, 2, 2, 5};
  EXPECT_EQ(disp32ShowData(image.data(), 1, 16) + disp32ShowInit(nullptr, 24, &rect, nullptr) +
                disp32ShowInit(dc, 16, &rect, nullptr) + disp32ShowInit(dc, 24, &empty, nullptr),
            0);
  ASSERT_NE(disp32ShowInit(dc, 24, &rect, nullptr), 0);
  EXPECT_EQ(disp32ShowData(image.data(), 1, 11), 0) << "rows shorter than the rectangle";
  EXPECT_NE(disp32ShowData(image.data(), 2, 16) * disp32ShowData(&image[32], 5, 16), 0)
      << "rows beyond: cut";
  EXPECT_NE(disp32ShowEnd(), 0);
  EXPECT_EQ(disp32ShowEnd(), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 3 && x < 7 && y >= 2 && y < 5;
      ASSERT_EQ(bits[y * 10 + x] & 0xFFFFFF,
                inside ? (10u * (x - 3)) << 16 | (100u + (y - 2)) << 8 | 200u : 0x010203u)
          << x << "," << y;
    }
  // Eight-bit pixels through the colour-cube palette (blue fastest, six
  // levels), selected while drawing only.
  const HPALETTE palette = disp32CreateColorPalette(0, kDisp32ColourPalette, 256, 1);
  const HGDIOBJ before = GetCurrentObject(dc, OBJ_PAL);
  const uint8_t indices[4] = {1, 6, 36, 215};
  ASSERT_NE(disp32ShowInit(dc, 8, &rect, palette), 0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), palette);
  disp32ShowData(indices, 1, 4);
  disp32ShowEnd();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), before);
  EXPECT_EQ(std::vector<uint32_t>(bits + 23, bits + 27),
            (std::vector<uint32_t>{0x000033, 0x003300, 0x330000, 0xFFFFFF}));
  HPALETTE copy = disp32PalDuplicate(palette);
  PALETTEENTRY entry[2] = {};
  EXPECT_TRUE(copy != palette && GetPaletteEntries(copy, 215, 2, entry) == 2 &&
              entry[0].peRed == 255 && entry[1].peRed == 0)
      << "a duplicate of its own: the cube, then the grey ramp from black";
  DeleteObject(copy);
  DeleteObject(palette);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
