// The hue bar as a window: hue from the mouse, dragging, keys, the marker on
// the screen and its reports to the parent.
#include "controls/hue_bar.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "controls/win/control_procs.h"
#include "win/common/control_host.h"

namespace {

constexpr int kWidth = 52, kHeight = 16;  // a 50 x 14 strip inside the frame
constexpr int kStrip = kWidth - 2;

LPARAM at(int x, int y = 5) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

struct Report {
  int hue;
  int flag;
  friend bool operator==(const Report&, const Report&) = default;
};

struct HueBar : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    bar = host.Create("PalHueBarClass", 212, 10, 10, kWidth, kHeight);
    ASSERT_NE(bar, nullptr);
  }
  std::vector<Report> reports() {
    std::vector<Report> r;
    for (const Notification& n : host.Take()) {
      EXPECT_EQ(n.message, WM_USER + 8u);
      r.push_back(Report{static_cast<int>(n.wParam), static_cast<int>(n.lParam)});
    }
    return r;
  }
  COLORREF stripColour(int column) {
    std::vector<uint8_t> line(3 * kStrip);
    BuildHueStripLine(kStrip, line.data());
    return RGB(line[3 * column], line[3 * column + 1], line[3 * column + 2]);
  }
  static COLORREF inverted(COLORREF c) {
    return RGB(255 - GetRValue(c), 255 - GetGValue(c), 255 - GetBValue(c));
  }
  ControlHost host;
  HWND bar = nullptr;
};

}  // namespace

TEST_F(HueBar, TheMouseSetsTheHueFromXAndDrags) {
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(1));
  EXPECT_EQ(GetCapture(), bar);
  EXPECT_EQ(GetCursor(), LoadCursorA(Module().handle, MAKEINTRESOURCEA(309)));
  SendMessageA(bar, WM_LBUTTONUP, 0, at(1));
  EXPECT_EQ(GetCapture(), nullptr);
  // Dragging follows the mouse and clamps past the ends.
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(25));
  SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, at(30));
  SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, at(-40));
  SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, at(400));
  SendMessageA(bar, WM_LBUTTONUP, 0, at(kStrip));
  const int h25 = HueFromX(25, kStrip), h30 = HueFromX(30, kStrip);
  EXPECT_EQ(reports(),
            (std::vector<Report>{{0, 0}, {0, 1}, {h25, 0}, {h30, 1}, {0, 1}, {359, 1}, {359, 1}}));
  // On the frame or beyond it a click does nothing; without a drag the mouse
  // only sets the arrow cursor.
  for (int x : {0, kStrip + 1, -3}) SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(x));
  SendMessageA(bar, WM_MOUSEMOVE, 0, at(10));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_TRUE(reports().empty());
  // Cancel ends a drag; losing the focus reports.
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(11));
  SendMessageA(bar, WM_CANCELMODE, 0, 0);
  SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, at(40));  // no longer dragging
  SendMessageA(bar, WM_KILLFOCUS, 0, 0);
  const int h = HueFromX(11, kStrip);
  EXPECT_EQ(reports(), (std::vector<Report>{{h, 0}, {h, 1}, {h, 1}}));
  ReleaseCapture();
}

TEST_F(HueBar, ArrowKeysStepAndStopAtTheEndsAlsoThroughTheDialogNavigation) {
  EXPECT_EQ(SendMessageA(bar, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  for (int key : {VK_LEFT, VK_RIGHT, VK_RIGHT, VK_UP, VK_LEFT, int{'A'}})
    SendMessageA(bar, WM_KEYDOWN, static_cast<WPARAM>(key), 0);  // at 0 the first does nothing
  EXPECT_EQ(reports(), (std::vector<Report>{{1, 1}, {2, 1}, {2, 1}, {1, 1}}));
  SendMessageA(bar, kHueBarSet, 359, 0);  // sets without a report
  SendMessageA(bar, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_TRUE(reports().empty());
  SendMessageA(bar, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(reports(), (std::vector<Report>{{359, 1}}));
  // A dialog passes arrow keys to a control that wants them.
  SendMessageA(bar, kHueBarSet, 0, 0);
  SetFocus(bar);
  MSG msg{bar, WM_KEYDOWN, VK_RIGHT, 0, 0, {}};
  IsDialogMessageA(host.window(), &msg);
  EXPECT_EQ(reports(), (std::vector<Report>{{1, 1}}));
}

TEST_F(HueBar, StripAndMarkerOnTheScreen) {
  SendMessageA(bar, kHueBarSet, 120, 0);
  Settle(host.window());
  const int mx = HueMarkerColumn(120, kStrip);
  for (int y = 1; y <= kHeight - 2; ++y) {
    EXPECT_EQ(ScreenPixel(bar, mx, y), inverted(stripColour(mx - 1))) << y;
    EXPECT_EQ(ScreenPixel(bar, mx + 1, y), stripColour(mx)) << y;
  }
  EXPECT_EQ(ScreenPixel(bar, 1, 5), RGB(255, 0, 0));  // hue 0 at the left
  EXPECT_EQ(ScreenPixel(bar, 0, 5), GetSysColor(COLOR_BTNSHADOW));
  // Moving the marker restores the old column and inverts the new one.
  SendMessageA(bar, kHueBarSet, 240, 0);
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(bar, mx, 5), stripColour(mx - 1));
  const int mx2 = HueMarkerColumn(240, kStrip);
  EXPECT_EQ(ScreenPixel(bar, mx2, 5), inverted(stripColour(mx2 - 1)));
  // A repaint draws the marker once, where it is.
  InvalidateRect(bar, nullptr, TRUE);
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(bar, mx, 5), stripColour(mx - 1));
  EXPECT_EQ(ScreenPixel(bar, mx2, 5), inverted(stripColour(mx2 - 1)));
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(HueBar, EachBarKeepsItsOwnHueAndABarWithoutAStripIsNotCreated) {
  const HWND second = host.Create("PalHueBarClass", 213, 10, 40, kWidth, kHeight);
  ASSERT_NE(second, nullptr);
  SendMessageA(second, kHueBarSet, 300, 0);
  SendMessageA(bar, WM_KEYDOWN, VK_UP, 0);
  SendMessageA(second, WM_KEYDOWN, VK_UP, 0);
  const auto r = host.Take();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].wParam, 0u);
  EXPECT_EQ(r[1].wParam, 300u);
  const int live = buf32LiveCount();
  EXPECT_EQ(host.Create("PalHueBarClass", 214, 10, 70, 2, 2), nullptr);
  EXPECT_EQ(buf32LiveCount(), live);
  DestroyWindow(second);
  EXPECT_EQ(buf32LiveCount(), live - 1);
}
