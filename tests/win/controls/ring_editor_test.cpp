// The ramp ring editor and its stop circles as windows: circles per stop,
// clicks on the ring, dragging circles, the ring turned, the circle menu, and
// what the parent hears of each edit.
#include "controls/ring_editor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "controls/win/control_procs.h"
#include "palette/ring_image.h"
#include "palette/win/palette_objects.h"
#include "platform/x32base/win/disp32.h"
#include "win/common/control_host.h"

namespace {

constexpr int kEditorId = 241;

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

bool sameRamp(const PaletteRamp& a, const PaletteRamp& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

LPARAM at(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

// The popup menu of a circle, answered from a timer inside its modal loop:
// its item texts are noted and a key is pressed.
struct MenuPick {
  std::vector<std::string> items;
  WPARAM key = 0;  // a character to choose by, or 0 for Escape
  bool seen = false;
};
MenuPick* g_pick = nullptr;

void CALLBACK pickFromMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (g_pick == nullptr || g_pick->seen) return;
  const HWND menuWindow = FindWindowA("#32768", nullptr);
  if (menuWindow == nullptr || !IsWindowVisible(menuWindow)) return;
  const auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
    char text[64] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    g_pick->items.push_back(text);
  }
  g_pick->seen = true;
  if (g_pick->key != 0)
    PostMessageA(menuWindow, WM_CHAR, g_pick->key, 0);
  else
    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

struct RingEditor : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    live = buf32LiveCount();
    editor = host.Create("x32PalModifyClass", kEditorId, 10, 10, 162, 157);
    ASSERT_NE(editor, nullptr);
    geometry = MakeRingEditorGeometry(162, 157);
    ASSERT_EQ(geometry.d, 149);
  }
  void setRamp(const PaletteRamp& ramp, int hue, int ring) {
    SendMessageA(editor, kRingEditorSet, reinterpret_cast<WPARAM>(&ramp), MAKELPARAM(hue, ring));
    Settle(host.window());
  }
  PaletteRamp ramp() {
    PaletteRamp r{};
    SendMessageA(editor, kRingEditorGetRamp, reinterpret_cast<WPARAM>(&r), 0);
    return r;
  }
  std::vector<HWND> circles() {
    std::vector<HWND> c;
    for (HWND w = GetWindow(editor, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
      c.push_back(w);
    return c;
  }
  RECT place(HWND circle) {
    RECT r{};
    GetWindowRect(circle, &r);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  void expectAt(HWND circle, CtlPoint centre) {
    const RECT r = place(circle);
    EXPECT_EQ(r.left, centre.x - geometry.r);
    EXPECT_EQ(r.top, centre.y - geometry.r);
    EXPECT_EQ(r.right - r.left, 2 * geometry.r);
    EXPECT_EQ(r.bottom - r.top, 2 * geometry.r);
  }
  // A point on the ring where the hit test gives `position`.
  POINT ringPoint(int position, int ring) {
    for (int step = 0; step < 4000; ++step) {
      const double a = step * 2 * 3.141592653589793 / 4000;
      const int x =
          static_cast<int>(std::lround(geometry.cx - std::cos(a) * 0.58 * geometry.d / 2));
      const int y =
          static_cast<int>(std::lround(geometry.cy - std::sin(a) * 0.58 * geometry.d / 2));
      const RingHit h = HitTestRing(geometry, x, y, ring);
      if (h.zone == kRingOn && h.position == position) return POINT{x, y};
    }
    ADD_FAILURE() << "no point for position " << position;
    return POINT{geometry.cx, geometry.cy};
  }
  // An editor point in the circle's own coordinates.
  POINT inCircle(HWND circle, POINT editorPoint) {
    MapWindowPoints(editor, circle, &editorPoint, 1);
    return editorPoint;
  }
  int rightClickCircle(HWND circle, WPARAM key, MenuPick& pick) {
    pick.key = key;
    g_pick = &pick;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, pickFromMenu);
    SendMessageA(circle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(geometry.r, geometry.r));
    KillTimer(nullptr, timer);
    g_pick = nullptr;
    Pump();
    return pick.seen ? 1 : 0;
  }
  ControlHost host{"Palette Ramp Editor"};
  BoxRecorder boxes;
  ChooserRecorder chooser;
  HWND editor = nullptr;
  RingEditorGeometry geometry{};
  int live = 0;
};

}  // namespace

TEST_F(RingEditor, SquaresItselfAroundItsRingImage) {
  RECT r{};
  GetWindowRect(editor, &r);
  EXPECT_EQ(r.right - r.left, 157);
  EXPECT_EQ(r.bottom - r.top, 157);
  EXPECT_EQ(buf32LiveCount(), live + 1);  // the ring index image
  EXPECT_TRUE(circles().empty());
  EXPECT_EQ(host.Create("x32PalModifyClass", 242, 200, 10, 100, 100), nullptr);  // one at a time
  DestroyWindow(editor);
  EXPECT_EQ(buf32LiveCount(), live);
}

TEST_F(RingEditor, ARampGivesOneCirclePerStopJustOutsideTheRing) {
  const PaletteRamp r = threeStops();
  setRamp(r, 0, 0);
  EXPECT_TRUE(host.notes.empty());
  EXPECT_TRUE(sameRamp(ramp(), r));
  const auto c = circles();
  ASSERT_EQ(c.size(), 3u);
  for (HWND circle : c) {
    const int id = GetDlgCtrlID(circle);
    SCOPED_TRACE(id);
    EXPECT_TRUE(id == 0 || id == 100 || id == 200);
    expectAt(circle, StopCircleCentre(geometry, id, 0));
    char cls[32] = {};
    GetClassNameA(circle, cls, sizeof cls);
    EXPECT_STREQ(cls, "RingCircleClass");
  }
  // Each circle is filled with its stop's colour inside a black frame.
  const HWND red = GetDlgItem(editor, 100);
  EXPECT_EQ(ScreenPixel(red, geometry.r, geometry.r), RGB(255, 0, 0));
  EXPECT_EQ(ScreenPixel(red, 0, 0), RGB(0, 0, 0));
  // A new hue shift repaints the circles with it; the stored colours stay.
  SendMessageA(editor, kRingEditorSet, 0, MAKELPARAM(120, 0));
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(red, geometry.r, geometry.r), RGB(0, 255, 0));
  EXPECT_EQ(ScreenPixel(GetDlgItem(editor, 0), geometry.r, geometry.r), RGB(255, 0, 0));
  EXPECT_TRUE(sameRamp(ramp(), r));
  // A new ramp replaces all circles.
  PaletteRamp two{};
  two.count = 2;
  two.stops[0] = RampStop{30, 10, 10, 10};
  two.stops[1] = RampStop{60, 20, 20, 20};
  setRamp(two, 0, 0);
  ASSERT_EQ(circles().size(), 2u);
  EXPECT_NE(GetDlgItem(editor, 30), nullptr);
  EXPECT_EQ(GetDlgItem(editor, 100), nullptr);
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(RingEditor, TheRingShowsTheRampThroughTheTurnedPalette) {
  const PaletteRamp r = threeStops();
  const int hue = 40;
  for (int ring : {0, 90}) {
    SCOPED_TRACE(ring);
    setRamp(r, hue, ring);
    HPALETTE source = CreateRampPalette(r, hue);
    HPALETTE display = disp32PalDuplicate(source);
    RotateDisplayPalette(ring, source, display);
    PALETTEENTRY e[256];
    ASSERT_EQ(GetPaletteEntries(display, 0, 256, e), 256u);
    DeleteObject(display);
    DeleteObject(source);
    Buf32Handle image = 0;
    ASSERT_EQ(MakeRingIndexImage(geometry.d, geometry.d, &image), 1);
    ASSERT_NE(buf32Lock(image, kBuf32Read, nullptr), 0);
    int ringPixels = 0;
    for (int y = 0; y < geometry.d; y += 4)
      for (int x = 0; x < geometry.d; x += 4) {
        const uint8_t i = *buf32PointAddr(image, x, y);
        if (i == 255) continue;  // the ground: circles may cover it
        ++ringPixels;
        ASSERT_EQ(ScreenPixel(editor, x + 4, y + 4), RGB(e[i].peRed, e[i].peGreen, e[i].peBlue))
            << x << "," << y;
      }
    buf32Unlock(image);
    buf32Free(image);
    EXPECT_GT(ringPixels, 300);
  }
  // The frames: raised outside, the face outline, sunken inside.
  EXPECT_EQ(ScreenPixel(editor, 0, 60), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(editor, 156, 60), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(editor, 3, 60), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(editor, 2, 60), GetSysColor(COLOR_BTNFACE));
}

TEST_F(RingEditor, ClicksOffTheRingOrCancelledChoicesChangeNothing) {
  const PaletteRamp r = threeStops();
  setRamp(r, 0, 0);
  for (POINT p : {POINT{geometry.cx, geometry.cy}, POINT{geometry.cx + 20, geometry.cy},
                  POINT{5, 5}, POINT{geometry.cx, geometry.cy + 60}})
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(p));
  EXPECT_TRUE(ChooserCalls().empty());
  ChooserAnswers().push_back({false, RGB(1, 2, 3)});
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(ringPoint(50, 0)));
  ASSERT_EQ(ChooserCalls().size(), 1u);
  EXPECT_EQ(ChooserCalls()[0].owner, editor);
  EXPECT_TRUE(sameRamp(ramp(), r));
  EXPECT_EQ(circles().size(), 3u);
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(RingEditor, AClickOnTheRingAddsAStopWithTheHueShiftTakenOff) {
  setRamp(threeStops(), 120, 0);
  ChooserAnswers().push_back({true, RGB(0, 255, 0)});
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(ringPoint(50, 0)));
  ASSERT_EQ(ChooserCalls().size(), 1u);
  // The chooser offers the colour the ring shows there.
  HPALETTE source = CreateRampPalette(threeStops(), 120);
  PALETTEENTRY shown{};
  GetPaletteEntries(source, 50, 1, &shown);
  DeleteObject(source);
  EXPECT_EQ(ChooserCalls()[0].offered, RGB(shown.peRed, shown.peGreen, shown.peBlue));
  const PaletteRamp r = ramp();
  EXPECT_EQ(positions(r), (std::vector<int>{0, 50, 100, 200}));
  EXPECT_EQ(StopColour(r.stops[1]), PackColour(255, 0, 0));  // pure green less 120 degrees
  const HWND circle = GetDlgItem(editor, 50);
  ASSERT_NE(circle, nullptr);
  expectAt(circle, StopCircleCentre(geometry, 50, 0));
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(circle, geometry.r, geometry.r), RGB(0, 255, 0));  // drawn as chosen
  const auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].message, WM_USER + 14u);
  EXPECT_EQ(n[0].wParam, 3u);
  EXPECT_EQ(n[0].hue, 120);
  EXPECT_EQ(n[0].ring, 0);
  EXPECT_TRUE(sameRamp(n[0].ramp, r));
}

