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
#include "engine/ring_image.h"
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
    editor = host.Create("x32PalModifyClass", 241, 10, 10, 162, 157);
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
  void expectAt(HWND circle, CtlPoint centre) {
    RECT r{};
    GetWindowRect(circle, &r);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, centre.x - geometry.r);
    EXPECT_EQ(r.top, centre.y - geometry.r);
    EXPECT_EQ(r.right - r.left, 2 * geometry.r);
    EXPECT_EQ(r.bottom - r.top, 2 * geometry.r);
  }
  COLORREF fill(int position) {
    return ScreenPixel(GetDlgItem(editor, position), geometry.r, geometry.r);
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
  void click(POINT p) { SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(p)); }
  // Drags a circle by the mouse to an editor point, through `via` first.
  void drag(HWND circle, POINT via, POINT to) {
    SendMessageA(circle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(geometry.r, geometry.r));
    EXPECT_EQ(GetCapture(), circle);
    for (POINT p : {via, to}) {  // in the circle's coordinates where it is now
      MapWindowPoints(editor, circle, &p, 1);
      SendMessageA(circle, WM_MOUSEMOVE, MK_LBUTTON, at(p));
    }
    MapWindowPoints(editor, circle, &to, 1);
    SendMessageA(circle, WM_LBUTTONUP, 0, at(to));
    EXPECT_EQ(GetCapture(), nullptr);
  }
  // The one edit report the parent heard: the record's ramp, hue and ring.
  Notification edited() {
    const auto n = host.Take();
    EXPECT_EQ(n.size(), 1u);
    if (n.empty()) return Notification{};
    EXPECT_EQ(n[0].message, WM_USER + 14u);
    EXPECT_EQ(n[0].wParam, 3u);
    EXPECT_TRUE(sameRamp(n[0].ramp, ramp()));
    return n[0];
  }
  bool rightClick(int position, WPARAM key, MenuPick& pick) {
    pick.key = key;
    g_pick = &pick;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, pickFromMenu);
    SendMessageA(GetDlgItem(editor, position), WM_RBUTTONDOWN, MK_RBUTTON,
                 MAKELPARAM(geometry.r, geometry.r));
    KillTimer(nullptr, timer);
    g_pick = nullptr;
    Pump();
    return pick.seen;
  }
  ControlHost host{"Palette Ramp Editor"};
  BoxRecorder boxes;
  ChooserRecorder chooser;
  HWND editor = nullptr;
  RingEditorGeometry geometry{};
  int live = 0;
};

}  // namespace

TEST_F(RingEditor, SquaresItselfAndTakesItsImageAndCirclesWithIt) {
  RECT r{};
  GetWindowRect(editor, &r);
  EXPECT_EQ(r.right - r.left, 157);
  EXPECT_EQ(r.bottom - r.top, 157);
  EXPECT_EQ(buf32LiveCount(), live + 1);  // the ring index image
  EXPECT_EQ(host.Create("x32PalModifyClass", 242, 200, 10, 100, 100), nullptr);  // one at a time
  setRamp(threeStops(), 0, 0);
  const auto c = circles();
  ASSERT_EQ(c.size(), 3u);
  DestroyWindow(editor);
  for (HWND w : c) EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(buf32LiveCount(), live);
  EXPECT_NE(host.Create("x32PalModifyClass", 243, 10, 10, 120, 120), nullptr);
}

