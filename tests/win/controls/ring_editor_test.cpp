// The ramp ring editor and its stop circles as windows: a circle per stop,
// a click on the ring, a circle dragged onto another stop, the circle menu's
// modal loop, and two editors each with its own ramp.
#include "controls/ring_editor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "controls/win/control_procs.h"
#include "win/common/control_host.h"

namespace {

PaletteRamp threeStops() {
  PaletteRamp r{};
  r.count = 3;
  r.stops[0] = RampStop{0, 0, 0, 255};
  r.stops[1] = RampStop{100, 255, 0, 0};
  r.stops[2] = RampStop{200, 0, 255, 0};
  return r;
}

std::vector<int> positions(const PaletteRamp& r) {
  std::vector<int> p;
  for (int i = 0; i < r.count; ++i) p.push_back(r.stops[i].position);
  return p;
}

// Editor client points on the ring (d 149, centre 78): the left is position
// 254, the top 64, the right 128, the bottom 191.
POINT ringPoint(int dx, int dy) { return POINT{78 + dx, 78 + dy}; }
LPARAM ringAt(int dx, int dy) { return MAKELPARAM(78 + dx, 78 + dy); }

// Presses `key` in the first popup menu shown, from a timer in its modal loop.
void CALLBACK pressInMenu(HWND, UINT, UINT_PTR, DWORD) {
  const HWND menu = FindWindowA("#32768", nullptr);
  if (menu != nullptr && IsWindowVisible(menu)) PostMessageA(menu, WM_CHAR, 'd', 0);
}

}  // namespace

TEST(RingEditor, StopsAddedMovedAndDeletedOnTheRing) {
  REQUIRE_MODULE();
  ControlHost host("Palette Ramp Editor");
  ChooserRecorder chooser;
  const HWND editor = host.Create("x32PalModifyClass", 241, 10, 10, 162, 157);
  const HWND other = host.Create("x32PalModifyClass", 242, 200, 10, 100, 100);
  ASSERT_TRUE(editor && other);
  const PaletteRamp ramp = threeStops();
  SendMessageA(editor, kRingEditorSet, reinterpret_cast<WPARAM>(&ramp), MAKELPARAM(120, 0));
  Settle(host.window());
  // A circle per stop, 8 pixels wide, drawn with the hue shift on: red shows green.
  const HWND circle = GetDlgItem(editor, 100);
  ASSERT_TRUE(circle && GetDlgItem(editor, 0) && GetDlgItem(editor, 200));
  EXPECT_EQ(ScreenPixel(circle, 4, 4), RGB(0, 255, 0));
  EXPECT_EQ(GetWindow(other, GW_CHILD), nullptr);  // the other editor has none

  // A click at the top of the ring: the chosen colour, shift taken off, at 64.
  ChooserRecorder::answers.push_back(RGB(0, 0, 255));
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, ringAt(0, -45));
  ASSERT_EQ(ChooserRecorder::calls.size(), 1u);
  EXPECT_EQ(ChooserRecorder::calls[0].owner, editor);
  std::vector<Notification> n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 3u);
  EXPECT_EQ(n[0].hue, 120);
  EXPECT_EQ(positions(n[0].ramp), (std::vector<int>{0, 64, 100, 200}));
  EXPECT_EQ(StopColour(n[0].ramp.stops[1]), PackColour(0, 255, 0));  // blue less 120 degrees

  // The circle of 100 dragged to the right (128), then onto the stop at 200
  // (atan2(44, -10) is 200.3 places round).
  for (POINT p : {ringPoint(45, 0), ringPoint(-10, 44)}) {
    SendMessageA(circle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    MapWindowPoints(editor, circle, &p, 1);
    SendMessageA(circle, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  n = host.Take();
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(positions(n[0].ramp), (std::vector<int>{0, 64, 128, 200}));
  EXPECT_EQ(positions(n[1].ramp), (std::vector<int>{0, 64, 200}));
  EXPECT_EQ(StopColour(n[1].ramp.stops[2]), PackColour(255, 0, 0));  // the moved stop's
  EXPECT_EQ(GetDlgCtrlID(circle), 200);
  Pump();  // the replaced circle closes itself
  EXPECT_EQ(GetDlgItem(editor, 200), circle);

  // The circle's menu: Delete.
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, pressInMenu);
  SendMessageA(circle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
  KillTimer(nullptr, timer);
  Pump();
  EXPECT_FALSE(IsWindow(circle));
  n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 0u);
  EXPECT_EQ(positions(n[0].ramp), (std::vector<int>{0, 64}));
}