TEST_F(RingEditor, AClickOnAStopsPlaceRecoloursItOnlyWhenTheColourChanges) {
  setRamp(threeStops(), 0, 0);
  ChooserAnswers().push_back({true, RGB(0, 0, 255)});
  ChooserAnswers().push_back({true, RGB(0, 0, 255)});
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(ringPoint(100, 0)));
  ASSERT_EQ(ChooserCalls().size(), 1u);
  EXPECT_EQ(ChooserCalls()[0].offered, RGB(255, 0, 0));  // the stop's colour
  PaletteRamp r = ramp();
  EXPECT_EQ(r.count, 3);
  EXPECT_EQ(StopColour(r.stops[1]), PackColour(0, 0, 255));
  EXPECT_EQ(circles().size(), 3u);
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(GetDlgItem(editor, 100), geometry.r, geometry.r), RGB(0, 0, 255));
  ASSERT_EQ(host.Take().size(), 1u);
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(ringPoint(100, 0)));
  EXPECT_EQ(ChooserCalls().size(), 2u);
  EXPECT_TRUE(host.Take().empty());  // the same colour again: nothing to report
}

TEST_F(RingEditor, TheLastPlaceBeforeAFullTurnAddsAtTwoFiftyFour) {
  setRamp(threeStops(), 0, 0);
  ChooserAnswers().push_back({true, RGB(9, 9, 9)});
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(POINT{geometry.cx - 50, geometry.cy}));
  EXPECT_EQ(positions(ramp()), (std::vector<int>{0, 100, 200, 254}));
  EXPECT_NE(GetDlgItem(editor, 254), nullptr);
}

