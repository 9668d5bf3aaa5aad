// The repeat bar and the ring view as windows: what they show on the screen,
// each window its own picture.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/win/control_procs.h"
#include "engine/ring_image.h"
#include "win/common/control_host.h"

TEST(PalBar, EachBarShowsTheGreysOfItsOwnRepeatAndMirror) {
  REQUIRE_MODULE();
  ControlHost host;
  // 51-column bars: the middle column is half way.
  const HWND plain = host.Create("PalBarClass", 205, 10, 10, 53, 14);
  const HWND mirrored = host.Create("PalBarClass", 206, 10, 40, 53, 14);
  ASSERT_TRUE(plain && mirrored);
  SendMessageA(plain, kPalBarSet, 0, 100);
  SendMessageA(mirrored, kPalBarSet, 1, 100);
  Settle(host.window());
  const struct {
    HWND bar;
    COLORREF left, middle, right;
  } cases[] = {{plain, RGB(0, 0, 0), RGB(128, 128, 128), RGB(255, 255, 255)},
               {mirrored, RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0)}};
  for (const auto& c : cases)
    for (int y : {1, 6, 12}) {
      EXPECT_EQ(ScreenPixel(c.bar, 1, y), c.left);
      EXPECT_EQ(ScreenPixel(c.bar, 26, y), c.middle);
      EXPECT_EQ(ScreenPixel(c.bar, 51, y), c.right);
    }
  EXPECT_EQ(ScreenPixel(plain, 0, 5), GetSysColor(COLOR_BTNSHADOW));  // sunken frame
  EXPECT_EQ(ScreenPixel(plain, 52, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST(PalView, ShowsTheRingThroughItsPaletteAndFreesTheImage) {
  REQUIRE_MODULE();
  ControlHost host;
  const HWND view = host.Create("x32PalViewClass", 229, 10, 10, 100, 100);
  const HWND other = host.Create("x32PalViewClass", 230, 120, 10, 60, 60);
  ASSERT_TRUE(view && other);
  int w = 0, h = 0;
  SendMessageA(view, kPalViewGetSize, reinterpret_cast<WPARAM>(&w), reinterpret_cast<LPARAM>(&h));
  EXPECT_EQ(w, 92);
  EXPECT_EQ(h, 90);
  // A ramp of one colour: the ring all red on the white ground.
  PaletteRamp ramp{};
  ramp.count = 2;
  ramp.stops[0] = RampStop{0, 255, 0, 0};
  ramp.stops[1] = RampStop{255, 255, 0, 0};
  const HPALETTE palette = CreateRampPalette(ramp, 0);
  Buf32Handle image = 0, unused = 0;
  ASSERT_EQ(MakeRingIndexImage(w, h, &image), 1);
  ASSERT_EQ(MakeRingIndexImage(10, 10, &unused), 1);
  SendMessageA(other, kPalViewSet, unused, 0);
  SendMessageA(view, kPalViewSet, image, reinterpret_cast<LPARAM>(palette));
  Settle(host.window());
  // The image from (4, 4): its centre at (50, 49), the ring about 30 out.
  EXPECT_EQ(ScreenPixel(view, 50, 49), RGB(255, 255, 255));
  EXPECT_EQ(ScreenPixel(view, 20, 49), RGB(255, 0, 0));
  EXPECT_EQ(ScreenPixel(view, 50, 79), RGB(255, 0, 0));
  EXPECT_EQ(ScreenPixel(view, 50, 94), RGB(255, 255, 255));  // below the image: the ground
  EXPECT_EQ(ScreenPixel(view, 0, 50), GetSysColor(COLOR_BTNHIGHLIGHT));
  DestroyWindow(view);
  EXPECT_EQ(buf32GetInfo(image, nullptr), 0);
  EXPECT_NE(buf32GetInfo(unused, nullptr), 0);
  DeleteObject(palette);
}
