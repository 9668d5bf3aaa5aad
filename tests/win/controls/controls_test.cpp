// The custom controls as windows: what they show on the screen for what they
// are told, and mouse and key input sent to them.
#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>
#include <utility>
#include <vector>

#include "controls/ring_editor.h"
#include "controls/win/control_procs.h"
#include "engine/ring_image.h"
#include "win/common/control_host.h"

namespace {

PaletteRamp rampOf(HWND editor) {
  PaletteRamp r{};
  SendMessageA(editor, kRingEditorGetRamp, reinterpret_cast<WPARAM>(&r), 0);
  return r;
}

// Presses Delete in the first popup menu shown, from a timer in its modal loop.
void CALLBACK pressDelete(HWND, UINT, UINT_PTR, DWORD) {
  const HWND menu = FindWindowA("#32768", nullptr);
  if (menu != nullptr && IsWindowVisible(menu)) PostMessageA(menu, WM_CHAR, 'd', 0);
}

}  // namespace

TEST(Controls, ShowWhatTheyAreSetTo) {
  ControlHost host;
  const HWND hue = host.Create("PalHueBarClass", 212, 10, 10, 362, 16);
  const HWND bar = host.Create("PalBarClass", 205, 10, 40, 53, 14);
  const HWND view = host.Create("x32PalViewClass", 229, 10, 70, 100, 100);
  const HWND editor = host.Create("x32PalModifyClass", 241, 200, 70, 162, 157);
  SendMessageA(hue, kHueBarSet, 120, 0);
  SendMessageA(bar, kPalBarSet, 0, 100);
  const PaletteRamp red{2, {{0, 255, 0, 0}, {255, 255, 0, 0}}};
  const HPALETTE palette = CreateRampPalette(red, 0);
  Buf32Handle ring = 0;
  ASSERT_EQ(MakeRingIndexImage(92, 90, &ring), 1);  // the view's inside
  SendMessageA(view, kPalViewSet, ring, reinterpret_cast<LPARAM>(palette));
  SendMessageA(editor, kRingEditorSet, reinterpret_cast<WPARAM>(&red), MAKELPARAM(120, 0));
  Settle(host.window());
  const std::tuple<HWND, int, int, COLORREF> shown[] = {
      {hue, 121, 7, RGB(255, 0, 255)},   // column x is hue x - 1; 120's inverted
      {bar, 26, 6, RGB(128, 128, 128)},  // 51 columns from black to white
      {bar, 51, 6, RGB(255, 255, 255)},
      {view, 50, 49, RGB(255, 255, 255)},                // the image from (4, 4): its centre,
      {view, 20, 49, RGB(255, 0, 0)},                    // the ring 30 out
      {GetDlgItem(editor, 255), 4, 4, RGB(0, 255, 0)}};  // red shifted 120 degrees
  for (const auto& [window, x, y, colour] : shown)
    EXPECT_EQ(ScreenPixel(window, x, y), colour) << x;
  DestroyWindow(view);
  EXPECT_EQ(buf32GetInfo(ring, nullptr), 0);  // the view's image freed with it
  DeleteObject(palette);
}

TEST(HueBar, DragsAndTakesArrowKeysInADialog) {
  ControlHost host;
  const HWND bar = host.Create("PalHueBarClass", 212, 10, 10, 362, 16, WS_TABSTOP);
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(31, 5));
  EXPECT_EQ(GetCapture(), bar);
  SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));
  SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(-20, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageA(bar, kHueBarSet, 119, 0);  // not reported
  SetFocus(bar);
  MSG key{bar, WM_KEYDOWN, VK_RIGHT, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(host.window(), &key));
  // (hue, final): the release reports where the drag left the hue.
  std::vector<std::pair<WPARAM, LPARAM>> heard;
  for (const MSG& n : ControlHost::Take()) heard.emplace_back(n.wParam, n.lParam);
  EXPECT_EQ(heard, (decltype(heard){{30, 0}, {359, 1}, {359, 1}, {120, 1}}));
}

TEST(RepeatSpin, TypedTextIsCheckedAsItChanges) {
  ControlHost host;
  BoxRecorder recorder;
  const HWND spin = host.Create("RepeatFloatSpinClass", 206, 10, 10, 60, 22, WS_TABSTOP);
  const HWND edit = GetDlgItem(spin, kRepeatSpinEditId);
  ASSERT_TRUE(edit && GetDlgItem(spin, kRepeatSpinArrowsId));
  SendMessageA(spin, kRepeatSpinSetRange, 1, 500);
  // Typed over the whole text of 1.00: keys, text shown, value, invalid, boxes.
  const std::tuple<const char*, const char*, int, int, size_t> cases[] = {
      {"2.5", "2.5", 250, 0, 0},
      {"6", "1.00", 100, 0, 1},  // out of range: put back
      {"0", "0", 0, 1, 0}};      // passes while typing, not at the end
  for (const auto& [keys, shown, value, invalid, boxes] : cases) {
    SendMessageA(spin, kRepeatSpinSetValue, 100, 0);
    BoxRecorder::texts.clear();
    SetFocus(spin);  // the field takes the focus with its text selected
    for (const char* k = keys; *k != '\0'; ++k) SendMessageA(edit, WM_CHAR, WPARAM(*k), 1);
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, shown);
    EXPECT_EQ(host.Take().back().lParam, value) << keys;  // as the parent heard it
    int flag = -1;
    EXPECT_EQ(SendMessageA(spin, kRepeatSpinGetValue, WPARAM(&flag), 0), value) << keys;
    EXPECT_EQ(flag, invalid) << keys;
    EXPECT_EQ(BoxRecorder::texts.size(), boxes) << keys;
  }
}

TEST(RingEditor, TakesAClickOnTheRingAndTheCircleMenu) {
  ControlHost host;
  const HWND editor = host.Create("x32PalModifyClass", 241, 10, 10, 162, 157);
  PaletteRamp ramp{2, {{0, 0, 0, 255}, {100, 255, 0, 0}}};
  SendMessageA(editor, kRingEditorSet, reinterpret_cast<WPARAM>(&ramp), MAKELPARAM(120, 0));
  // A click on the ring (d 149, centre 78) at the top, position 64: the chosen
  // colour there with the shift taken off.
  const X32ChooseColorHook previous =
      x32SetChooseColorHook([](HWND, COLORREF* colour) { return *colour = RGB(0, 0, 255), 1; });
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(78, 33));
  x32SetChooseColorHook(previous);
  ramp = rampOf(editor);
  EXPECT_TRUE(ramp.count == 3 && ramp.stops[1].position == 64);
  EXPECT_EQ(StopColour(ramp.stops[1]), PackColour(0, 255, 0));  // blue less 120 degrees

  // The menu of the circle of 100: Delete.
  const HWND circle = GetDlgItem(editor, 100);
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, pressDelete);
  SendMessageA(circle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
  KillTimer(nullptr, timer);
  Pump();
  EXPECT_FALSE(IsWindow(circle));
  EXPECT_EQ(rampOf(editor).count, 2);
  EXPECT_EQ(host.Take().size(), 2u);  // each change reported
}