TEST_F(RingEditor, DraggingACircleOntoAnotherStopReplacesThatStop) {
  setRamp(threeStops(), 0, 0);
  const HWND moving = GetDlgItem(editor, 100);
  const HWND other = GetDlgItem(editor, 200);
  ASSERT_NE(moving, nullptr);
  ASSERT_NE(other, nullptr);
  SendMessageA(moving, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(geometry.r, geometry.r));
  EXPECT_EQ(GetCapture(), moving);
  // Half way there the circle follows the mouse in steps of the ring.
  const POINT half = ringPoint(150, 0);
  SendMessageA(moving, WM_MOUSEMOVE, MK_LBUTTON, at(inCircle(moving, half)));
  expectAt(moving, StopCircleCentre(geometry, 150, 0));
  const POINT target = ringPoint(200, 0);
  SendMessageA(moving, WM_MOUSEMOVE, MK_LBUTTON, at(inCircle(moving, target)));
  expectAt(moving, StopCircleCentre(geometry, 200, 0));
  EXPECT_TRUE(host.notes.empty());
  SendMessageA(moving, WM_LBUTTONUP, 0, at(inCircle(moving, target)));
  EXPECT_EQ(GetCapture(), nullptr);
  const auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 3u);
  const PaletteRamp r = ramp();
  EXPECT_EQ(positions(r), (std::vector<int>{0, 200}));
  EXPECT_EQ(StopColour(r.stops[1]), PackColour(255, 0, 0));  // the moved stop's colour
  EXPECT_TRUE(sameRamp(n[0].ramp, r));
  EXPECT_EQ(GetDlgCtrlID(moving), 200);
  Pump();  // the replaced circle closes itself
  EXPECT_FALSE(IsWindow(other));
  EXPECT_EQ(circles().size(), 2u);
  EXPECT_EQ(GetDlgItem(editor, 200), moving);
}

