// The hue bar as a window: dragging, keys through the dialog navigation, the
// marker on the screen, and a drag state of each bar's own.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/win/control_procs.h"
#include "win/common/control_host.h"

namespace {

LPARAM at(int x) { return MAKELPARAM(x, 5); }

// The reports as (hue, final) pairs.
std::vector<std::pair<WPARAM, LPARAM>> reports() {
  std::vector<std::pair<WPARAM, LPARAM>> r;
  for (const Notification& n : ControlHost::Take()) r.emplace_back(n.wParam, n.lParam);
  return r;
}
using Reports = std::vector<std::pair<WPARAM, LPARAM>>;

}  // namespace

TEST(HueBar, DragsKeysAndTheMarkerOnTheScreen) {
  REQUIRE_MODULE();
  ControlHost host;
  // A 360-column strip: client column x shows hue x - 1.
  const HWND a = host.Create("PalHueBarClass", 212, 10, 10, 362, 16, WS_TABSTOP);
  const HWND b = host.Create("PalHueBarClass", 213, 10, 40, 362, 16, WS_TABSTOP);
  ASSERT_TRUE(a && b);
  SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, at(31));
  EXPECT_EQ(GetCapture(), a);
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, at(90));  // the other bar is not dragged
  SendMessageA(a, WM_MOUSEMOVE, MK_LBUTTON, at(500));
  SendMessageA(a, WM_MOUSEMOVE, MK_LBUTTON, at(-20));
  SendMessageA(a, WM_LBUTTONUP, 0, at(-20));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(reports(), (Reports{{30, 0}, {359, 1}, {0, 1}, {0, 1}}));
  SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, at(0));  // on the frame: nothing
  EXPECT_EQ(reports(), Reports{});

  // A dialog hands the arrow keys to the bar; a set is not reported.
  SendMessageA(b, kHueBarSet, 119, 0);
  SetFocus(b);
  MSG key{b, WM_KEYDOWN, VK_RIGHT, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(host.window(), &key));
  SendMessageA(b, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(reports(), (Reports{{120, 1}, {120, 1}}));

  // Hue 120 is green: its marker column is inverted to magenta.
  Settle(host.window());
  for (int y : {1, 7, 14}) {
    EXPECT_EQ(ScreenPixel(b, 121, y), RGB(255, 0, 255)) << y;
    EXPECT_EQ(ScreenPixel(b, 241, y), RGB(0, 0, 255)) << y;
    EXPECT_EQ(ScreenPixel(b, 1, y), RGB(255, 0, 0)) << y;
  }
  EXPECT_EQ(ScreenPixel(b, 0, 7), GetSysColor(COLOR_BTNSHADOW));
  SendMessageA(b, kHueBarSet, 240, 0);  // the old column restored, the new one inverted
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(b, 121, 7), RGB(0, 255, 0));
  EXPECT_EQ(ScreenPixel(b, 241, 7), RGB(255, 255, 0));
}