TEST_F(RingEditor, ARampGivesOneCirclePerStopJustOutsideTheRing) {
  const PaletteRamp r = threeStops();
  setRamp(r, 0, 0);
  EXPECT_TRUE(sameRamp(ramp(), r));
  for (HWND circle : circles()) {
    const int id = GetDlgCtrlID(circle);
    SCOPED_TRACE(id);
    EXPECT_TRUE(id == 0 || id == 100 || id == 200);
    expectAt(circle, StopCircleCentre(geometry, id, 0));
  }
  // Each circle is filled with its stop's colour inside a black frame.
  EXPECT_EQ(fill(100), RGB(255, 0, 0));
  EXPECT_EQ(ScreenPixel(GetDlgItem(editor, 100), 0, 0), RGB(0, 0, 0));
  // A new hue shift repaints the circles with it; the stored colours stay.
  SendMessageA(editor, kRingEditorSet, 0, MAKELPARAM(120, 0));
  Settle(host.window());
  EXPECT_EQ(fill(100), RGB(0, 255, 0));
  EXPECT_EQ(fill(0), RGB(255, 0, 0));
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
  Buf32Handle image = 0;
  ASSERT_EQ(MakeRingIndexImage(geometry.d, geometry.d, &image), 1);
  for (int ring : {0, 90}) {
    SCOPED_TRACE(ring);
    setRamp(threeStops(), 40, ring);
    const RingPalettes palettes(threeStops(), 40, ring);
    // The ground may be covered by circles.
    EXPECT_GT(ExpectRingShown(editor, 4, image, palettes, 4, false), 300);
  }
  buf32Free(image);
  // The frames: raised outside, the face outline, sunken inside.
  EXPECT_EQ(ScreenPixel(editor, 0, 60), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(ScreenPixel(editor, 156, 60), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(editor, 3, 60), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(ScreenPixel(editor, 2, 60), GetSysColor(COLOR_BTNFACE));
}

TEST_F(RingEditor, AClickOnTheRingAddsAStopWithTheHueShiftTakenOff) {
  setRamp(threeStops(), 120, 0);
  // Clicks off the ring, or a cancelled choice, change nothing.
  for (POINT p : {POINT{geometry.cx, geometry.cy}, POINT{geometry.cx + 20, geometry.cy},
                  POINT{5, 5}, POINT{geometry.cx, geometry.cy + 60}})
    click(p);
  EXPECT_TRUE(ChooserCalls().empty());
  ChooserAnswers().push_back({false, RGB(1, 2, 3)});
  ChooserAnswers().push_back({true, RGB(0, 255, 0)});
  click(ringPoint(50, 0));
  EXPECT_TRUE(sameRamp(ramp(), threeStops()));
  EXPECT_EQ(circles().size(), 3u);
  EXPECT_TRUE(host.notes.empty());
  click(ringPoint(50, 0));
  // The chooser, owned by the editor, offers the colour the ring shows there.
  ASSERT_EQ(ChooserCalls().size(), 2u);
  EXPECT_EQ(ChooserCalls()[1].owner, editor);
  EXPECT_EQ(ChooserCalls()[1].offered, RingPalettes(threeStops(), 120, 0).Colour(50));
  const Notification n = edited();
  EXPECT_EQ(n.hue, 120);
  EXPECT_EQ(n.ring, 0);
  EXPECT_EQ(positions(n.ramp), (std::vector<int>{0, 50, 100, 200}));
  EXPECT_EQ(StopColour(n.ramp.stops[1]), PackColour(255, 0, 0));  // pure green less 120 degrees
  ASSERT_NE(GetDlgItem(editor, 50), nullptr);
  expectAt(GetDlgItem(editor, 50), StopCircleCentre(geometry, 50, 0));
  Settle(host.window());
  EXPECT_EQ(fill(50), RGB(0, 255, 0));  // drawn as chosen
  // The last place before a full turn adds at 254.
  ChooserAnswers().push_back({true, RGB(9, 9, 9)});
  click(POINT{geometry.cx - 50, geometry.cy});
  EXPECT_EQ(positions(edited().ramp), (std::vector<int>{0, 50, 100, 200, 254}));
}

TEST_F(RingEditor, AClickOnAStopsPlaceRecoloursItOnlyWhenTheColourChanges) {
  setRamp(threeStops(), 0, 0);
  ChooserAnswers().push_back({true, RGB(0, 0, 255)});
  ChooserAnswers().push_back({true, RGB(0, 0, 255)});
  click(ringPoint(100, 0));
  ASSERT_EQ(ChooserCalls().size(), 1u);
  EXPECT_EQ(ChooserCalls()[0].offered, RGB(255, 0, 0));  // the stop's colour
  const Notification n = edited();
  EXPECT_EQ(n.ramp.count, 3);
  EXPECT_EQ(StopColour(n.ramp.stops[1]), PackColour(0, 0, 255));
  Settle(host.window());
  EXPECT_EQ(fill(100), RGB(0, 0, 255));
  click(ringPoint(100, 0));
  EXPECT_EQ(ChooserCalls().size(), 2u);
  EXPECT_TRUE(host.Take().empty());  // the same colour again: nothing to report
}

TEST_F(RingEditor, DraggingACircleOntoAnotherStopReplacesThatStop) {
  setRamp(threeStops(), 0, 0);
  const HWND moving = GetDlgItem(editor, 100);
  const HWND other = GetDlgItem(editor, 200);
  ASSERT_NE(moving, nullptr);
  ASSERT_NE(other, nullptr);
  // Dropped at its own place: nothing changes and nobody is told.
  drag(moving, ringPoint(150, 0), ringPoint(100, 0));
  EXPECT_TRUE(host.notes.empty());
  EXPECT_TRUE(sameRamp(ramp(), threeStops()));
  expectAt(moving, StopCircleCentre(geometry, 100, 0));
  // Onto the stop at 200: the circle follows in steps of the ring, and the
  // moved stop's colour replaces that stop.
  drag(moving, ringPoint(150, 0), ringPoint(200, 0));
  expectAt(moving, StopCircleCentre(geometry, 200, 0));
  const Notification n = edited();
  EXPECT_EQ(positions(n.ramp), (std::vector<int>{0, 200}));
  EXPECT_EQ(StopColour(n.ramp.stops[1]), PackColour(255, 0, 0));
  EXPECT_EQ(GetDlgCtrlID(moving), 200);
  Pump();  // the replaced circle closes itself
  EXPECT_FALSE(IsWindow(other));
  EXPECT_EQ(circles().size(), 2u);
  EXPECT_EQ(GetDlgItem(editor, 200), moving);
  // A button-up without a drag does nothing.
  SendMessageA(moving, WM_LBUTTONUP, 0, MAKELPARAM(geometry.r, geometry.r));
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(RingEditor, TurningTheRingMovesTheCirclesAndDropsAreReadWithIt) {
  setRamp(threeStops(), 0, 0);
  SendMessageA(editor, kRingEditorSetRing, 90, 0);
  const auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 2u);
  EXPECT_EQ(n[0].lParam, 90);
  for (int p : {0, 100, 200}) expectAt(GetDlgItem(editor, p), StopCircleCentre(geometry, p, 90));
  EXPECT_TRUE(sameRamp(ramp(), threeStops()));  // the stops keep their positions
  const HWND circle = GetDlgItem(editor, 0);
  const POINT drop = ringPoint(60, 0);  // where the unturned ring has 60
  const int expected = HitTestRing(geometry, drop.x, drop.y, 90).position;
  EXPECT_NE(expected, 60);
  drag(circle, drop, drop);
  EXPECT_EQ(positions(edited().ramp).front(), std::min(expected, 100));
  EXPECT_EQ(GetDlgCtrlID(circle), expected);
}

TEST_F(RingEditor, CircleMenuRecoloursThroughTheDialogsChooserAndDeletes) {
  setRamp(threeStops(), 120, 0);
  ChooserAnswers().push_back({true, RGB(0, 0, 255)});
  MenuPick recolour;
  ASSERT_TRUE(rightClick(200, 'c', recolour)) << "the menu did not appear";
  EXPECT_EQ(recolour.items, (std::vector<std::string>{"&Change Color...", "&Delete"}));
  ASSERT_EQ(ChooserCalls().size(), 1u);
  EXPECT_EQ(ChooserCalls()[0].owner, host.window());     // the editor's parent
  EXPECT_EQ(ChooserCalls()[0].offered, RGB(0, 0, 255));  // green with 120 degrees on
  EXPECT_EQ(StopColour(edited().ramp.stops[2]), PackColour(0, 255, 0));  // blue less 120
  Settle(host.window());
  EXPECT_EQ(fill(200), RGB(0, 0, 255));

  const HWND circle = GetDlgItem(editor, 100);
  MenuPick remove;
  ASSERT_TRUE(rightClick(100, 'd', remove));
  const auto n = host.Take();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].wParam, 0u);
  EXPECT_EQ(positions(n[0].ramp), (std::vector<int>{0, 200}));
  EXPECT_EQ(positions(ramp()), (std::vector<int>{0, 200}));
  EXPECT_FALSE(IsWindow(circle));
  EXPECT_EQ(circles().size(), 2u);

  // The only stop cannot be deleted.
  PaletteRamp one{};
  one.count = 1;
  one.stops[0] = RampStop{77, 1, 2, 3};
  setRamp(one, 0, 0);
  MenuPick only;
  ASSERT_TRUE(rightClick(77, 0, only));
  EXPECT_EQ(only.items, (std::vector<std::string>{"&Change Color..."}));
  EXPECT_TRUE(host.notes.empty());
  EXPECT_EQ(ramp().count, 1);
}