TEST_F(RingEditor, ACircleDroppedAtItsOwnPlaceSendsNothingAndStaysWhereDropped) {
  setRamp(threeStops(), 0, 0);
  const HWND circle = GetDlgItem(editor, 100);
  SendMessageA(circle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(geometry.r, geometry.r));
  const POINT same = ringPoint(100, 0);
  SendMessageA(circle, WM_MOUSEMOVE, MK_LBUTTON, at(inCircle(circle, same)));
  SendMessageA(circle, WM_LBUTTONUP, 0, at(inCircle(circle, same)));
  EXPECT_TRUE(host.notes.empty());
  EXPECT_TRUE(sameRamp(ramp(), threeStops()));
  expectAt(circle, StopCircleCentre(geometry, 100, 0));
  // A button-up without a drag does nothing either.
  SendMessageA(circle, WM_LBUTTONUP, 0, at(inCircle(circle, ringPoint(10, 0))));
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(RingEditor, DropsAreReadWithTheRingTurned) {
  setRamp(threeStops(), 0, 90);
  const HWND circle = GetDlgItem(editor, 0);
  expectAt(circle, StopCircleCentre(geometry, 0, 90));
  SendMessageA(circle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(geometry.r, geometry.r));
  const POINT drop = ringPoint(60, 0);  // where the unturned ring has 60
  const int expected = HitTestRing(geometry, drop.x, drop.y, 90).position;
  EXPECT_NE(expected, 60);
  SendMessageA(circle, WM_MOUSEMOVE, MK_LBUTTON, at(inCircle(circle, drop)));
  SendMessageA(circle, WM_LBUTTONUP, 0, at(inCircle(circle, drop)));
  EXPECT_EQ(positions(ramp()).front(), std::min(expected, 100));
  EXPECT_EQ(GetDlgCtrlID(circle), expected);
  EXPECT_EQ(host.Take().size(), 1u);
}

TEST_F(RingEditor, TurningTheRingMovesTheCirclesAndReportsTheRing) {
  const PaletteRamp r = threeStops();
  setRamp(r, 0, 0);
  SendMessageA(editor, kRingEditorSetRing, 90, 0);
  const auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 2u);
  EXPECT_EQ(n[0].lParam, 90);
  for (int p : {0, 100, 200}) expectAt(GetDlgItem(editor, p), StopCircleCentre(geometry, p, 90));
  EXPECT_TRUE(sameRamp(ramp(), r));  // the stops keep their positions
}

