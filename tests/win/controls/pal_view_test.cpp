// The ring view as a window: the size it asks for, the ring drawn through the
// display palette, and the image it owns.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/win/control_procs.h"
#include "palette/display_rotation.h"
#include "palette/ring_image.h"
#include "palette/win/palette_objects.h"
#include "platform/x32base/win/disp32.h"
#include "win/common/control_host.h"

namespace {

PaletteRamp colourRamp() {
  PaletteRamp r{};
  r.count = 4;
  r.stops[0] = RampStop{0, 255, 0, 0};
  r.stops[1] = RampStop{85, 0, 255, 0};
  r.stops[2] = RampStop{170, 0, 0, 255};
  r.stops[3] = RampStop{254, 255, 255, 0};
  return r;
}

struct Palette {
  explicit Palette(HPALETTE h) : handle(h) {}
  ~Palette() {
    if (handle != nullptr) DeleteObject(handle);
  }
  HPALETTE handle;
};

struct PalView : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    view = host.Create("x32PalViewClass", 229, 10, 10, 100, 100);
    ASSERT_NE(view, nullptr);
  }
  ControlHost host;
  HWND view = nullptr;
};

}  // namespace

TEST_F(PalView, AsksForAnImageOfItsClientSizeLessTheFrames) {
  int w = 0, h = 0;
  SendMessageA(view, kPalViewGetSize, reinterpret_cast<WPARAM>(&w), reinterpret_cast<LPARAM>(&h));
  EXPECT_EQ(w, 92);
  EXPECT_EQ(h, 90);
  const HWND other = host.Create("x32PalViewClass", 230, 120, 10, 60, 50);
  EXPECT_EQ(other, nullptr);  // one view at a time
}

TEST_F(PalView, ShowsTheRingTurnedThroughTheDisplayPalette) {
  int w = 0, h = 0;
  SendMessageA(view, kPalViewGetSize, reinterpret_cast<WPARAM>(&w), reinterpret_cast<LPARAM>(&h));
  Buf32Handle image = 0;
  ASSERT_EQ(MakeRingIndexImage(w, h, &image), 1);
  const Palette source(CreateRampPalette(colourRamp(), 0));
  const Palette display(disp32PalDuplicate(source.handle));
  ASSERT_NE(display.handle, nullptr);
  const int ring = 90;
  RotateDisplayPalette(ring, source.handle, display.handle);
  SendMessageA(view, kPalViewSet, image, reinterpret_cast<LPARAM>(display.handle));
  Settle(host.window());

  PALETTEENTRY entries[256];
  ASSERT_EQ(GetPaletteEntries(display.handle, 0, 256, entries), 256u);
  ASSERT_NE(buf32Lock(image, kBuf32Read, nullptr), 0);
  int checked = 0;
  for (int y = 0; y < h; y += 3)
    for (int x = 0; x < w; x += 3) {
      const uint8_t index = *buf32PointAddr(image, x, y);
      const PALETTEENTRY& e = entries[index];
      ASSERT_EQ(ScreenPixel(view, x + 4, y + 4), RGB(e.peRed, e.peGreen, e.peBlue))
          << x << "," << y << " index " << int(index);
      ++checked;
    }
  buf32Unlock(image);
  EXPECT_GT(checked, 900);
  // The hole and the two rows below the image show the white ground.
  EXPECT_EQ(ScreenPixel(view, 50, 49), RGB(255, 255, 255));
  EXPECT_EQ(ScreenPixel(view, 50, 4 + 90), RGB(255, 255, 255));
  EXPECT_EQ(ScreenPixel(view, 50, 4 + 91), RGB(255, 255, 255));
  // Raised outer frame, sunken inner frame three pixels in.
  EXPECT_EQ(ScreenPixel(view, 0, 50), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(view, 99, 50), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(view, 3, 50), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(view, 96, 50), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(view, 1, 50), GetSysColor(COLOR_BTNFACE));

  // Turning the ring needs a new display palette and a repaint only.
  RotateDisplayPalette(0, source.handle, display.handle);
  SendMessageA(view, kPalViewSet, 0, 0);
  Settle(host.window());
  ASSERT_EQ(GetPaletteEntries(display.handle, 0, 256, entries), 256u);
  // A ring pixel left of the centre shows its index through the new palette.
  ASSERT_NE(buf32Lock(image, kBuf32Read, nullptr), 0);
  const uint8_t left = *buf32PointAddr(image, 20, h / 2);
  buf32Unlock(image);
  EXPECT_EQ(ScreenPixel(view, 24, 4 + h / 2),
            RGB(entries[left].peRed, entries[left].peGreen, entries[left].peBlue));
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(PalView, OwnsTheImageItIsGivenAndFreesIt) {
  Buf32Handle first = 0, second = 0;
  ASSERT_EQ(MakeRingIndexImage(92, 90, &first), 1);
  ASSERT_EQ(MakeRingIndexImage(92, 90, &second), 1);
  SendMessageA(view, kPalViewSet, first, 0);
  SendMessageA(view, kPalViewSet, 0, 0);  // keeps it
  EXPECT_NE(buf32GetInfo(first, nullptr), 0);
  SendMessageA(view, kPalViewSet, second, 0);  // the first is replaced and freed
  EXPECT_EQ(buf32GetInfo(first, nullptr), 0);
  Settle(host.window());  // without a palette the indices show as greys
  DestroyWindow(view);
  EXPECT_EQ(buf32GetInfo(second, nullptr), 0);
  // A new view may be created once the old one is gone.
  EXPECT_NE(host.Create("x32PalViewClass", 231, 10, 10, 60, 60), nullptr);
}
