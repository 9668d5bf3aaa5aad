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
  ControlHost host;
  HWND bar = nullptr;
};

}  // namespace

TEST_F(PalBar, ShowsTheGreyColumnsOfRepeatAndMirrorInASunkenFrame) {
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(bar, 10, 5), RGB(0, 0, 0));  // the zero-filled image until the first set
  // Sunken: shadow on the left and top, highlight on the right and bottom.
  EXPECT_EQ(ScreenPixel(bar, 0, 5), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(bar, 10, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(bar, kWidth - 1, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(bar, 10, kHeight - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  struct Case {
    int mirror, repeat, drawn, last;  // drawn: the repeat the columns show
  } cases[] = {{0, 100, 100, 255},
               {0, 200, 200, -1},
               {1, 100, 100, 0},
               {1, 350, 350, -1},
               {0, 50, 100, 255}};  // below 1.00 it draws like 1.00
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mirror " << c.mirror << " repeat " << c.repeat);
    SendMessageA(bar, kPalBarSet, c.mirror, c.repeat);
    Settle(host.window());
    for (int x = 0; x < kWidth - 2; ++x)
      for (int y : {1, kHeight / 2, kHeight - 2})
        ASSERT_EQ(ScreenPixel(bar, x + 1, y), grey(RepeatBarGrey(x, kWidth - 2, c.drawn, c.mirror)))
            << "column " << x << " row " << y;
    EXPECT_EQ(ScreenPixel(bar, 1, 3), grey(0));
    if (c.last >= 0) {
      EXPECT_EQ(ScreenPixel(bar, kWidth - 2, 3), grey(c.last));
    }
  }
  EXPECT_TRUE(host.notes.empty());  // the bar tells its parent nothing
}

TEST_F(PalBar, OneBarLivesAtATimeAndReleasesItsImage) {
  EXPECT_EQ(host.Create("PalBarClass", 206, 10, 40, kWidth, kHeight), nullptr);
  const int live = buf32LiveCount();
  DestroyWindow(bar);
  EXPECT_EQ(buf32LiveCount(), live - 1);
  // A bar too small for an image is still created and shows nothing, not
  // even a frame: the class background only.
  const HWND tiny = host.Create("PalBarClass", 208, 10, 40, 2, 2);
  ASSERT_NE(tiny, nullptr);
  EXPECT_EQ(buf32LiveCount(), live - 1);
  SendMessageA(tiny, kPalBarSet, 1, 300);
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(tiny, 0, 0), GetSysColor(COLOR_BTNFACE));
  DestroyWindow(tiny);
  const HWND again = host.Create("PalBarClass", 207, 10, 40, kWidth, kHeight);
  ASSERT_NE(again, nullptr);
  SendMessageA(again, kPalBarSet, 0, 100);
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(again, kWidth - 2, 3), grey(255));
}
