// The ring view as a window: the size it asks for, the ring drawn through the
// display palette, and the image it owns.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/win/control_procs.h"
#include "engine/ring_image.h"
#include "win/common/control_host.h"

namespace {

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

TEST_F(PalView, ShowsTheRingOfItsClientSizeThroughTheTurnedDisplayPalette) {
  int w = 0, h = 0;
  SendMessageA(view, kPalViewGetSize, reinterpret_cast<WPARAM>(&w), reinterpret_cast<LPARAM>(&h));
  EXPECT_EQ(w, 92);  // the client size less the frames
  EXPECT_EQ(h, 90);
  EXPECT_EQ(host.Create("x32PalViewClass", 230, 120, 10, 60, 50), nullptr);  // one at a time
  Buf32Handle image = 0;
  ASSERT_EQ(MakeRingIndexImage(w, h, &image), 1);
  PaletteRamp ramp{};
  ramp.count = 4;
  ramp.stops[0] = RampStop{0, 255, 0, 0};
  ramp.stops[1] = RampStop{85, 0, 255, 0};
  ramp.stops[2] = RampStop{170, 0, 0, 255};
  ramp.stops[3] = RampStop{254, 255, 255, 0};
  RingPalettes palettes(ramp, 0, 90);
  SendMessageA(view, kPalViewSet, image, reinterpret_cast<LPARAM>(palettes.display));
  Settle(host.window());
  EXPECT_GT(ExpectRingShown(view, 4, image, palettes, 3, true), 900);
  // The two rows below the image show the white ground.
  EXPECT_EQ(ScreenPixel(view, 50, 4 + 90), RGB(255, 255, 255));
  EXPECT_EQ(ScreenPixel(view, 50, 4 + 91), RGB(255, 255, 255));
  // Raised outer frame, sunken inner frame three pixels in.
  EXPECT_EQ(ScreenPixel(view, 0, 50), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(view, 99, 50), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(view, 3, 50), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(view, 96, 50), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(view, 1, 50), GetSysColor(COLOR_BTNFACE));
  // Turning the ring needs a new display palette and a repaint only.
  palettes.Turn(0);
  SendMessageA(view, kPalViewSet, 0, 0);
  Settle(host.window());
  EXPECT_GT(ExpectRingShown(view, 4, image, palettes, 7, true), 100);
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