TEST_F(RingEditor, CircleMenuDeletesAStop) {
  setRamp(threeStops(), 0, 0);
  const HWND circle = GetDlgItem(editor, 100);
  MenuPick pick;
  ASSERT_EQ(rightClickCircle(circle, 'd', pick), 1) << "the menu did not appear";
  EXPECT_EQ(pick.items, (std::vector<std::string>{"&Change Color...", "&Delete"}));
  const auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 0u);
  EXPECT_EQ(positions(n[0].ramp), (std::vector<int>{0, 200}));
  EXPECT_EQ(positions(ramp()), (std::vector<int>{0, 200}));
  EXPECT_FALSE(IsWindow(circle));
  EXPECT_EQ(circles().size(), 2u);
}

TEST_F(RingEditor, CircleMenuRecoloursThroughTheDialogsChooser) {
  setRamp(threeStops(), 120, 0);
  const HWND circle = GetDlgItem(editor, 200);
  ChooserAnswers().push_back({true, RGB(0, 0, 255)});
  MenuPick pick;
  ASSERT_EQ(rightClickCircle(circle, 'c', pick), 1);
  ASSERT_EQ(ChooserCalls().size(), 1u);
  EXPECT_EQ(ChooserCalls()[0].owner, host.window());     // the editor's parent
  EXPECT_EQ(ChooserCalls()[0].offered, RGB(0, 0, 255));  // green with 120 degrees on
  const auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 3u);
  const PaletteRamp r = ramp();
  EXPECT_EQ(StopColour(r.stops[2]), PackColour(0, 255, 0));  // blue less 120 degrees
  EXPECT_TRUE(sameRamp(n[0].ramp, r));
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(circle, geometry.r, geometry.r), RGB(0, 0, 255));
}

TEST_F(RingEditor, TheOnlyStopCannotBeDeleted) {
  PaletteRamp one{};
  one.count = 1;
  one.stops[0] = RampStop{77, 1, 2, 3};
  setRamp(one, 0, 0);
  MenuPick pick;
  ASSERT_EQ(rightClickCircle(GetDlgItem(editor, 77), 0, pick), 1);
  EXPECT_EQ(pick.items, (std::vector<std::string>{"&Change Color..."}));
  EXPECT_TRUE(host.notes.empty());
  EXPECT_EQ(ramp().count, 1);
}

TEST_F(RingEditor, DirectMessagesFromCirclesEditTheRamp) {
  setRamp(threeStops(), 0, 0);
  SendMessageA(editor, kRingEditorRecolourStop, 0, static_cast<LPARAM>(PackColour(1, 2, 3)));
  SendMessageA(editor, kRingEditorRecolourStop, 5, static_cast<LPARAM>(PackColour(1, 2, 3)));
  SendMessageA(editor, kRingEditorDeleteStop, 5, 0);  // no stop there: nothing
  auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 3u);
  EXPECT_EQ(StopColour(n[0].ramp.stops[0]), PackColour(1, 2, 3));
  SendMessageA(editor, kRingEditorMoveStop, 200, 20);
  n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(positions(n[0].ramp), (std::vector<int>{0, 20, 100}));
  EXPECT_EQ(GetDlgCtrlID(GetDlgItem(editor, 20)), 20);
}

TEST_F(RingEditor, DestroyingTheEditorTakesItsCirclesAndImage) {
  setRamp(threeStops(), 0, 0);
  const auto c = circles();
  DestroyWindow(editor);
  for (HWND w : c) EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(buf32LiveCount(), live);
  // A new editor can be made once the old one is gone.
  EXPECT_NE(host.Create("x32PalModifyClass", 243, 10, 10, 120, 120), nullptr);
}
