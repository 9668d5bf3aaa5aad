// The repeat bar as a window: its frame and grey columns on the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/repeat_bar.h"
#include "controls/win/control_procs.h"
#include "win/common/control_host.h"

namespace {

constexpr int kWidth = 52, kHeight = 14;  // a 50 x 12 bar inside the frame

COLORREF grey(int g) { return RGB(g, g, g); }

struct PalBar : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    bar = host.Create("PalBarClass", 205, 10, 10, kWidth, kHeight);
    ASSERT_NE(bar, nullptr);
  }
  void expectColumns(int repeat, int mirror) {
    Settle(host.window());
    for (int x = 0; x < kWidth - 2; ++x)
      for (int y : {1, kHeight / 2, kHeight - 2})
        ASSERT_EQ(ScreenPixel(bar, x + 1, y), grey(RepeatBarGrey(x, kWidth - 2, repeat, mirror)))
            << "column " << x << " row " << y << " repeat " << repeat << " mirror " << mirror;
  }
  ControlHost host;
  HWND bar = nullptr;
};

}  // namespace

TEST_F(PalBar, IsEmptyUntilTheFirstSetAndHasASunkenFrame) {
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(bar, 10, 5), RGB(0, 0, 0));  // the zero-filled image
  // Sunken: shadow on the left and top, highlight on the right and bottom.
  EXPECT_EQ(ScreenPixel(bar, 0, 5), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(bar, 10, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(bar, kWidth - 1, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(bar, 10, kHeight - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(PalBar, ShowsTheGreyColumnsOfRepeatAndMirror) {
  SendMessageA(bar, kPalBarSet, 0, 100);
  expectColumns(100, 0);
  EXPECT_EQ(ScreenPixel(bar, 1, 3), grey(0));
  EXPECT_EQ(ScreenPixel(bar, kWidth - 2, 3), grey(255));
  SendMessageA(bar, kPalBarSet, 0, 200);
  expectColumns(200, 0);
  SendMessageA(bar, kPalBarSet, 1, 100);
  expectColumns(100, 1);
  EXPECT_EQ(ScreenPixel(bar, 1, 3), grey(0));
  EXPECT_EQ(ScreenPixel(bar, kWidth - 2, 3), grey(0));
  SendMessageA(bar, kPalBarSet, 1, 350);
  expectColumns(350, 1);
  SendMessageA(bar, kPalBarSet, 0, 50);
  expectColumns(100, 0);            // below 1.00 it draws like 1.00
  EXPECT_TRUE(host.notes.empty());  // the bar tells its parent nothing
}

TEST_F(PalBar, OneBarLivesAtATime) {
  EXPECT_EQ(host.Create("PalBarClass", 206, 10, 40, kWidth, kHeight), nullptr);
  DestroyWindow(bar);
  const HWND again = host.Create("PalBarClass", 207, 10, 40, kWidth, kHeight);
  ASSERT_NE(again, nullptr);
  SendMessageA(again, kPalBarSet, 0, 100);
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(again, kWidth - 2, 3), grey(255));
}

TEST_F(PalBar, ReleasesItsImage) {
  const int live = buf32LiveCount();
  DestroyWindow(bar);
  EXPECT_EQ(buf32LiveCount(), live - 1);
  // A bar too small for an image is still created and shows nothing.
  const HWND tiny = host.Create("PalBarClass", 208, 10, 40, 2, 2);
  ASSERT_NE(tiny, nullptr);
  EXPECT_EQ(buf32LiveCount(), live - 1);
  SendMessageA(tiny, kPalBarSet, 1, 300);
  Settle(host.window());
  // No frame either: the class background only.
  EXPECT_EQ(ScreenPixel(tiny, 0, 0), GetSysColor(COLOR_BTNFACE));
}
